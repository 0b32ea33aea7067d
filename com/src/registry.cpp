// The registry file: "[key]" lines open a key, "name=value" lines fill it
// ("@" names the default value); backslashes and line breaks in values are
// escaped so any text survives a round trip.
#include "com/registry.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace com {

namespace {

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

bool isUnder(std::string_view key, std::string_view root) {
    return key == root || (key.size() > root.size() && key.substr(0, root.size()) == root &&
                           key[root.size()] == '\\');
}

}  // namespace

std::string Registry::defaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != 0) {
        base = std::string(home) + "/.local/share";
    } else {
        base = "/tmp";
    }
    return base + "/com-layer/registry";
}

HRESULT Registry::load(const std::string& path, Registry* registry) {
    registry->m_path = path;
    registry->m_keys.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::filesystem::exists(path) ? E_FAIL : S_OK;
    std::string line;
    std::map<std::string, std::string, std::less<>>* current = nullptr;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &registry->m_keys[line.substr(1, line.size() - 2)];
            continue;
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string::npos) return E_FAIL;
        std::string name = line.substr(0, equals);
        if (name == "@") name.clear();
        (*current)[name] = unescape(std::string_view(line).substr(equals + 1));
    }
    return in.bad() ? E_FAIL : S_OK;
}

HRESULT Registry::save() const {
    std::error_code error;
    const std::filesystem::path target(m_path);
    std::filesystem::create_directories(target.parent_path(), error);
    std::ostringstream text;
    text << "; Per-user class registry of the component layer.\n";
    for (const auto& [key, values] : m_keys) {
        text << '[' << key << "]\n";
        for (const auto& [name, value] : values)
            text << (name.empty() ? "@" : name) << '=' << escape(value) << '\n';
    }
    const std::string temporary = m_path + ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return REGDB_E_WRITEREGDB;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::remove(temporary.c_str());
        return REGDB_E_WRITEREGDB;
    }
    return S_OK;
}

std::optional<std::string> Registry::value(std::string_view key, std::string_view name) const {
    const auto k = m_keys.find(key);
    if (k == m_keys.end()) return std::nullopt;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

void Registry::setValue(std::string_view key, std::string_view name, std::string_view value) {
    m_keys[std::string(key)][std::string(name)] = std::string(value);
}

bool Registry::hasKey(std::string_view key) const {
    return m_keys.find(key) != m_keys.end();
}

bool Registry::removeTree(std::string_view key) {
    return std::erase_if(m_keys, [&](const auto& entry) { return isUnder(entry.first, key); }) > 0;
}

}  // namespace com

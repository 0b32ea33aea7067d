// The per-user registry: keys (backslash-separated paths) holding named text
// values, kept in one text file under the user's XDG data directory. It plays
// the part of the class registry: servers record themselves in it and
// activation looks classes up in it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "com/base.h"

namespace com {

class Registry {
public:
    // $XDG_DATA_HOME/com-layer/registry, or ~/.local/share/com-layer/registry.
    // Read afresh on every call, so a process (or a test) may redirect it.
    static std::string defaultPath();

    // Reads the file; a missing file is an empty registry. An unreadable or
    // malformed file gives REGDB_E_READREGDB-like failure (E_FAIL).
    static HRESULT load(const std::string& path, Registry* registry);
    // Replaces the file as a whole (temporary file, then rename), creating its
    // directory; REGDB_E_WRITEREGDB when that fails.
    HRESULT save() const;

    // `name` "" is the key's default value.
    std::optional<std::string> value(std::string_view key, std::string_view name = {}) const;
    void setValue(std::string_view key, std::string_view name, std::string_view value);
    bool hasKey(std::string_view key) const;
    // Removes the key and every key below it; false when there was none.
    bool removeTree(std::string_view key);

private:
    std::string m_path;
    std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> m_keys;
};

}  // namespace com

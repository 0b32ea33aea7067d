// Registration of an in-process server in the per-user registry.
#include "com/server.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "com/registry.h"
#include "com/strings.h"

namespace com {

namespace {

std::string modulePathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code error;
    const auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

std::string versionText(const TypeLibEntry& lib) {
    return std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
}

std::string hexText(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", value);
    return buffer;
}

void recordClass(Registry& registry, const ServerDescription& server, const ClassEntry& entry,
                 const std::string& modulePath) {
    const std::string key = "CLSID\\" + GuidText(*entry.clsid);
    registry.setValue(key, "", entry.className);
    registry.setValue(key + "\\InprocServer32", "", modulePath);
    registry.setValue(key + "\\InprocServer32", "ThreadingModel", entry.threadingModel);
    registry.setValue(key + "\\ProgID", "", entry.progId);
    registry.setValue(key + "\\TypeLib", "", GuidText(*server.typeLib.libid));
    registry.setValue(key + "\\Version", "", versionText(server.typeLib));
    if (entry.isControl) {
        registry.setValue(key + "\\Control", "", "");
        registry.setValue(key + "\\MiscStatus", "", "0");
        registry.setValue(key + "\\MiscStatus\\1", "", std::to_string(entry.miscStatus));
    }
    if (entry.toolboxBitmap != 0)
        registry.setValue(key + "\\ToolboxBitmap32", "",
                          modulePath + ", " + std::to_string(entry.toolboxBitmap));
    registry.setValue(entry.progId, "", entry.className);
    registry.setValue(std::string(entry.progId) + "\\CLSID", "", GuidText(*entry.clsid));
}

void recordTypeLib(Registry& registry, const ServerDescription& server,
                   const std::string& modulePath) {
    const TypeLibEntry& lib = server.typeLib;
    const std::string libid = GuidText(*lib.libid);
    const std::string key = "TypeLib\\" + libid + "\\" + versionText(lib);
    registry.setValue(key, "", lib.helpString);
    registry.setValue(key, "Name", lib.name);
    registry.setValue(key + "\\FLAGS", "", lib.isControlLibrary ? "2" : "0");
    registry.setValue(key + "\\" + hexText(lib.lcid) + "\\linux64", "", modulePath);
    registry.setValue(key + "\\HELPDIR", "",
                      std::filesystem::path(modulePath).parent_path().string());
    for (const InterfaceEntry& itf : server.interfaces) {
        const std::string itfKey = "Interface\\" + GuidText(*itf.iid);
        registry.setValue(itfKey, "", itf.name);
        registry.setValue(itfKey + "\\TypeLib", "", libid);
        registry.setValue(itfKey + "\\TypeLib", "Version", versionText(lib));
    }
}

}  // namespace

HRESULT RegisterServer(const ServerDescription& server) {
    const std::string modulePath = modulePathOf(&server);
    if (modulePath.empty()) return SELFREG_E_CLASS;
    Registry registry;
    if (FAILED(Registry::load(Registry::defaultPath(), &registry))) return SELFREG_E_CLASS;
    recordTypeLib(registry, server, modulePath);
    for (const ClassEntry& entry : server.classes) recordClass(registry, server, entry, modulePath);
    return SUCCEEDED(registry.save()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer(const ServerDescription& server) {
    Registry registry;
    if (FAILED(Registry::load(Registry::defaultPath(), &registry))) return SELFREG_E_CLASS;
    bool changed = registry.removeTree("TypeLib\\" + GuidText(*server.typeLib.libid));
    for (const InterfaceEntry& itf : server.interfaces)
        changed |= registry.removeTree("Interface\\" + GuidText(*itf.iid));
    for (const ClassEntry& entry : server.classes) {
        changed |= registry.removeTree("CLSID\\" + GuidText(*entry.clsid));
        changed |= registry.removeTree(entry.progId);
    }
    if (!changed) return S_OK;
    return SUCCEEDED(registry.save()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT GetModuleTypeInfo(REFGUID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

}  // namespace com

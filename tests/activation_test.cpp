// Registration, unregistration and activation of the real control library,
// against a registry of the test's own.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "com/local_servers.h"
#include "com/objbase.h"
#include "com/ptr.h"
#include "com/registry.h"
#include "com/strings.h"
#include "corvell_ids.h"

namespace {

std::filesystem::path besideThisProgram(const char* name) {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

class ActivationTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = std::filesystem::temp_directory_path() /
               ("activation_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        ::setenv("XDG_DATA_HOME", home.c_str(), 1);
        library = dlopen(besideThisProgram(CORVELL_LIBRARY_FILE).c_str(), RTLD_NOW);
        ASSERT_NE(library, nullptr) << dlerror();
        registerServer = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllUnregisterServer"));
        canUnloadNow = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllCanUnloadNow"));
        getClassObject = reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(
            dlsym(library, "DllGetClassObject"));
        ASSERT_TRUE(registerServer && unregisterServer && canUnloadNow && getClassObject);
    }
    void TearDown() override {
        dlclose(library);
        std::filesystem::remove_all(home);
    }

    com::Registry registry() {
        com::Registry r;
        EXPECT_EQ(com::Registry::load(com::Registry::defaultPath(), &r), S_OK);
        return r;
    }

    std::filesystem::path home;
    void* library = nullptr;
    HRESULT (*registerServer)() = nullptr;
    HRESULT (*unregisterServer)() = nullptr;
    HRESULT (*canUnloadNow)() = nullptr;
    HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
};

const std::string kClassKey = "CLSID\\" + com::GuidText(CLSID_Sievan);

TEST_F(ActivationTest, OnlyTheFourEntryPointsAreExported) {
    for (const char* hidden :
         {"_ZN7corvell6Sievan6CreateERK4GUIDPPv", "SysAllocString", "CoCreateInstance",
          "_ZN3com14RegisterServerERKNS_17ServerDescriptionE"})
        EXPECT_EQ(dlsym(library, hidden), nullptr) << hidden;
}

TEST_F(ActivationTest, RegisterRecordsClassTypeLibraryAndInterfaces) {
    ASSERT_EQ(registerServer(), S_OK);
    const com::Registry r = registry();
    EXPECT_EQ(r.value(kClassKey + "\\InprocServer32"),
              std::filesystem::canonical(besideThisProgram(CORVELL_LIBRARY_FILE)).string());
    EXPECT_EQ(r.value(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(r.value(kClassKey + "\\ProgID"), "Corvell.Sievan");
    EXPECT_TRUE(r.hasKey(kClassKey + "\\Control"));
    EXPECT_EQ(r.value(kClassKey + "\\MiscStatus\\1"), std::to_string(0x20591));
    EXPECT_EQ(r.value(kClassKey + "\\ToolboxBitmap32")
                  ->substr(r.value(kClassKey + "\\ToolboxBitmap32")->size() - 7),
              ", 30000");
    EXPECT_EQ(r.value(kClassKey + "\\TypeLib"), com::GuidText(LIBID_Corvell));
    EXPECT_EQ(r.value("Corvell.Sievan\\CLSID"), com::GuidText(CLSID_Sievan));
    const std::string lib = "TypeLib\\" + com::GuidText(LIBID_Corvell) + "\\1.0";
    EXPECT_EQ(r.value(lib), "Corvell");
    EXPECT_EQ(r.value(lib + "\\FLAGS"), "2");
    EXPECT_TRUE(r.hasKey(lib + "\\409\\linux64"));
    EXPECT_EQ(r.value("Interface\\" + com::GuidText(IID__Sievan)), "_Sievan");
    EXPECT_EQ(r.value("Interface\\" + com::GuidText(DIID___Sievan)), "__Sievan");

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Corvell.Sievan", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Sievan);
    com::Ptr<IDispatch> control;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.out()),
              S_OK);
}

TEST_F(ActivationTest, UnregisterRemovesExactlyWhatRegisterAddedAndMayRepeat) {
    {
        com::Registry r = registry();
        r.setValue("CLSID\\{00000000-0000-0000-0000-000000000001}", "", "someone else's");
        ASSERT_EQ(r.save(), S_OK);
    }
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    const com::Registry r = registry();
    EXPECT_FALSE(r.hasKey(kClassKey));
    EXPECT_FALSE(r.hasKey("Corvell.Sievan"));
    EXPECT_FALSE(r.hasKey("TypeLib\\" + com::GuidText(LIBID_Corvell) + "\\1.0"));
    EXPECT_FALSE(r.hasKey("Interface\\" + com::GuidText(IID__Sievan)));
    EXPECT_TRUE(r.hasKey("CLSID\\{00000000-0000-0000-0000-000000000001}"));
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Corvell.Sievan", &clsid), CO_E_CLASSSTRING);
}

TEST_F(ActivationTest, UnregisteredClassIsFoundBesideTheProgramByItsKnownName) {
    ASSERT_EQ(com::AddLocalServer(CLSID_Sievan, CORVELL_LIBRARY_FILE), S_OK);
    com::Ptr<IDispatch> control;
    EXPECT_EQ(
        CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.out()),
        S_OK);
    EXPECT_TRUE(control);
    EXPECT_EQ(com::ServerPathsFor(CLSID_Sievan),
              std::vector{besideThisProgram(CORVELL_LIBRARY_FILE).string()});
}

// Libraries beside the program run code as they load; only the one named for a class is opened.
TEST_F(ActivationTest, OnlyTheLibraryNamedForTheClassIsLoaded) {
    const CLSID probe = {0x12345678, 0x5, 0x6, {1, 2, 3, 4, 5, 6, 7, 8}};
    ::unsetenv("ACTIVATION_PROBE_LOADED");
    com::Ptr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(probe, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(std::getenv("ACTIVATION_PROBE_LOADED"), nullptr);
    EXPECT_TRUE(com::ServerPathsFor(probe).empty());

    ASSERT_EQ(com::AddLocalServer(probe, "libactivation_probe_missing.so"), S_OK);
    EXPECT_EQ(CoCreateInstance(probe, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(std::getenv("ACTIVATION_PROBE_LOADED"), nullptr);

    ASSERT_EQ(com::AddLocalServer(probe, "libactivation_probe.so"), S_OK);
    EXPECT_EQ(CoCreateInstance(probe, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_NE(std::getenv("ACTIVATION_PROBE_LOADED"), nullptr);
}

TEST_F(ActivationTest, KnownNamesAreBareFileNames) {
    const CLSID some = {0x12345678, 0x7, 0x8, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(com::AddLocalServer(some, ""), E_INVALIDARG);
    EXPECT_EQ(com::AddLocalServer(some, "../lib/libX.so"), E_INVALIDARG);
    EXPECT_EQ(com::AddLocalServer(some, "/usr/lib/libX.so"), E_INVALIDARG);
    EXPECT_TRUE(com::ServerPathsFor(some).empty());
}

// A registered path that is not absolute would load whatever lies in the current directory or
// on the loader's search path; it is refused even where it would name the right library.
TEST_F(ActivationTest, RelativeRegisteredPathIsRefused) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(besideThisProgram(""));
    for (const std::string relative :
         {"libCorvell.so", "./libCorvell.so", "../bin/libCorvell.so"}) {
        com::Registry r = registry();
        r.setValue(kClassKey + "\\InprocServer32", "", relative);
        ASSERT_EQ(r.save(), S_OK);
        com::Ptr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   object.out()),
                  CO_E_DLLNOTFOUND)
            << relative;
        EXPECT_EQ(com::ServerPathsFor(CLSID_Sievan), std::vector{relative});
    }
    std::filesystem::current_path(previous);
}

TEST_F(ActivationTest, FailuresComeBackAsResults) {
    com::Ptr<IUnknown> object;
    const CLSID unknown = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(getClassObject(unknown, IID_IClassFactory, object.out()), CLASS_E_CLASSNOTAVAILABLE);

    com::Ptr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_Sievan, IID_IClassFactory, factory.out()), S_OK);
    com::Ptr<IUnknown> outer;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.out()), S_OK);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.out()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, object.out()), E_NOINTERFACE);
    EXPECT_FALSE(object);

    com::Registry r = registry();
    r.setValue(kClassKey + "\\InprocServer32", "", (home / "gone" / "libCorvell.so").string());
    ASSERT_EQ(r.save(), S_OK);
    EXPECT_EQ(
        CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
        CO_E_DLLNOTFOUND);
}

TEST_F(ActivationTest, LibraryStaysWhileObjectsOrLocksRemain) {
    ASSERT_EQ(canUnloadNow(), S_OK);
    com::Ptr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_Sievan, IID_IClassFactory, factory.out()), S_OK);
    com::Ptr<IDispatch> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, control.out()), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    control.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // the lock holds it

    ASSERT_EQ(getClassObject(CLSID_Sievan, IID_IClassFactory, factory.out()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_FALSE);  // unbalanced: harmless
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace

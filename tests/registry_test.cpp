// The per-user registry file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "com/registry.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory =
            std::filesystem::temp_directory_path() /
            ("registry_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        path = (directory / "sub" / "registry").string();
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::filesystem::path directory;
    std::string path;
};

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistry) {
    com::Registry registry;
    ASSERT_EQ(com::Registry::load(path, &registry), S_OK);
    EXPECT_FALSE(registry.hasKey("CLSID"));
}

TEST_F(RegistryTest, ValuesSurviveARoundTripWhateverTheirText) {
    com::Registry registry;
    ASSERT_EQ(com::Registry::load(path, &registry), S_OK);
    registry.setValue("A\\B", "", "default");
    registry.setValue("A\\B", "Name", "line one\nline two \\ back=slash [x]");
    ASSERT_EQ(registry.save(), S_OK);

    com::Registry again;
    ASSERT_EQ(com::Registry::load(path, &again), S_OK);
    EXPECT_EQ(again.value("A\\B"), "default");
    EXPECT_EQ(again.value("A\\B", "Name"), "line one\nline two \\ back=slash [x]");
    EXPECT_EQ(again.value("A\\B", "Other"), std::nullopt);
    EXPECT_EQ(again.value("A"), std::nullopt);
}

TEST_F(RegistryTest, RemoveTreeTakesSubkeysButNotSiblingsWithTheSamePrefix) {
    com::Registry registry;
    registry.setValue("K", "", "1");
    registry.setValue("K\\Sub", "", "2");
    registry.setValue("K\\Sub\\Deep", "", "3");
    registry.setValue("KSibling", "", "4");
    registry.setValue("K.Other", "", "5");
    EXPECT_TRUE(registry.removeTree("K"));
    EXPECT_FALSE(registry.hasKey("K"));
    EXPECT_FALSE(registry.hasKey("K\\Sub\\Deep"));
    EXPECT_TRUE(registry.hasKey("KSibling"));
    EXPECT_TRUE(registry.hasKey("K.Other"));
    EXPECT_FALSE(registry.removeTree("K"));
}

TEST_F(RegistryTest, MalformedFileIsReportedNotGuessed) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "value outside any key\n";
    com::Registry registry;
    EXPECT_EQ(com::Registry::load(path, &registry), E_FAIL);
}

TEST_F(RegistryTest, UnwritableLocationFailsTheSave) {
    std::filesystem::create_directories(directory);
    std::ofstream(directory / "sub") << "a file where the directory should be";
    com::Registry registry;
    ASSERT_EQ(com::Registry::load(path, &registry), S_OK);
    registry.setValue("K", "", "v");
    EXPECT_EQ(registry.save(), REGDB_E_WRITEREGDB);
}

}  // namespace

// sievan-pipe started from a directory without the control library: it says what it tried.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "corvell_ids.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string output;
};

Result run(const std::string& command) {
    Result result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class SievanPipeTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = fs::temp_directory_path() / ("sievan_pipe_test_" + std::to_string(::getpid()));
        fs::create_directories(scratch / "data");
        ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(scratch); }
    fs::path scratch;
};

TEST_F(SievanPipeTest, CleansLinesWithTheLibraryBesideIt) {
    const Result result = run("printf 'contact: abc@b.c\\n' | " SIEVAN_PIPE);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "abc@b.c\n");
}

TEST_F(SievanPipeTest, MissingLibraryNamesThePathItTried) {
    const fs::path alone = scratch / "alone";
    fs::create_directories(alone);
    fs::copy_file(SIEVAN_PIPE, alone / "sievan-pipe");
    // A library in the current directory is never picked up.
    fs::copy_file(fs::path(SIEVAN_PIPE).parent_path() / CORVELL_LIBRARY_FILE,
                  scratch / CORVELL_LIBRARY_FILE);
    const Result result = run("cd '" + scratch.string() + "' && '" +
                              (alone / "sievan-pipe").string() + "' </dev/null");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("tried " + (alone / CORVELL_LIBRARY_FILE).string()),
              std::string::npos)
        << result.output;
}

}  // namespace

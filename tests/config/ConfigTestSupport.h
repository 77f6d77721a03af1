#pragma once
// Shared pieces of the configuration tests: a scratch folder per test, whole-file
// access, and the applet folder name computed by coreutils' sha1sum.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>

#include "CorvSDKShared.h"
#include "CorvaneLED.h"

namespace configtest {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The digest as coreutils computes it, so the tests do not trust the code they test.
inline std::string sha1sumOf(const std::string& bytes) {
    char name[] = "/tmp/et-sha1-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) return "mkstemp failed";
    ::close(fd);
    writeFile(name, bytes);
    std::string digest;
    if (FILE* pipe = ::popen((std::string("sha1sum ") + name).c_str(), "r")) {
        char line[128] = {};
        if (std::fgets(line, sizeof line, pipe)) digest.assign(line, 40);
        ::pclose(pipe);
    }
    ::unlink(name);
    return digest;
}

class ConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/et-config-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base_ = pattern;
        ASSERT_TRUE(CorvSetConfigFilePath(base_.c_str()));
        const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
        folder_ = base_ / "Corvane/Gaming/Applets" / sha1sumOf(exe);
        file_ = folder_ / "corv.cfg";
    }
    void TearDown() override { std::filesystem::remove_all(base_); }

    std::string fileText() const { return readFile(file_); }
    void setFileText(const std::string& text) {
        std::filesystem::create_directories(folder_);
        writeFile(file_, text);
    }

    std::filesystem::path base_, folder_, file_;
};

} // namespace configtest

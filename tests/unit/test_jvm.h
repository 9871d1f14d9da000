// The test JVM (tests/testjvm), built beside this test program, and the log it writes
// of every call made into it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "os/os.h"
#include "temp_folder.h"

namespace jl::testing {

inline std::wstring testJvmPath(const std::wstring& variant = L"jvm") {
#ifdef _WIN32
    const std::wstring file = variant + L".dll";
#else
    const std::wstring file = L"lib" + variant + L".so";
#endif
    std::wstring self;
    uint32_t error = 0;
    if (!os::modulePath(self, error)) return {};
    return self.substr(0, self.find_last_of(os::kPathSeparator) + 1) + L"testjvm" + os::kPathSeparator + file;
}

inline bool testJvmBuilt(const std::wstring& variant = L"jvm") {
    os::FindResult match;
    return os::findFirstFile(testJvmPath(variant), match) == 0;
}

// The log of the current test; the launcher's hooks append their own lines to it.
inline std::string testJvmLogPath;
inline void appendToTestJvmLog(const std::string& line) {
    std::ofstream(testJvmLogPath, std::ios::app) << line << "\n";
}

// Points the test JVM at a fresh log in a folder of the test's own.
class TestJvmTest : public ::testing::Test {
protected:
    void SetUp() override {
        testJvmLogPath = os::toUtf8(folder_.path(L"testjvm.log"));
        ASSERT_TRUE(os::setEnvironment(L"TESTJVM_LOG", os::fromUtf8(testJvmLogPath)));
    }
    static void control(const char* name, const std::string& value) {
        ASSERT_TRUE(os::setEnvironment(os::fromUtf8(name), os::fromUtf8(value)));
    }
    static void clearLog() { std::remove(testJvmLogPath.c_str()); }

    static std::vector<std::string> log() {
        std::ifstream in(testJvmLogPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static bool starts(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }
    // Index of the first line at or after `from` that starts with `prefix`, or -1.
    static int position(const std::string& prefix, int from = 0) {
        const auto lines = log();
        for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
            if (starts(lines[i], prefix)) return static_cast<int>(i);
        }
        return -1;
    }
    static bool logged(const std::string& line) {
        const auto lines = log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static bool loggedStarting(const std::string& prefix) { return position(prefix) >= 0; }
    static size_t count(const std::string& prefix) {
        const auto lines = log();
        return static_cast<size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return starts(line, prefix); }));
    }
    // Lines starting with each prefix follow one another in the log.
    static void expectInOrder(const std::vector<std::string>& prefixes) {
        int previous = -1;
        for (const std::string& prefix : prefixes) {
            const int at = position(prefix, previous + 1);
            EXPECT_GT(at, previous) << "[" << prefix << "] missing or out of order";
            if (at < 0) return;
            previous = at;
        }
    }

    TempFolder folder_;
};

}  // namespace jl::testing

// A folder of its own for each test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "os/os.h"

namespace jl::testing {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() / (std::string("jl-") + (info ? info->name() : "test") + "-" +
                                                          std::to_string(os::currentProcessId()) + "-" +
                                                          std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;

    // The folder, without a trailing separator.
    std::wstring path() const { return root_.wstring(); }
    std::wstring path(const std::wstring& name) const { return (root_ / name).wstring(); }
    std::wstring write(const std::wstring& name, const std::string& bytes) const {
        const std::filesystem::path file = root_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.wstring();
    }

private:
    std::filesystem::path root_;
};

}  // namespace jl::testing

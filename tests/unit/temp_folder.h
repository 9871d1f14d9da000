// A folder of its own for each test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace jl::testing {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("jl-") + (info ? info->name() : "test") + "-" +
                           std::to_string(counter++) + "-" + std::to_string(std::rand());
        root_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing separator.
    std::wstring path() const { return root_.wstring(); }
    std::wstring path(const std::wstring& name) const { return (root_ / name).wstring(); }

    std::wstring write(const std::wstring& name, const std::string& bytes) const {
        std::filesystem::path file = root_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.wstring();
    }

private:
    std::filesystem::path root_;
};

}  // namespace jl::testing

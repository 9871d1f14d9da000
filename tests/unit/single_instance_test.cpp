// Single instance: the argument area of the instance block, and two SingleInstance objects
// of this process on a name of the test's own (across processes: the end-to-end tests).
#include "core/single_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/instance_arguments.h"
#include "jvm/java_strings.h"
#include "os/os.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace jl {
namespace {

using List = std::vector<std::wstring>;
using Area = std::vector<uint8_t>;

TEST(InstanceArguments, LayoutIsUtf16WithNulSeparatorsAndTheRestZeroed) {
    Area area(kArgumentAreaSize, 0xEE);
    ASSERT_TRUE(writeArgumentArea({L"ab", L"\u20ac"}, area.data()));
    Area expected = {'a', 0, 'b', 0, 0, 0, 0xAC, 0x20, 0, 0, 0, 0};
    expected.resize(kArgumentAreaSize);
    EXPECT_EQ(area, expected);
}

TEST(InstanceArguments, ReadingWhateverAWriterLeft) {
    const Area beyondTheSize = {'a', 0, 'b', 0, 0, 0, 0, 0};
    // what, bytes, the list read (nothing: not well formed)
    const std::tuple<const char*, Area, List> cases[] = {
        {"all garbage", Area(kArgumentAreaSize, 0xFF), {}}, {"all zero", Area(kArgumentAreaSize, 0), {L""}},
        {"a string running to the end", {'a', 0, 'b', 0, 'c', 0, 'd', 0}, {}},
        {"a NUL in the last unit only", {'a', 0, 'b', 0, 0, 0}, {}},
        {"the list's end in the last unit", {'a', 0, 0, 0, 0, 0}, {L"a"}},
        {"an odd byte after the last unit", {'a', 0, 0, 0, 0, 0, 0x41}, {L"a"}}, {"one byte", {0}, {}}, {"nothing", {}, {}},
        // The reader must not look past the size it is given.
        {"the list's end beyond the size", Area(beyondTheSize.begin(), beyondTheSize.begin() + 4), {}},
        {"the list's end at the size", beyondTheSize, {L"ab"}},
        // A pair and a lone low surrogate: every unit is kept.
        {"surrogates", {0x00, 0xD8, 0x00, 0xDC, 0x00, 0xDC, 0, 0, 0, 0}, {fromUtf16Units(u"\U00010000\xDC00", 3)}},
    };
    for (const auto& [what, bytes, expected] : cases) {
        List read = {L"untouched"};
        EXPECT_EQ(readArgumentArea(bytes.data(), bytes.size(), read), !expected.empty()) << what;
        EXPECT_EQ(read, expected.empty() ? List{L"untouched"} : expected) << what;
    }
}

TEST(SingleInstance, WhenItAppliesAndWhatItIsKeyedBy) {
    EXPECT_TRUE(singleInstanceApplies(false, L"yes"));
    EXPECT_FALSE(singleInstanceApplies(true, L"yes")) << "a service never runs as single instance";
    for (const wchar_t* value : {L"Yes", L"yes ", L""}) EXPECT_FALSE(singleInstanceApplies(false, value)) << value;
#ifdef _WIN32
    EXPECT_EQ(instanceNameFor(L"C:\\Program Files\\Tool\\tool.exe"), L"C:_Program Files_Tool_tool.exe");
#else
    EXPECT_EQ(instanceNameFor(L"/opt/tool/bin/tool"), L"_opt_tool_bin_tool");
#endif
}

using Clock = std::chrono::steady_clock;

std::wstring uniqueName(const wchar_t* what) {
    static int counter = 0;
    return std::wstring(L"jl-test-") + what + L"-" + std::to_wstring(os::currentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"-" + std::to_wstring(Clock::now().time_since_epoch().count() % 1000000007);
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(SingleInstanceTest, TheFirstClaimsTheNameAndALaterOneHandsOverWhatFits) {
    os::initMainThread();  // the reply comes to this thread's message queue on Windows
    const std::wstring name = uniqueName(L"claim");
    SingleInstance first, tooLong, second;
    ASSERT_TRUE(first.claimOrHandOver(name, {L"own"}));
    EXPECT_TRUE(first.isFirstInstance());
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(tooLong.claimOrHandOver(name, {std::wstring(1039, L'x')}));
    EXPECT_LT(secondsSince(start), 1.0) << "refused before the first instance is contacted";
    ASSERT_TRUE(second.claimOrHandOver(name, {std::wstring(1038, L'x')}));
    EXPECT_TRUE(second.isSecondInstance());
    // Without a virtual machine the launch is refused once the first stops serving.
    first.stopServing();
    EXPECT_EQ(second.waitForFirstInstanceReply(), kLaunchNotServed);
}

#ifdef _WIN32
// What another program may leave in the block: a second instance that finds no listener
// it can reach gives up after a few seconds with false, never hangs.
TEST(SingleInstanceTest, ABlockWithoutAReachableListenerFailsInBoundedTime) {
    os::initMainThread();
    const int fills[] = {0xFF, 0x00, -1};  // garbage, zeros, the block of a first instance that ended
    std::wstring names[3];
    HANDLE mappings[3];
    double seconds[3] = {0, 0, 0};
    SingleInstance ended;
    for (int i = 0; i < 3; ++i) {
        names[i] = uniqueName(L"block");
        ASSERT_TRUE(fills[i] >= 0 || (ended.claimOrHandOver(names[i], {}) && ended.isFirstInstance()));
        // Held open here, the block outlives whoever made it.
        mappings[i] = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         static_cast<DWORD>(kInstanceBlockSize), names[i].c_str());
        ASSERT_NE(mappings[i], nullptr);
        if (fills[i] < 0) {
            ended.teardown();
            continue;
        }
        void* view = MapViewOfFile(mappings[i], FILE_MAP_WRITE, 0, 0, 0);
        ASSERT_NE(view, nullptr);
        std::memset(view, fills[i], kInstanceBlockSize);
        UnmapViewOfFile(view);
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&, i] {
            SingleInstance second;
            const Clock::time_point start = Clock::now();
            seconds[i] = second.claimOrHandOver(names[i], {L"lost?"}) ? -1 : secondsSince(start);
        });
    }
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < 3; ++i) {
        // Refused (never -1), after the few seconds a first instance that is starting gets.
        EXPECT_TRUE(seconds[i] > 2.0 && seconds[i] < 10.0) << fills[i] << ": " << seconds[i];
        CloseHandle(mappings[i]);
    }
}
#endif

}  // namespace
}  // namespace jl

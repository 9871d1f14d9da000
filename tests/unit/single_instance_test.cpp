// Single instance: the argument area of the instance block (its layout, and whatever a
// reader may find in it), and two SingleInstance objects of this process, each claiming
// an instance name of the test's own: who is first, and how a second instance is
// answered when the first one cannot serve it. (Across processes, with secondaryMain,
// the lists handed over and the area's limit, the end-to-end tests take over.)
#include "core/single_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "os/os.h"

#include "core/instance_arguments.h"

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
    const Area expected = {'a', 0, 'b', 0, 0, 0, 0xAC, 0x20, 0, 0, 0, 0};
    EXPECT_EQ(Area(area.begin(), area.begin() + expected.size()), expected);
    for (size_t i = expected.size(); i < area.size(); ++i) ASSERT_EQ(area[i], 0) << "byte " << i;
}

TEST(InstanceArguments, ReadingWhateverAWriterLeft) {
    struct Case {
        const char* what;
        Area bytes;
        bool wellFormed;
        List read;
    };
    const Area beyondTheSize = {'a', 0, 'b', 0, 0, 0, 0, 0};
    const Case cases[] = {
        {"all garbage", Area(kArgumentAreaSize, 0xFF), false, {}},
        {"all zero", Area(kArgumentAreaSize, 0), true, {L""}},
        {"a string running to the end", Area{'a', 0, 'b', 0, 'c', 0, 'd', 0}, false, {}},
        {"a NUL in the last unit only", Area{'a', 0, 'b', 0, 0, 0}, false, {}},
        {"the list's end in the last unit", Area{'a', 0, 0, 0, 0, 0}, true, {L"a"}},
        {"an odd byte after the last unit", Area{'a', 0, 0, 0, 0, 0, 0x41}, true, {L"a"}},
        {"one byte", Area{0}, false, {}}, {"nothing", Area{}, false, {}},
        // The reader must not look past the size it is given.
        {"the list's end beyond the size", Area(beyondTheSize.begin(), beyondTheSize.begin() + 4), false, {}},
        {"the list's end at the size", beyondTheSize, true, {L"ab"}},
    };
    for (const Case& c : cases) {
        List read = {L"untouched"};
        EXPECT_EQ(readArgumentArea(c.bytes.data(), c.bytes.size(), read), c.wellFormed) << c.what;
        EXPECT_EQ(read, c.wellFormed ? c.read : List{L"untouched"}) << c.what;
    }

    // A pair and a lone low surrogate: every unit is kept.
    const Area surrogates = {0x00, 0xD8, 0x00, 0xDC, 0x00, 0xDC, 0, 0, 0, 0};
    List read;
    ASSERT_TRUE(readArgumentArea(surrogates.data(), surrogates.size(), read));
    ASSERT_EQ(read.size(), 1u);
#ifdef _WIN32
    EXPECT_EQ(read[0], std::wstring(L"\xD800\xDC00\xDC00"));
#else
    EXPECT_EQ(read[0], std::wstring(L"\U00010000") + static_cast<wchar_t>(0xDC00));
#endif
}

TEST(SingleInstance, WhenItAppliesAndWhatItIsKeyedBy) {
    EXPECT_TRUE(singleInstanceApplies(false, L"yes"));
    EXPECT_FALSE(singleInstanceApplies(true, L"yes")) << "a service never runs as single instance";
    EXPECT_FALSE(singleInstanceApplies(false, L"Yes")) << "compared exactly";
    EXPECT_FALSE(singleInstanceApplies(false, L"yes "));
    EXPECT_FALSE(singleInstanceApplies(false, L""));
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
           std::to_wstring(++counter) + L"-" +
           std::to_wstring(Clock::now().time_since_epoch().count() % 1000000007);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    // The reply comes to this thread's message queue on Windows.
    void SetUp() override { os::initMainThread(); }
};

TEST_F(SingleInstanceTest, TheFirstClaimsTheNameAndALaterOneHandsOverWhatFits) {
    const std::wstring name = uniqueName(L"claim");
    SingleInstance first;
    ASSERT_TRUE(first.claimOrHandOver(name, {L"own"}));
    EXPECT_TRUE(first.isFirstInstance());
    SingleInstance tooLong;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(tooLong.claimOrHandOver(name, {std::wstring(1039, L'x')}));
    EXPECT_LT(secondsSince(start), 1.0) << "refused before the first instance is contacted";
    SingleInstance second;
    ASSERT_TRUE(second.claimOrHandOver(name, {std::wstring(1038, L'x')}));
    EXPECT_TRUE(second.isSecondInstance());
    // Without a virtual machine the launch can only be refused, and it is, once the
    // first instance stops serving.
    first.stopServing();
    EXPECT_EQ(second.waitForFirstInstanceReply(), kLaunchNotServed);
}

#ifdef _WIN32
// What another program may leave in the block: a second instance that finds no listener
// it can reach gives up after a few seconds with false, never hangs.
TEST_F(SingleInstanceTest, ABlockWithoutAReachableListenerFailsInBoundedTime) {
    struct Case {
        const char* what;
        uint8_t fill;
        bool firstTornDown;
        std::wstring name;
        HANDLE mapping = nullptr;
        bool result = true;
        double seconds = 0;
    };
    std::vector<Case> cases = {{"garbage", 0xFF, false}, {"zeros", 0x00, false}, {"listener ended", 0, true}};
    SingleInstance ended;
    for (Case& c : cases) {
        c.name = uniqueName(L"block");
        if (c.firstTornDown) {
            ASSERT_TRUE(ended.claimOrHandOver(c.name, {}));
            ASSERT_TRUE(ended.isFirstInstance());
        }
        // Held open here, the block outlives whoever made it.
        c.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       static_cast<DWORD>(kInstanceBlockSize), c.name.c_str());
        ASSERT_NE(c.mapping, nullptr);
        if (c.firstTornDown) {
            ended.teardown();
            continue;
        }
        void* view = MapViewOfFile(c.mapping, FILE_MAP_WRITE, 0, 0, 0);
        ASSERT_NE(view, nullptr);
        std::memset(view, c.fill, kInstanceBlockSize);
        UnmapViewOfFile(view);
    }
    std::vector<std::thread> threads;
    for (Case& c : cases) {
        threads.emplace_back([&c] {
            SingleInstance second;
            const Clock::time_point start = Clock::now();
            c.result = second.claimOrHandOver(c.name, {L"lost?"});
            c.seconds = secondsSince(start);
        });
    }
    for (std::thread& t : threads) t.join();
    for (Case& c : cases) {
        EXPECT_FALSE(c.result) << c.what;
        EXPECT_GT(c.seconds, 2.0) << c.what << ": a first instance that is starting gets a few seconds";
        EXPECT_LT(c.seconds, 10.0) << c.what;
        CloseHandle(c.mapping);
    }
}
#endif

}  // namespace
}  // namespace jl

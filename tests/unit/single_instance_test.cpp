// Single instance between two SingleInstance objects of this process, each claiming an
// instance name of the test's own: who is first, and how a second instance is answered
// when the first one cannot serve it. (Across processes, with secondaryMain, the
// end-to-end tests take over.)
#include "core/single_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "os/os.h"

#ifdef _WIN32
#include <windows.h>

#include "core/instance_arguments.h"
#endif

namespace jl {
namespace {

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

// secondaryMain against the test JVM: the launches it cannot serve, and a thread that
// stays in the virtual machine. (Both forms served, and the moment of each reply, are
// the end-to-end tests' single-instance cases.)
#include "jvm/secondary_main.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "jvm/java_host.h"
#include "jvm/jvm_options.h"
#include "os/os.h"
#include "test_jvm.h"

namespace jl {
namespace {

// What the hook does while main is about to start: one forwarded launch, on a thread of
// its own, as a request thread would run it.
JavaHost* currentHost = nullptr;
SecondaryLaunch forwarded;
bool forwardedReturned = false;
JavaVM* lastVm = nullptr;
void sendReply(void*, int code) { testing::appendToTestJvmLog("launcher: reply " + std::to_string(code)); }
const SecondaryReply kReply{&sendReply, nullptr};

class SecondaryMainTest : public testing::TestJvmTest {
protected:
    void SetUp() override {
        if (!testing::testJvmBuilt()) GTEST_SKIP() << "the test JVM was not built";
        TestJvmTest::SetUp();
        forwarded = SecondaryLaunch{};
        forwardedReturned = false;
        launch_.mainStarting = [] {
            lastVm = currentHost->javaVm();
            std::thread([] { forwardedReturned = runSecondaryMain(lastVm, forwarded, kReply); }).join();
        };
        jvm_.options = {"-Xmx64m"};
    }
    void TearDown() override {
        control("TESTJVM_FAIL", "");
    }

    // Runs main of `mainClass` with the forwarded launch made just before it.
    void run(const std::wstring& mainClass) {
        clearLog();
        JavaHost host;
        currentHost = &host;
        EXPECT_TRUE(host.loadJvmLibrary(testing::testJvmPath()));
        launch_.mainClass = mainClass;
        EXPECT_EQ(host.runJavaThread(launch_, jvm_), 0);
        currentHost = nullptr;
    }

    JavaLaunch launch_;
    JvmOptions jvm_;
};

// Without the class, the method or the argument array there is no reply: the failure is
// described and the thread leaves. A name outside ASCII reaches FindClass in modified
// UTF-8. A virtual machine that takes no thread any more cannot serve the launch, and one
// whose shutdown has begun would answer and then lose it: either is answered -1 at once,
// with nothing called and nothing reported.
TEST_F(SecondaryMainTest, ALaunchThatCannotBeMadeIsNotAnsweredOrAnsweredNotServed) {
    struct Case {
        const wchar_t* forwardedClass;
        const char* fail;
        const char* shuttingDown;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {L"app/Records", "", "", {"AttachCurrentThread", "FindClass app/Records", "ExceptionDescribe"}},
        {L"app/Gr\u00fc\u00dfe", "", "", {"AttachCurrentThread", "FindClass app/Gr\xC3\xBC\xC3\x9F" "e", "ExceptionDescribe"}},
        {L"app/Missing", "", "", {"AttachCurrentThread", "FindClass app/Missing", "ExceptionDescribe"}},
        {L"app/SecondaryInt", "NewObjectArray:2", "",
         {"AttachCurrentThread", "ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObjectArray"}},
        {L"app/SecondaryVoid", "", "1", {"AttachCurrentThread", "launcher: reply -1"}},
        {L"app/SecondaryInt", "", "1", {"AttachCurrentThread", "launcher: reply -1"}},
        {L"app/SecondaryVoid", "AttachCurrentThread", "", {"launcher: reply -1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.forwardedClass) << " " << c.fail << c.shuttingDown);
        control("TESTJVM_FAIL", c.fail);
        control("TESTJVM_SHUTTING_DOWN", c.shuttingDown);
        forwarded.mainClass = c.forwardedClass;
        forwarded.arguments = {L"x"};
        run(L"app/Records");
        EXPECT_FALSE(forwardedReturned);
        const bool answered = c.order.back() == "launcher: reply -1";
        EXPECT_EQ(count("launcher: reply"), answered ? 1u : 0u);
        EXPECT_EQ(count("secondaryMain "), 0u);
        if (answered) EXPECT_EQ(count("ExceptionDescribe"), 0u);
        if (answered) EXPECT_EQ(count("GetStaticMethodID " + os::toUtf8(c.forwardedClass)), 0u);
        std::vector<std::string> order = c.order;
        // A thread that was never attached has nothing to leave.
        if (std::string(c.fail) != "AttachCurrentThread") order.push_back("DetachCurrentThread");
        expectInOrder(order);
    }
    control("TESTJVM_SHUTTING_DOWN", "");

    // The same launch once the virtual machine has been destroyed, or without one.
    control("TESTJVM_FAIL", "");
    clearLog();
    EXPECT_FALSE(runSecondaryMain(lastVm, forwarded, kReply));
    expectInOrder({"AttachCurrentThread refused", "launcher: reply -1"});
    EXPECT_FALSE(runSecondaryMain(nullptr, forwarded, kReply));
    EXPECT_EQ(count("launcher: reply -1"), 2u);
}

TEST_F(SecondaryMainTest, AThreadThatStaysInTheVirtualMachineIsNotDetached) {
    forwarded.mainClass = L"app/SecondaryVoid";
    forwarded.stayAttached = true;
    run(L"app/SecondaryVoid");
    const int reply = position("launcher: reply 0");
    ASSERT_GE(reply, 0);
    // The only detach after the reply is the Java thread's own, after main.
    const int main = position("main app/SecondaryVoid args=0");
    ASSERT_GT(main, reply);
    EXPECT_EQ(position("DetachCurrentThread", reply), position("DetachCurrentThread", main));
}

}  // namespace
}  // namespace jl

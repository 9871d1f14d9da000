// The JNI host against the test JVM, loaded into this process: the calls the host makes,
// their order, what it reports and traces, and that every way out of the Java thread
// leaves no virtual machine behind. Then secondaryMain: the launches it cannot serve, and
// a thread that stays in the virtual machine. (Both forms served, and the moment of each
// reply, are the end-to-end tests' single-instance cases.)
#include "jvm/java_host.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "config/launch_settings.h"
#include "jvm/jvm_options.h"
#include "jvm/secondary_main.h"
#include "os/os.h"
#include "support/messages.h"
#include "test_jvm.h"
#include "trace_capture.h"

namespace jl {
namespace {

std::vector<std::wstring> shownMessages;
int mainStartingCalls = 0;
int splashCloseCalls = 0;

const wchar_t kNoMain[] = L"No main method found in specified class.\n";
const char kDestroyed[] = "DestroyJavaVM on-creating-thread=yes attached=no";

class JavaHostTest : public testing::TestJvmTest {
protected:
    void SetUp() override {
        if (!testing::testJvmBuilt()) GTEST_SKIP() << "the test JVM was not built";
        TestJvmTest::SetUp();
        setErrorBoxSink([](void*, const std::wstring& text) {
            shownMessages.push_back(text);
            return 1;
        });
        launch_.mainStarting = [] {
            ++mainStartingCalls;
            testing::appendToTestJvmLog("launcher: main starting");
        };
        launch_.closeSplashWindow = [] { ++splashCloseCalls; };
        jvm_.options = {"-Djava.class.path=C:\\app\\app.jar;", "-Xmx64m"};
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        for (const char* name : {"TESTJVM_CREATE_RESULT", "TESTJVM_HELPER", "TESTJVM_FAIL", "TESTJVM_DESCRIBE_KEEPS"}) {
            control(name, "");
        }
    }

    // One launch on a fresh log.
    int run(const wchar_t* mainClass, const wchar_t* variant, const char* helper, const char* fail,
            const char* createResult) {
        control("TESTJVM_HELPER", helper);
        control("TESTJVM_FAIL", fail);
        control("TESTJVM_CREATE_RESULT", createResult);
        clearLog();
        shownMessages.clear();
        mainStartingCalls = splashCloseCalls = 0;
        launch_.mainClass = mainClass;
        JavaHost host;
        EXPECT_TRUE(host.loadJvmLibrary(testing::testJvmPath(variant)));
        const int result = host.runJavaThread(launch_, jvm_);
        EXPECT_EQ(host.javaVm(), nullptr) << "the Java thread leaves no virtual machine behind";
        return result;
    }

    JavaLaunch launch_;
    JvmOptions jvm_;
};

// Ways a launch goes that the end-to-end tests do not take, from creation to
// DestroyJavaVM: the result, the one message shown, the calls in their order and the
// calls that must not happen.
TEST_F(JavaHostTest, EachLaunchMakesItsCallsInOrderAndReportsOnce) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* helper;  // TESTJVM_HELPER
        const char* fail;    // TESTJVM_FAIL
        const char* create;  // TESTJVM_CREATE_RESULT
        int result;
        std::wstring message;  // empty: none shown
        int mainStarts, splashCloses;
        std::vector<std::string> order, absent;
    };
    const std::wstring noVm = L"JNI exception: failed to create the Java VM\nReason: ";
    const Case cases[] = {
        // Whatever fails on the helper's path is cleared, not reported: FindClass with the
        // slash form decides. The name crosses modified UTF-8.
        {L"app/Gr\u00fc\u00dfe", L"jvm_nohelper", "", "", "", 0, L"", 1, 0,
         {"FindClass app/Gr\xC3\xBC\xC3\x9F" "e", "main app/Gr\xC3\xBC\xC3\x9F" "e args=6"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "missing", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "nomethod", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "null", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        // Creation failures, each explained; nothing to destroy. (The end-to-end tests under
        // Wine go through every result and the failures before main one by one.)
        {L"app/Records", L"jvm", "", "", "-4", 1, noVm + L"not enough memory.\n", 0, 0, {}, {"DestroyJavaVM"}},
        {L"app/Records", L"jvm", "", "", "-7", 1, noVm + L".\n", 0, 0, {}, {"DestroyJavaVM"}},
        // Failures before main: reported once, then the thread leaves and destroys; a
        // missing main is told in words even when the VM described nothing.
        {L"app/NoMainQuiet", L"jvm", "", "", "", 1, kNoMain, 0, 0, {"DetachCurrentThread", kDestroyed},
         {"main ", "ExceptionDescribe"}},
        {L"app/Records", L"jvm_nohelper", "", "GetStringUTFChars", "", 1, L"", 0, 0,
         {"ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStringUTFChars", kDestroyed}, {"main "}},
        // After main was entered, an exception it or an instance main's constructor throws
        // stays pending until the thread leaves, where the VM reports it as uncaught; with
        // the trace off its text is never read. A failed detach still destroys.
        {L"app/BadConstructor", L"jvm", "", "", "", 0, L"", 1, 1,
         {"NewObject app/BadConstructor", "DetachCurrentThread",
          "uncaught java.lang.IllegalStateException: thrown by the constructor of app.BadConstructor", "DestroyJavaVM"},
         {"CallVoidMethodV main", "GetStaticMethodID java/lang/String valueOf"}},
        {L"app/Records", L"jvm", "", "DetachCurrentThread", "", 1, L"", 1, 0,
         {"main app/Records args=6", "DestroyJavaVM on-creating-thread=yes attached=yes"}, {}},
        // A helper that says how main is to be called (Java 25) is obeyed; an instance
        // main runs on an object the no-argument constructor made, after mainStarting.
        {L"app/InstanceMain", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticFieldID sun/launcher/LauncherHelper isStaticMain Z", "GetStaticBooleanField isStaticMain false",
          "GetStaticBooleanField noArgMain false", "GetMethodID app/InstanceMain main ([Ljava/lang/String;)V",
          "NewObjectArray 6", "GetMethodID app/InstanceMain <init> ()V", "launcher: main starting",
          "NewObject app/InstanceMain", "constructed app/InstanceMain", "CallVoidMethodV main",
          "instance main app/InstanceMain args=6", "arg 1: two words", "DetachCurrentThread"},
         {}},
        {L"app/InstanceNoArgs", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticBooleanField noArgMain true", "GetMethodID app/InstanceNoArgs main ()V",
          "GetMethodID app/InstanceNoArgs <init> ()V", "launcher: main starting", "constructed app/InstanceNoArgs",
          "instance main app/InstanceNoArgs without parameters", "DetachCurrentThread"},
         {"NewObjectArray"}},
        {L"app/StaticNoArgs", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticBooleanField isStaticMain true", "GetStaticMethodID app/StaticNoArgs main ()V",
          "launcher: main starting", "CallStaticVoidMethodV main", "main app/StaticNoArgs without parameters"},
         {"NewObject app/", "NewObjectArray"}},
        // Without the helper's fields (before Java 25), and on the FindClass path, main is
        // the static main(String[]): a class with only an instance main has none.
        {L"app/Records", L"jvm", "nofields", "", "", 0, L"", 1, 0,
         {"GetStaticMethodID app/Records main ([Ljava/lang/String;)V", "main app/Records args=6"}, {"NewObject app/"}},
        {L"app/Records", L"jvm", "", "GetStaticFieldID", "", 0, L"", 1, 0, {"main app/Records args=6"}, {"NewObject app/"}},
        {L"app/InstanceMain", L"jvm", "nofields", "", "", 1, kNoMain, 0, 0,
         {"GetStaticMethodID app/InstanceMain main ([Ljava/lang/String;)V"}, {"NewObject app/", "instance main"}},
        {L"app/InstanceNoArgs", L"jvm_nohelper", "", "", "", 1, kNoMain, 0, 0,
         {"GetStaticMethodID app/InstanceNoArgs main ([Ljava/lang/String;)V"}, {"GetMethodID app/", "instance main"}},
        {L"app/StaticNoArgs", L"jvm_nohelper", "", "", "", 1, kNoMain, 0, 0,
         {"GetStaticMethodID app/StaticNoArgs main ([Ljava/lang/String;)V"}, {"main "}},
    };
    launch_.arguments = {L"plain", L"two words", L"\u00fc\u00df\u20ac", L"\U0001F600", L"", L"-nosplash"};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.fail << c.create);
        EXPECT_EQ(run(c.mainClass, c.variant, c.helper, c.fail, c.create), c.result);
        EXPECT_EQ(shownMessages, c.message.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.message});
        EXPECT_EQ(mainStartingCalls, c.mainStarts);
        EXPECT_EQ(splashCloseCalls, c.splashCloses);
        expectInOrder(c.order);
        for (const std::string& line : c.absent) EXPECT_FALSE(loggedStarting(line)) << line;
    }
}

// A standard stream that cannot be redirected is traced with the reason, and the exception
// is cleared after it was described, also by a runtime whose ExceptionDescribe leaves it
// pending, so that main is still found and run. (The trace of each deciding JNI result is
// checked end to end.)
TEST_F(JavaHostTest, TheTraceTellsWhetherEachStreamWasRedirected) {
    LaunchSettings settings;
    settings.outputFile = folder_.path();  // a folder: it cannot be opened for writing
    settings.errorFile = folder_.path(L"err.log");
    launch_.settings = &settings;
    testing::TraceCapture capture;
    control("TESTJVM_DESCRIBE_KEEPS", "1");
    EXPECT_EQ(run(L"app/Records", L"jvm", "", "", ""), 0);
    const std::string text = capture.text();
    EXPECT_NE(text.find("jvm: System.out not redirected: java.io.FileNotFoundException: " + os::toUtf8(folder_.path())),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("jvm: System.err redirected"), std::string::npos) << text;
    EXPECT_TRUE(loggedStarting("ExceptionDescribe java.io.FileNotFoundException"));
    EXPECT_TRUE(loggedStarting("main app/Records"));
}

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

// The JNI host and secondaryMain against the test JVM, loaded into this process: the calls
// made, their order, what is reported, and that no way out leaves a virtual machine behind.
#include "jvm/java_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "config/launch_settings.h"
#include "jvm/jvm_options.h"
#include "jvm/secondary_main.h"
#include "os/os.h"
#include "support/messages.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using Lines = std::vector<std::string>;
std::vector<std::wstring> shown;
int mainStarts = 0, splashCloses = 0;
JavaHost* currentHost = nullptr;
std::string logPath;  // the test JVM's log of every call made into it; the hooks add their lines
void appendToLog(const std::string& line) { std::ofstream(logPath, std::ios::app) << line << "\n"; }

std::wstring testJvmPath(const std::wstring& variant) {  // built beside this program
    std::wstring self;
    uint32_t error = 0;
    if (!os::modulePath(self, error)) return {};
#ifdef _WIN32
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"testjvm\\" + variant + L".dll";
#else
    return self.substr(0, self.find_last_of(L'/') + 1) + L"testjvm/lib" + variant + L".so";
#endif
}

class JavaHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = os::toUtf8(folder_.path(L"testjvm.log"));
        control("TESTJVM_LOG", logPath);
        setErrorBoxSink([](void*, const std::wstring& text) { return shown.push_back(text), 1; });
        launch_.mainStarting = [] { ++mainStarts, appendToLog("launcher: main starting"); };
        launch_.closeSplashWindow = [] { ++splashCloses; };
        jvm_.options = {"-Djava.class.path=C:\\app\\app.jar;", "-Xmx64m"};
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        for (const char* name : {"TESTJVM_CREATE_RESULT", "TESTJVM_HELPER", "TESTJVM_FAIL", "TESTJVM_DESCRIBE_KEEPS",
                                 "TESTJVM_SHUTTING_DOWN"}) control(name, "");
    }
    static void control(const char* n, const std::string& v) { ASSERT_TRUE(os::setEnvironment(os::fromUtf8(n), os::fromUtf8(v))); }
    // One launch on a fresh log; the Java thread leaves no virtual machine behind.
    int run(const wchar_t* mainClass, const wchar_t* variant = L"jvm", const char* helper = "", const char* fail = "",
            const char* createResult = "") {
        control("TESTJVM_HELPER", helper), control("TESTJVM_FAIL", fail), control("TESTJVM_CREATE_RESULT", createResult);
        std::remove(logPath.c_str());
        shown.clear(), mainStarts = splashCloses = 0;
        launch_.mainClass = mainClass;
        JavaHost host;
        currentHost = &host;
        EXPECT_TRUE(host.loadJvmLibrary(testJvmPath(variant)));
        const int result = host.runJavaThread(launch_, jvm_);
        EXPECT_EQ(host.javaVm(), nullptr);
        currentHost = nullptr;
        return result;
    }
    // Index of the first line of the log at or after `from` that starts with `prefix`, or -1.
    static int position(const std::string& prefix, int from = 0) {
        std::ifstream in(logPath);
        int at = 0;
        for (std::string line; std::getline(in, line); ++at) if (at >= from && line.rfind(prefix, 0) == 0) return at;
        return -1;
    }
    static size_t count(const std::string& prefix) {
        size_t n = 0;
        for (int at = position(prefix); at >= 0; at = position(prefix, at + 1)) ++n;
        return n;
    }
    // Lines starting with each prefix follow one another in the log.
    static void expectInOrder(const Lines& prefixes) {
        int previous = -1;
        for (const std::string& prefix : prefixes) {
            const int at = position(prefix, previous + 1);
            EXPECT_GT(at, previous) << "[" << prefix << "] missing or out of order";
            if (at < 0) return;
            previous = at;
        }
    }

    testing::TempFolder folder_;
    JavaLaunch launch_;
    JvmOptions jvm_;
};

// Launches the end-to-end tests do not make: the result, the one message shown, the hooks
// called, the calls in their order and those that must not happen.
TEST_F(JavaHostTest, EachLaunchMakesItsCallsInOrderAndReportsOnce) {
    const std::wstring noMain = L"No main method found in specified class.\n";
    const char destroyed[] = "DestroyJavaVM on-creating-thread=yes attached=no";
    const struct {
        const wchar_t *mainClass, *variant;
        const char *helper, *fail, *create;  // TESTJVM_HELPER, TESTJVM_FAIL, TESTJVM_CREATE_RESULT
        int result;
        std::wstring message;  // empty: none shown
        int mainStarts, splashCloses;
        Lines order, absent;
    } cases[] = {
        // What fails on the helper's path is cleared: FindClass decides, in modified UTF-8.
        {L"app/Gr\u00fc\u00dfe", L"jvm_nohelper", "", "", "", 0, L"", 1, 0,
         {"FindClass app/Gr\xC3\xBC\xC3\x9F" "e", "main app/Gr\xC3\xBC\xC3\x9F" "e args=6"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "missing", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "nomethod", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        {L"app/Records", L"jvm", "null", "", "", 0, L"", 1, 0, {"FindClass app/Records", "main app/Records"}, {"ExceptionDescribe"}},
        // A creation failure is explained; there is nothing to destroy.
        {L"app/Records", L"jvm", "", "", "-4", 1, L"JNI exception: failed to create the Java VM\nReason: not enough memory.\n",
         0, 0, {}, {"DestroyJavaVM"}},
        // Failures before main: reported once (in words when the VM described nothing), then
        // the thread leaves and destroys.
        {L"app/NoMainQuiet", L"jvm", "", "", "", 1, noMain, 0, 0, {"DetachCurrentThread", destroyed}, {"main ", "ExceptionDescribe"}},
        {L"app/Records", L"jvm_nohelper", "", "GetStringUTFChars", "", 1, L"", 0, 0,
         {"ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStringUTFChars", destroyed}, {"main "}},
        // An exception of main or its constructor stays pending for the VM to report as
        // uncaught; with the trace off its text is never read. A failed detach still destroys.
        {L"app/BadConstructor", L"jvm", "", "", "", 0, L"", 1, 1,
         {"NewObject app/BadConstructor", "DetachCurrentThread",
          "uncaught java.lang.IllegalStateException: thrown by the constructor of app.BadConstructor", "DestroyJavaVM"},
         {"CallVoidMethodV main", "GetStaticMethodID java/lang/String valueOf"}},
        {L"app/Records", L"jvm", "", "DetachCurrentThread", "", 1, L"", 1, 0,
         {"main app/Records args=6", "DestroyJavaVM on-creating-thread=yes attached=yes"}, {}},
        // The helper's word on how main is called (Java 25) is obeyed: an instance main runs
        // on an object of the no-argument constructor.
        {L"app/InstanceMain", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticBooleanField isStaticMain false", "GetMethodID app/InstanceMain main ([Ljava/lang/String;)V",
          "GetMethodID app/InstanceMain <init> ()V", "launcher: main starting", "NewObject app/InstanceMain",
          "CallVoidMethodV main", "instance main app/InstanceMain args=6", "arg 1: two words", "DetachCurrentThread"}, {}},
        {L"app/InstanceNoArgs", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticBooleanField noArgMain true", "GetMethodID app/InstanceNoArgs main ()V", "launcher: main starting",
          "constructed app/InstanceNoArgs", "instance main app/InstanceNoArgs without parameters"}, {"NewObjectArray"}},
        {L"app/StaticNoArgs", L"jvm", "", "", "", 0, L"", 1, 0,
         {"GetStaticBooleanField isStaticMain true", "GetStaticMethodID app/StaticNoArgs main ()V",
          "launcher: main starting", "main app/StaticNoArgs without parameters"}, {"NewObject app/", "NewObjectArray"}},
        // Without the helper's fields, or without the helper, main is static main(String[]).
        {L"app/Records", L"jvm", "nofields", "", "", 0, L"", 1, 0,
         {"GetStaticMethodID app/Records main ([Ljava/lang/String;)V", "main app/Records args=6"}, {"NewObject app/"}},
        {L"app/Records", L"jvm", "", "GetStaticFieldID", "", 0, L"", 1, 0, {"main app/Records args=6"}, {"NewObject app/"}},
        {L"app/InstanceMain", L"jvm", "nofields", "", "", 1, noMain, 0, 0,
         {"GetStaticMethodID app/InstanceMain main ([Ljava/lang/String;)V"}, {"NewObject app/", "instance main"}},
        {L"app/InstanceNoArgs", L"jvm_nohelper", "", "", "", 1, noMain, 0, 0,
         {"GetStaticMethodID app/InstanceNoArgs main ([Ljava/lang/String;)V"}, {"GetMethodID app/", "instance main"}},
        {L"app/StaticNoArgs", L"jvm_nohelper", "", "", "", 1, noMain, 0, 0,
         {"GetStaticMethodID app/StaticNoArgs main ([Ljava/lang/String;)V"}, {"main "}},
    };
    launch_.arguments = {L"plain", L"two words", L"\u00fc\u00df\u20ac", L"\U0001F600", L"", L"-nosplash"};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.fail << c.create);
        EXPECT_EQ(run(c.mainClass, c.variant, c.helper, c.fail, c.create), c.result);
        EXPECT_EQ(shown, c.message.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.message});
        EXPECT_EQ(mainStarts, c.mainStarts);
        EXPECT_EQ(splashCloses, c.splashCloses);
        expectInOrder(c.order);
        for (const std::string& line : c.absent) EXPECT_LT(position(line), 0) << line;
    }
}

// A stream that cannot be redirected is traced with the reason, its exception cleared even
// where ExceptionDescribe leaves it pending, so that main still runs.
TEST_F(JavaHostTest, TheTraceTellsWhetherEachStreamWasRedirected) {
    LaunchSettings settings;
    settings.outputFile = folder_.path(), settings.errorFile = folder_.path(L"err.log");  // a folder cannot be written
    launch_.settings = &settings;
    testing::TraceCapture capture;
    control("TESTJVM_DESCRIBE_KEEPS", "1");
    EXPECT_EQ(run(L"app/Records"), 0);
    const std::string text = capture.text();
    EXPECT_NE(text.find("jvm: System.out not redirected: java.io.FileNotFoundException: " + os::toUtf8(folder_.path())),
              std::string::npos) << text;
    EXPECT_NE(text.find("jvm: System.err redirected"), std::string::npos) << text;
    expectInOrder({"ExceptionDescribe java.io.FileNotFoundException", "main app/Records"});
}

// One forwarded launch, made on a thread of its own (as a request thread would) while
// main is about to start.
SecondaryLaunch forwarded{L"", {L"x"}};
bool forwardedReturned = false;
JavaVM* lastVm = nullptr;
void sendReply(void*, int code) { appendToLog("launcher: reply " + std::to_string(code)); }
const SecondaryReply kReply{&sendReply, nullptr};
void forwardLaunch() {
    lastVm = currentHost->javaVm();
    std::thread([] { forwardedReturned = runSecondaryMain(lastVm, forwarded, kReply); }).join();
}

// Without the class, the method or the argument array there is no reply: the failure is
// described and the thread leaves. A virtual machine that takes no thread, or whose
// shutdown has begun, is answered -1 at once, with nothing called or reported.
TEST_F(JavaHostTest, ASecondaryLaunchThatCannotBeMadeIsNotAnsweredOrAnsweredNotServed) {
    launch_.mainStarting = forwardLaunch;
    const struct { const wchar_t* forwardedClass; const char *fail, *shuttingDown; Lines order; } cases[] = {
        {L"app/Missing", "", "", {"AttachCurrentThread", "FindClass app/Missing", "ExceptionDescribe"}},
        {L"app/Gr\u00fc\u00dfe", "", "", {"AttachCurrentThread", "FindClass app/Gr\xC3\xBC\xC3\x9F" "e", "ExceptionDescribe"}},
        {L"app/SecondaryInt", "NewObjectArray:2", "", {"ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObj"}},
        {L"app/SecondaryVoid", "", "1", {"AttachCurrentThread", "launcher: reply -1"}},
        {L"app/SecondaryInt", "", "1", {"AttachCurrentThread", "launcher: reply -1"}},
        {L"app/SecondaryVoid", "AttachCurrentThread", "", {"launcher: reply -1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.forwardedClass) << " " << c.fail << c.shuttingDown);
        control("TESTJVM_SHUTTING_DOWN", c.shuttingDown);
        forwarded.mainClass = c.forwardedClass;
        EXPECT_EQ(run(L"app/Records", L"jvm", "", c.fail), 0);
        EXPECT_FALSE(forwardedReturned);
        const bool answered = c.order.back() == "launcher: reply -1";
        EXPECT_EQ(count("launcher: reply"), answered ? 1u : 0u);
        EXPECT_EQ(count("secondaryMain ") + (answered ? count("ExceptionDescribe") : 0), 0u);
        if (answered) EXPECT_EQ(count("GetStaticMethodID " + os::toUtf8(c.forwardedClass)), 0u);
        Lines order = c.order;
        // A thread that was never attached has nothing to leave.
        if (std::string(c.fail) != "AttachCurrentThread") order.push_back("DetachCurrentThread");
        expectInOrder(order);
    }
    // The same launch once the virtual machine has been destroyed, or without one.
    control("TESTJVM_SHUTTING_DOWN", "");
    control("TESTJVM_FAIL", "");
    std::remove(logPath.c_str());
    EXPECT_FALSE(runSecondaryMain(lastVm, forwarded, kReply));
    expectInOrder({"AttachCurrentThread refused", "launcher: reply -1"});
    EXPECT_FALSE(runSecondaryMain(nullptr, forwarded, kReply));
    EXPECT_EQ(count("launcher: reply -1"), 2u);
}

// The only detach after the reply is the Java thread's own, after main.
TEST_F(JavaHostTest, ASecondaryThreadThatStaysInTheVirtualMachineIsNotDetached) {
    launch_.mainStarting = forwardLaunch;
    forwarded.mainClass = L"app/SecondaryVoid";
    forwarded.stayAttached = true;
    EXPECT_EQ(run(L"app/SecondaryVoid"), 0);
    const int reply = position("launcher: reply 0"), main = position("main app/SecondaryVoid args=0");
    ASSERT_GE(reply, 0);
    ASSERT_GT(main, reply);
    EXPECT_EQ(position("DetachCurrentThread", reply), position("DetachCurrentThread", main));
}

}  // namespace
}  // namespace jl

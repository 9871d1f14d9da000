// The JNI host against the test JVM, loaded into this process: the calls the host makes,
// their order, what it reports and traces, and that every way out of the Java thread
// leaves no virtual machine behind.
#include "jvm/java_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "jvm/jvm_options.h"
#include "os/os.h"
#include "support/messages.h"
#include "test_jvm.h"
#include "trace_capture.h"

namespace jl {
namespace {

std::vector<std::wstring> shownMessages;
int mainStartingCalls = 0;
int splashCloseCalls = 0;

const char* const kControlVariables[] = {"TESTJVM_CREATE_RESULT", "TESTJVM_HELPER", "TESTJVM_FAIL",
                                         "TESTJVM_DESCRIBE_KEEPS"};
const wchar_t kNoMainMessage[] = L"No main method found in specified class.\n";

class JavaHostTest : public testing::TestJvmTest {
protected:
    void SetUp() override {
        if (!testing::testJvmBuilt()) GTEST_SKIP() << "the test JVM was not built";
        TestJvmTest::SetUp();
        for (const char* name : kControlVariables) control(name, "");
        setErrorBoxSink([](void*, const std::wstring& text) {
            shownMessages.push_back(text);
            return 1;
        });
        launch_.mainClass = L"app/Records";
        launch_.mainStarting = [] {
            ++mainStartingCalls;
            testing::appendToTestJvmLog("launcher: main starting");
        };
        launch_.closeSplashWindow = [] { ++splashCloseCalls; };
        jvm_.options = {"-Djava.class.path=C:\\app\\app.jar;", "-Xmx64m"};
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        for (const char* name : kControlVariables) control(name, "");
    }

    // One launch on a fresh log.
    int run(const std::wstring& variant = L"jvm") {
        clearLog();
        shownMessages.clear();
        mainStartingCalls = splashCloseCalls = 0;
        JavaHost host;
        EXPECT_TRUE(host.loadJvmLibrary(testing::testJvmPath(variant)));
        const int result = host.runJavaThread(launch_, jvm_);
        EXPECT_EQ(host.javaVm(), nullptr) << "the Java thread leaves no virtual machine behind";
        return result;
    }
    void expectShown(const wchar_t* message) const {
        if (message == nullptr) {
            EXPECT_TRUE(shownMessages.empty());
        } else {
            ASSERT_EQ(shownMessages.size(), 1u);
            EXPECT_EQ(shownMessages[0], message);
        }
    }

    JavaLaunch launch_;
    JvmOptions jvm_;
};

TEST_F(JavaHostTest, MainRunsWithItsArgumentsInOrder) {
    launch_.arguments = {L"plain", L"two words", L"\u00fc\u00df\u20ac", L"\U0001F600", L"", L"-nosplash"};
    ASSERT_EQ(run(), 0);
    expectShown(nullptr);
    // The configured options, the two hooks last; JNI 1.2, nothing ignored. The runtime's
    // launcher helper loads the class by its dotted name; the arguments arrive unchanged.
    expectInOrder({"CreateJavaVM version=0x00010002 options=4 ignoreUnrecognized=0",
                   "option -Djava.class.path=C:\\app\\app.jar;", "option -Xmx64m", "option abort hook=set",
                   "option exit hook=set", "FindClassFromBootLoader sun/launcher/LauncherHelper",
                   "checkAndLoadMain printToStderr=1 mode=1 name=app.Records",
                   "GetStaticMethodID app/Records main ([Ljava/lang/String;)V", "launcher: main starting",
                   "main app/Records args=6", "arg 0: plain", "arg 1: two words",
                   "arg 2: \xC3\xBC\xC3\x9F\xE2\x82\xAC", "arg 3: \xF0\x9F\x98\x80", "arg 4: ", "arg 5: -nosplash",
                   "DetachCurrentThread", "DestroyJavaVM on-creating-thread=yes attached=no"});
    EXPECT_FALSE(loggedStarting("FindClass app/")) << "FindClass is only the fallback";
    EXPECT_EQ(mainStartingCalls, 1);
    EXPECT_EQ(splashCloseCalls, 0);
}

TEST_F(JavaHostTest, FindClassWhenTheLauncherHelperCannotHelp) {
    // Whatever fails on the helper's path is cleared, not reported: FindClass with the
    // slash form decides. The name crosses modified UTF-8.
    launch_.mainClass = L"app/Gr\u00fc\u00dfe";
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"jvm_nohelper", ""}, {L"jvm", "missing"}, {L"jvm", "nomethod"}, {L"jvm", "null"}};
    for (const auto& [variant, helper] : cases) {
        SCOPED_TRACE(helper);
        control("TESTJVM_HELPER", helper);
        EXPECT_EQ(run(variant), 0);
        EXPECT_TRUE(logged("FindClass app/Gr\xC3\xBC\xC3\x9F" "e"));
        EXPECT_TRUE(logged("main app/Gr\xC3\xBC\xC3\x9F" "e args=0"));
        EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
        expectShown(nullptr);
    }
}

TEST_F(JavaHostTest, EveryCreationFailureIsExplained) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"-1", L"unknown"},           {"-2", L"thread detached from VM"}, {"-3", L"JNI version error"},
        {"-4", L"not enough memory"}, {"-5", L"VM already created"},      {"-6", L"invalid arguments"},
        {"-7", L""}};
    for (const auto& [code, reason] : cases) {
        control("TESTJVM_CREATE_RESULT", code);
        EXPECT_EQ(run(), 1) << code;
        expectShown((L"JNI exception: failed to create the Java VM\nReason: " + std::wstring(reason) + L".\n").c_str());
        EXPECT_FALSE(loggedStarting("DestroyJavaVM")) << "nothing was created";
    }
}

TEST_F(JavaHostTest, LibraryProblemsAreReported) {
    const std::wstring missing = folder_.path(L"no-such") + os::kPathSeparator + L"jvm.lib";
    const std::wstring noEntry = L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n";
    const std::tuple<std::wstring, std::wstring, const char*> cases[] = {
        {missing, L"Failed to load Java VM library: " + missing + L" (errno = 126).\n",
         "jvm: JVM library not loaded, error 126"},
        {testing::testJvmPath(L"jvm_nocreate"), noEntry, "jvm: no JNI entry points"},
        {testing::testJvmPath(L"jvm_nodefaults"), noEntry, "jvm: no JNI entry points"},
    };
    for (const auto& [path, message, traced] : cases) {
        shownMessages.clear();
        JavaHost host;
        testing::TraceCapture capture;
        EXPECT_FALSE(host.loadJvmLibrary(path));
        EXPECT_NE(capture.text().find(traced), std::string::npos) << capture.text();
        expectShown(message.c_str());
        EXPECT_EQ(host.runJavaThread(launch_, jvm_), 1) << "nothing runs after a failed load";
    }
}

// Every failure after the virtual machine exists: reported once, then the Java thread
// leaves the virtual machine and destroys it itself. (The end-to-end tests under Wine make
// the test JVM fail at each other step.)
TEST_F(JavaHostTest, FailuresBeforeMainEndTheLaunch) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* fail;       // TESTJVM_FAIL
        const char* described;  // the ExceptionDescribe line, or null for none
        const wchar_t* message; // or null for none
    };
    const Case cases[] = {
        // The configured name reaches the message, not its bytes read through a code page.
        {L"app/Fehlt\u20ac", L"jvm_nohelper", "", "java.lang.NoClassDefFoundError: app/Fehlt\xE2\x82\xAC",
         L"Could not find the main class app/Fehlt\u20ac.\n"},
        // A missing main is told in words, even when the virtual machine described nothing;
        // a throwing static initializer explains itself.
        {L"app/NoMain", L"jvm", "", "java.lang.NoSuchMethodError: main", kNoMainMessage},
        {L"app/NoMainQuiet", L"jvm", "", nullptr, kNoMainMessage},
        {L"app/BadInit", L"jvm", "", "java.lang.ExceptionInInitializerError: static initializer of app.BadInit threw",
         nullptr},
        {L"app/Records", L"jvm", "NewObjectArray", "java.lang.OutOfMemoryError: injected failure of NewObjectArray",
         nullptr},
        {L"app/Records", L"jvm_nohelper", "GetStringUTFChars",
         "java.lang.OutOfMemoryError: injected failure of GetStringUTFChars", nullptr},
    };
    launch_.arguments = {L"a", L"b"};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.fail);
        launch_.mainClass = c.mainClass;
        control("TESTJVM_FAIL", c.fail);
        EXPECT_EQ(run(c.variant), 1);
        if (c.described) EXPECT_TRUE(logged(std::string("ExceptionDescribe ") + c.described));
        else EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
        expectShown(c.message);
        expectInOrder({"DetachCurrentThread", "DestroyJavaVM on-creating-thread=yes attached=no"});
        EXPECT_FALSE(loggedStarting("main ")) << "main must not have run";
        EXPECT_EQ(mainStartingCalls, 0);
    }
}

// Once main was entered: an exception it (or an instance main's constructor) throws stays
// pending until the thread leaves, where the virtual machine reports it as uncaught; a
// failed detach still destroys. With the trace off no exception text is read.
TEST_F(JavaHostTest, WaysOutAfterMainWasEntered) {
    struct Case {
        const wchar_t* mainClass;
        const char* fail;
        int result;
        int splashCloses;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {L"app/Throws", "", 0, 1,
         {"main app/Throws", "DetachCurrentThread", "uncaught java.lang.IllegalStateException: thrown by app.Throws",
          "DestroyJavaVM on-creating-thread=yes"}},
        {L"app/BadConstructor", "", 0, 1,
         {"NewObject app/BadConstructor", "DetachCurrentThread",
          "uncaught java.lang.IllegalStateException: thrown by the constructor of app.BadConstructor",
          "DestroyJavaVM on-creating-thread=yes"}},
        {L"app/Records", "DetachCurrentThread", 1, 0,
         {"main app/Records args=0", "DestroyJavaVM on-creating-thread=yes attached=yes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(os::toUtf8(c.mainClass));
        launch_.mainClass = c.mainClass;
        control("TESTJVM_FAIL", c.fail);
        EXPECT_EQ(run(), c.result);
        EXPECT_EQ(mainStartingCalls, 1);
        EXPECT_EQ(splashCloseCalls, c.splashCloses);
        expectShown(nullptr);
        expectInOrder(c.order);
        EXPECT_FALSE(loggedStarting("CallVoidMethodV main")) << "a constructor that threw is not followed by main";
        EXPECT_FALSE(loggedStarting("GetStaticMethodID java/lang/String valueOf"));
    }
}

// A helper that says how main is to be called (Java 25) is obeyed: static or instance,
// with or without the argument array; an instance main runs on an object the
// no-argument constructor made, after mainStarting.
TEST_F(JavaHostTest, MainIsCalledTheWayTheLauncherHelperFoundIt) {
    struct Case {
        const wchar_t* mainClass;
        std::vector<std::string> order;
        bool makesObject;
        bool passesArguments;
    };
    const Case cases[] = {
        {L"app/InstanceMain",
         {"GetStaticFieldID sun/launcher/LauncherHelper isStaticMain Z", "GetStaticBooleanField isStaticMain false",
          "GetStaticBooleanField noArgMain false", "GetMethodID app/InstanceMain main ([Ljava/lang/String;)V",
          "NewObjectArray 2", "GetMethodID app/InstanceMain <init> ()V", "launcher: main starting",
          "NewObject app/InstanceMain", "constructed app/InstanceMain", "CallVoidMethodV main",
          "instance main app/InstanceMain args=2", "arg 1: two", "DetachCurrentThread"},
         true, true},
        {L"app/InstanceNoArgs",
         {"GetStaticBooleanField isStaticMain false", "GetStaticBooleanField noArgMain true",
          "GetMethodID app/InstanceNoArgs main ()V", "GetMethodID app/InstanceNoArgs <init> ()V",
          "launcher: main starting", "constructed app/InstanceNoArgs", "CallVoidMethodV main",
          "instance main app/InstanceNoArgs without parameters", "DetachCurrentThread"},
         true, false},
        {L"app/StaticNoArgs",
         {"GetStaticBooleanField isStaticMain true", "GetStaticBooleanField noArgMain true",
          "GetStaticMethodID app/StaticNoArgs main ()V", "launcher: main starting", "CallStaticVoidMethodV main",
          "main app/StaticNoArgs without parameters", "DetachCurrentThread"},
         false, false},
    };
    launch_.arguments = {L"one", L"two"};
    for (const Case& c : cases) {
        SCOPED_TRACE(os::toUtf8(c.mainClass));
        launch_.mainClass = c.mainClass;
        EXPECT_EQ(run(), 0);
        expectShown(nullptr);
        EXPECT_EQ(mainStartingCalls, 1);
        expectInOrder(c.order);
        EXPECT_EQ(loggedStarting("NewObject app/"), c.makesObject);
        EXPECT_EQ(loggedStarting("NewObjectArray"), c.passesArguments) << "no array for a main without parameters";
        EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
    }
}

// Without the helper's fields (runtimes before Java 25), and on the FindClass path, main
// is the static main(String[]) it always was: a class with only an instance main has none.
TEST_F(JavaHostTest, WithoutTheHelpersReportMainIsStaticWithArguments) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* helper;
        const char* fail;
        bool runs;
    };
    const Case cases[] = {
        {L"app/Records", L"jvm", "nofields", "", true}, {L"app/Records", L"jvm", "", "GetStaticFieldID", true},
        {L"app/InstanceMain", L"jvm", "nofields", "", false}, {L"app/InstanceNoArgs", L"jvm_nohelper", "", "", false},
        {L"app/StaticNoArgs", L"jvm_nohelper", "", "", false},
    };
    launch_.arguments = {L"a"};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.fail);
        launch_.mainClass = c.mainClass;
        control("TESTJVM_HELPER", c.helper);
        control("TESTJVM_FAIL", c.fail);
        const std::string slashed = os::toUtf8(c.mainClass);
        EXPECT_EQ(run(c.variant), c.runs ? 0 : 1);
        EXPECT_TRUE(logged("GetStaticMethodID " + slashed + " main ([Ljava/lang/String;)V"));
        EXPECT_FALSE(loggedStarting("GetMethodID " + slashed));
        EXPECT_FALSE(loggedStarting("NewObject " + slashed));
        EXPECT_EQ(loggedStarting("main "), c.runs);
        EXPECT_EQ(logged("main " + slashed + " args=1"), c.runs);
        EXPECT_FALSE(loggedStarting("instance main "));
        expectShown(c.runs ? nullptr : kNoMainMessage);
    }
}

// With the trace on, each JNI result that decides the launch is traced, with the
// pending exception's text, and the launch goes exactly as it does without the trace.
TEST_F(JavaHostTest, TheTraceNamesEachDecidingResult) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* helper;
        const char* createResult;
        int result;
        std::vector<std::string> traced;  // in order
        const char* alsoLogged;            // the outcome the test JVM saw, or null
    };
    const Case cases[] = {
        {L"app/InstanceNoArgs", L"jvm", "", "", 0,
         {"jvm: JNI_CreateJavaVM: 0", "jvm: main class: LauncherHelper.checkAndLoadMain",
          "jvm: main class: loaded; main is instance, without parameters", "jvm: main method: found",
          "jvm: main returned"},
         "instance main app/InstanceNoArgs without parameters"},
        {L"app/Records", L"jvm", "nofields", "", 0, {"main is static, with String[] (not said)"}, nullptr},
        {L"app/Records", L"jvm", "", "-4", 1, {"jvm: JNI_CreateJavaVM: -4"}, nullptr},
        {L"app/Fehlt", L"jvm_nohelper", "", "", 1, {"jvm: main class: no launcher helper"},
         "ExceptionDescribe java.lang.NoClassDefFoundError: app/Fehlt"},
        {L"app/Records", L"jvm", "null", "", 0,
         {"jvm: main class: helper failed: java.lang.IllegalStateException: checkAndLoadMain failed",
          "jvm: main class: FindClass: found"},
         nullptr},
        {L"app/NoMain", L"jvm", "", "", 1, {"jvm: main method: java.lang.NoSuchMethodError: main"},
         "ExceptionDescribe java.lang.NoSuchMethodError: main"},
        {L"app/Throws", L"jvm", "", "", 0, {"jvm: main threw java.lang.IllegalStateException: thrown by app.Throws"},
         "uncaught java.lang.IllegalStateException: thrown by app.Throws"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.createResult);
        launch_.mainClass = c.mainClass;
        control("TESTJVM_HELPER", c.helper);
        control("TESTJVM_CREATE_RESULT", c.createResult);
        testing::TraceCapture capture;
        EXPECT_EQ(run(c.variant), c.result);
        const std::string text = capture.text();
        size_t previous = 0;
        for (const std::string& line : c.traced) {
            const size_t at = text.find(line, previous);
            EXPECT_NE(at, std::string::npos) << line << "\n" << text;
            if (at != std::string::npos) previous = at + line.size();
        }
        // Reading an exception's text leaves it pending for whoever describes it.
        if (c.alsoLogged) EXPECT_TRUE(logged(c.alsoLogged)) << c.alsoLogged;
        // Only a helper without the fields leaves the form unsaid.
        EXPECT_EQ(text.find("(not said)") != std::string::npos, std::string(c.helper) == "nofields") << text;
    }
}

// A standard stream that cannot be redirected is traced with the reason; the other one
// as redirected. The exception is cleared after it was described, also by a runtime whose
// ExceptionDescribe leaves it pending, so that main is still found and run.
TEST_F(JavaHostTest, TheTraceTellsWhetherEachStreamWasRedirected) {
    LaunchSettings settings;
    settings.outputFile = folder_.path();  // a folder: it cannot be opened for writing
    settings.errorFile = folder_.path(L"err.log");
    launch_.settings = &settings;
    control("TESTJVM_DESCRIBE_KEEPS", "1");
    testing::TraceCapture capture;
    EXPECT_EQ(run(), 0);
    const std::string text = capture.text();
    EXPECT_NE(text.find("jvm: System.out not redirected: java.io.FileNotFoundException: " + os::toUtf8(folder_.path())),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("jvm: System.err redirected"), std::string::npos) << text;
    EXPECT_TRUE(loggedStarting("ExceptionDescribe java.io.FileNotFoundException"));
    EXPECT_TRUE(logged("main app/Records args=0"));
}

}  // namespace
}  // namespace jl

// The JNI host against the test JVM (tests/testjvm), loaded into this process: the
// calls the host makes, their order, what it reports and traces, and that every way
// out of the Java thread leaves no virtual machine behind.
#include "jvm/java_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "jvm/jvm_options.h"
#include "os/os.h"
#include "support/messages.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

#ifdef _WIN32
const wchar_t* const kLibraryPrefix = L"";
const wchar_t* const kLibrarySuffix = L".dll";
#else
const wchar_t* const kLibraryPrefix = L"lib";
const wchar_t* const kLibrarySuffix = L".so";
#endif

// The test JVM variants are built beside this test program, in testjvm/.
std::wstring testJvmPath(const std::wstring& variant) {
    std::wstring self;
    uint32_t error = 0;
    if (!os::modulePath(self, error)) return {};
    return self.substr(0, self.find_last_of(os::kPathSeparator) + 1) + L"testjvm" + os::kPathSeparator +
           kLibraryPrefix + variant + kLibrarySuffix;
}

bool fileExists(const std::wstring& path) {
    os::FindResult match;
    return os::findFirstFile(path, match) == 0;
}

std::vector<std::wstring> shownMessages;
int captureMessage(void*, const std::wstring& text) {
    shownMessages.push_back(text);
    return 1;
}

std::string logPath;
int mainStartingCalls = 0;
int splashCloseCalls = 0;
void appendToLog(const char* line) {
    std::ofstream(logPath, std::ios::app) << line << "\n";
}
void onMainStarting() {
    ++mainStartingCalls;
    appendToLog("launcher: main starting");
}
void onCloseSplash() { ++splashCloseCalls; }

const char* const kControlVariables[] = {"TESTJVM_CREATE_RESULT", "TESTJVM_DEFAULT_STACK", "TESTJVM_HELPER",
                                         "TESTJVM_FAIL"};

class JavaHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = os::toUtf8(folder_.path(L"testjvm.log"));
        ASSERT_TRUE(os::setEnvironment(L"TESTJVM_LOG", os::fromUtf8(logPath)));
        for (const char* name : kControlVariables) control(name, "");
        shownMessages.clear();
        setErrorBoxSink(captureMessage);
        mainStartingCalls = 0;
        splashCloseCalls = 0;
        launch_.mainClass = L"app/Records";
        launch_.mainStarting = onMainStarting;
        launch_.closeSplashWindow = onCloseSplash;
        jvm_.options = {"-Djava.class.path=C:\\app\\app.jar;", "-Xmx64m"};
    }
    void TearDown() override {
        setErrorBoxSink(nullptr);
        for (const char* name : kControlVariables) control(name, "");
    }

    static void control(const char* name, const std::string& value) {
        ASSERT_TRUE(os::setEnvironment(os::fromUtf8(name), os::fromUtf8(value)));
    }

    // Loads a variant of the test JVM; skips the test when it was not built.
    bool load(JavaHost& host, const std::wstring& variant = L"jvm") {
        const std::wstring path = testJvmPath(variant);
        if (!fileExists(path)) return false;
        return host.loadJvmLibrary(path);
    }

    int run(const std::wstring& variant = L"jvm") {
        JavaHost host;
        if (!fileExists(testJvmPath(variant))) {
            skipped_ = true;
            return -100;
        }
        EXPECT_TRUE(load(host, variant));
        const int result = host.runJavaThread(launch_, jvm_);
        EXPECT_EQ(host.javaVm(), nullptr) << "the Java thread leaves no virtual machine behind";
        return result;
    }

    std::vector<std::string> log() const {
        std::ifstream in(logPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    bool logged(const std::string& line) const {
        const auto lines = log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool loggedStarting(const std::string& prefix) const {
        for (const auto& line : log()) {
            if (line.compare(0, prefix.size(), prefix) == 0) return true;
        }
        return false;
    }
    // Index of the first line that starts with `prefix`, or -1.
    int position(const std::string& prefix) const {
        const auto lines = log();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    // Each line starts a log line after the previous one's.
    void expectInOrder(const std::vector<std::string>& prefixes) const {
        int previous = -1;
        for (const auto& prefix : prefixes) {
            const int at = position(prefix);
            EXPECT_GT(at, previous) << prefix;
            if (at >= 0) previous = at;
        }
    }
    testing::TempFolder folder_;
    JavaLaunch launch_;
    JvmOptions jvm_;
    bool skipped_ = false;
};

#define SKIP_WITHOUT_TEST_JVM(result) \
    if (skipped_) GTEST_SKIP() << "the test JVM was not built"; \
    (void)(result)

TEST_F(JavaHostTest, MainRunsWithItsArgumentsInOrder) {
    launch_.arguments = {L"plain", L"two words", L"\u00fc\u00df\u20ac", L"\U0001F600", L"", L"-nosplash"};
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    ASSERT_EQ(result, 0);
    EXPECT_TRUE(shownMessages.empty());
    // The configured options in order, the two hooks last; JNI 1.2, nothing ignored.
    const std::vector<std::string> expected = {
        "CreateJavaVM version=0x00010002 options=4 ignoreUnrecognized=0",
        "option -Djava.class.path=C:\\app\\app.jar;",
        "option -Xmx64m",
        "option abort hook=set",
        "option exit hook=set",
    };
    const auto lines = log();
    const int create = position("CreateJavaVM version=");
    ASSERT_GE(create, 0);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines.at(create + i), expected[i]);

    // The runtime's launcher helper loads the class, given its dotted name; the
    // arguments arrive unchanged, outside ASCII too; then the thread leaves.
    const std::vector<std::string> order = {
        "FindClassFromBootLoader sun/launcher/LauncherHelper",
        "checkAndLoadMain printToStderr=1 mode=1 name=app.Records",
        "GetStaticMethodID app/Records main ([Ljava/lang/String;)V",
        "launcher: main starting",
        "main app/Records args=6",
        "arg 0: plain",
        "arg 1: two words",
        "arg 2: \xC3\xBC\xC3\x9F\xE2\x82\xAC",
        "arg 3: \xF0\x9F\x98\x80",
        "arg 4: ",
        "arg 5: -nosplash",
        "DetachCurrentThread",
        "DestroyJavaVM on-creating-thread=yes attached=no",
    };
    int previous = create;
    for (const auto& line : order) {
        const int at = position(line);
        EXPECT_GT(at, previous) << line;
        previous = at;
    }
    EXPECT_FALSE(loggedStarting("FindClass app/")) << "FindClass is only the fallback";
    EXPECT_EQ(mainStartingCalls, 1);
    EXPECT_EQ(splashCloseCalls, 0);
}

TEST_F(JavaHostTest, FindClassWhenTheLauncherHelperCannotHelp) {
    // Whatever fails on the helper's path is cleared, not reported: the plain FindClass
    // with the slash form decides. The name is not ASCII, to cross modified UTF-8.
    struct Case {
        const wchar_t* variant;
        const char* helper;
    };
    const Case cases[] = {{L"jvm_nohelper", ""}, {L"jvm", "missing"}, {L"jvm", "nomethod"}, {L"jvm", "null"}};
    launch_.mainClass = L"app/Gr\u00fc\u00dfe";
    for (const Case& c : cases) {
        control("TESTJVM_HELPER", c.helper);
        std::remove(logPath.c_str());
        const int result = run(c.variant);
        SKIP_WITHOUT_TEST_JVM(result);
        SCOPED_TRACE(c.helper);
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(logged("FindClass app/Gr\xC3\xBC\xC3\x9F" "e"));
        EXPECT_TRUE(logged("main app/Gr\xC3\xBC\xC3\x9F" "e args=0"));
        EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
        EXPECT_TRUE(shownMessages.empty());
    }
}

TEST_F(JavaHostTest, StackSizeOfTheJavaThread) {
    constexpr uint32_t kMiB = 1048576;
    control("TESTJVM_DEFAULT_STACK", "3145728");
    struct Case {
        uint32_t configured;
        uint32_t expected;
        bool asksDefault;
    };
    // Without -Xss the virtual machine's default (asked through a JNI 1.1 block) is used.
    for (const Case& c : {Case{0, 3 * kMiB, true}, Case{6 * kMiB, 6 * kMiB, false}}) {
        std::remove(logPath.c_str());
        jvm_.javaThreadStackSize = c.configured;
        const int result = run();
        SKIP_WITHOUT_TEST_JVM(result);
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(logged("stack " + std::to_string(c.expected))) << c.configured;
        EXPECT_EQ(logged("GetDefaultJavaVMInitArgs version=0x00010001"), c.asksDefault) << c.configured;
    }
}

TEST_F(JavaHostTest, EveryCreationFailureIsExplained) {
    struct Case {
        const char* result;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"-1", L"unknown"},           {"-2", L"thread detached from VM"}, {"-3", L"JNI version error"},
        {"-4", L"not enough memory"}, {"-5", L"VM already created"},      {"-6", L"invalid arguments"},
        {"-7", L""},
    };
    for (const Case& c : cases) {
        control("TESTJVM_CREATE_RESULT", c.result);
        shownMessages.clear();
        std::remove(logPath.c_str());
        const int result = run();
        SKIP_WITHOUT_TEST_JVM(result);
        EXPECT_EQ(result, 1) << c.result;
        ASSERT_EQ(shownMessages.size(), 1u) << c.result;
        EXPECT_EQ(shownMessages[0],
                  std::wstring(L"JNI exception: failed to create the Java VM\nReason: ") + c.reason + L".\n");
        EXPECT_FALSE(loggedStarting("DestroyJavaVM")) << "nothing was created";
        EXPECT_FALSE(loggedStarting("main "));
    }
}

TEST_F(JavaHostTest, LibraryProblemsAreReported) {
    if (!fileExists(testJvmPath(L"jvm"))) GTEST_SKIP() << "the test JVM was not built";
    const std::wstring missing = folder_.path(L"no-such") + os::kPathSeparator + L"jvm.lib";
    struct Case {
        std::wstring path;
        std::wstring message;
        const char* traced;
    };
    const Case cases[] = {
        {missing, L"Failed to load Java VM library: " + missing + L" (errno = 126).\n",
         "jvm: JVM library not loaded, error 126"},
        {testJvmPath(L"jvm_nocreate"), L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n",
         "jvm: no JNI entry points"},
        {testJvmPath(L"jvm_nodefaults"), L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n",
         "jvm: no JNI entry points"},
    };
    for (const Case& c : cases) {
        shownMessages.clear();
        JavaHost host;
        testing::TraceCapture capture;
        EXPECT_FALSE(host.loadJvmLibrary(c.path));
        EXPECT_NE(capture.text().find(c.traced), std::string::npos) << capture.text();
        ASSERT_EQ(shownMessages.size(), 1u);
        EXPECT_EQ(shownMessages[0], c.message);
        // Nothing runs after a failed load.
        EXPECT_EQ(host.runJavaThread(launch_, jvm_), 1);
    }
}

// Every failure after the virtual machine exists: reported once, then the Java thread
// leaves the virtual machine and destroys it itself, so nothing can wait for it later.
TEST_F(JavaHostTest, FailuresBeforeMainEndTheLaunch) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* fail;       // TESTJVM_FAIL
        const char* described;  // the ExceptionDescribe line expected, or null for none
        const wchar_t* message; // the message expected, or null for none
    };
    const Case cases[] = {
        // The configured name reaches the message, not its bytes read through a code page.
        {L"app/Fehlt\u20ac", L"jvm_nohelper", "",
         "ExceptionDescribe java.lang.NoClassDefFoundError: app/Fehlt\xE2\x82\xAC",
         L"Could not find the main class app/Fehlt\u20ac.\n"},
        // A virtual machine reports a missing main as NoSuchMethodError; the user is
        // told in words as well.
        {L"app/NoMain", L"jvm", "", "ExceptionDescribe java.lang.NoSuchMethodError: main",
         L"No main method found in specified class.\n"},
        {L"app/NoMainQuiet", L"jvm", "", nullptr, L"No main method found in specified class.\n"},
        // A static initializer that throws explains itself; it is not a missing main.
        {L"app/BadInit", L"jvm", "",
         "ExceptionDescribe java.lang.ExceptionInInitializerError: static initializer of app.BadInit threw", nullptr},
        {L"app/Records", L"jvm", "NewObjectArray",
         "ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObjectArray", nullptr},
        {L"app/Records", L"jvm", "GetStaticMethodID:2",
         "ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStaticMethodID", nullptr},
        // The class name as a Java string for FindClass, without the helper.
        {L"app/Records", L"jvm_nohelper", "NewCharArray:1",
         "ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewCharArray",
         L"Failed to load Main Class: app/Records.\n"},
        {L"app/Records", L"jvm_nohelper", "GetStringUTFChars",
         "ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStringUTFChars", nullptr},
    };
    launch_.arguments = {L"a", L"b"};
    for (const Case& c : cases) {
        launch_.mainClass = c.mainClass;
        control("TESTJVM_FAIL", c.fail);
        shownMessages.clear();
        std::remove(logPath.c_str());
        const int result = run(c.variant);
        SKIP_WITHOUT_TEST_JVM(result);
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.fail);
        EXPECT_EQ(result, 1);
        if (c.described) EXPECT_TRUE(logged(c.described));
        else EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
        if (c.message) {
            ASSERT_EQ(shownMessages.size(), 1u);
            EXPECT_EQ(shownMessages[0], c.message);
        } else {
            EXPECT_TRUE(shownMessages.empty());
        }
        const int detach = position("DetachCurrentThread");
        EXPECT_GE(detach, 0);
        EXPECT_GT(position("DestroyJavaVM on-creating-thread=yes attached=no"), detach);
        EXPECT_FALSE(loggedStarting("main ")) << "main must not have run";
        EXPECT_EQ(mainStartingCalls, 0);
    }
}

TEST_F(JavaHostTest, UncaughtExceptionWithoutFailureCheck) {
    launch_.mainClass = L"app/Throws";
    launch_.failureCheck = false;
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    // The launch itself succeeded; the exception stays pending until the thread leaves,
    // where the virtual machine reports it as uncaught.
    EXPECT_EQ(result, 0);
    EXPECT_EQ(splashCloseCalls, 1);
    EXPECT_TRUE(shownMessages.empty());
    const int uncaught = position("uncaught java.lang.IllegalStateException: thrown by app.Throws");
    EXPECT_GT(uncaught, position("DetachCurrentThread"));
    EXPECT_GT(position("DestroyJavaVM on-creating-thread=yes"), uncaught);
}

TEST_F(JavaHostTest, FailedDetachStillDestroys) {
    control("TESTJVM_FAIL", "DetachCurrentThread");
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(logged("main app/Records args=0"));
    EXPECT_TRUE(loggedStarting("DestroyJavaVM on-creating-thread=yes attached=yes"));
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
        launch_.mainClass = c.mainClass;
        mainStartingCalls = 0;
        std::remove(logPath.c_str());
        const int result = run();
        SKIP_WITHOUT_TEST_JVM(result);
        SCOPED_TRACE(os::toUtf8(c.mainClass));
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(shownMessages.empty());
        EXPECT_EQ(mainStartingCalls, 1);
        expectInOrder(c.order);
        EXPECT_EQ(loggedStarting("NewObject app/"), c.makesObject);
        EXPECT_EQ(loggedStarting("NewObjectArray"), c.passesArguments) << "no array for a main without parameters";
        EXPECT_FALSE(loggedStarting("ExceptionDescribe"));
    }
}

// Without the helper's fields (runtimes before Java 25), and on the FindClass path, main
// is the static main(String[]) it always was: a class with only an instance main has
// none.
TEST_F(JavaHostTest, WithoutTheHelpersReportMainIsStaticWithArguments) {
    struct Case {
        const wchar_t* mainClass;
        const wchar_t* variant;
        const char* helper;
        const char* fail;
        bool runs;
    };
    const Case cases[] = {
        {L"app/Records", L"jvm", "nofields", "", true},
        {L"app/Records", L"jvm", "", "GetStaticFieldID", true},
        {L"app/InstanceMain", L"jvm", "nofields", "", false},
        {L"app/InstanceNoArgs", L"jvm_nohelper", "", "", false},
        {L"app/StaticNoArgs", L"jvm_nohelper", "", "", false},
    };
    launch_.arguments = {L"a"};
    for (const Case& c : cases) {
        launch_.mainClass = c.mainClass;
        control("TESTJVM_HELPER", c.helper);
        control("TESTJVM_FAIL", c.fail);
        shownMessages.clear();
        std::remove(logPath.c_str());
        const int result = run(c.variant);
        SKIP_WITHOUT_TEST_JVM(result);
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.fail);
        const std::string slashed = os::toUtf8(c.mainClass);
        EXPECT_TRUE(logged("GetStaticMethodID " + slashed + " main ([Ljava/lang/String;)V"));
        EXPECT_FALSE(loggedStarting("GetMethodID " + slashed));
        EXPECT_FALSE(loggedStarting("NewObject " + slashed));
        if (c.runs) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(logged("main " + slashed + " args=1"));
            EXPECT_TRUE(shownMessages.empty());
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_FALSE(loggedStarting("main ") || loggedStarting("instance main "));
            ASSERT_EQ(shownMessages.size(), 1u);
            EXPECT_EQ(shownMessages[0], L"No main method found in specified class.\n");
        }
    }
}

// The constructor of an instance main is the program's own code: what it throws is
// handled as what main throws (the splash closes, the exception is uncaught), and main
// is not called.
TEST_F(JavaHostTest, AConstructorThatThrowsIsHandledAsMainThrowing) {
    launch_.mainClass = L"app/BadConstructor";
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(mainStartingCalls, 1);
    EXPECT_EQ(splashCloseCalls, 1);
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_FALSE(loggedStarting("CallVoidMethodV main"));
    expectInOrder({"NewObject app/BadConstructor", "DetachCurrentThread",
                   "uncaught java.lang.IllegalStateException: thrown by the constructor of app.BadConstructor",
                   "DestroyJavaVM on-creating-thread=yes"});
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
        {L"app/Records", L"jvm", "", "", 0,
         {"jvm: JNI_CreateJavaVM: 0",
          "jvm: main class: LauncherHelper.checkAndLoadMain",
          "jvm: main class: loaded; main is static, with String[]", "jvm: main method: found",
          "jvm: main returned"},
         "main app/Records args=0"},
        {L"app/InstanceNoArgs", L"jvm", "", "", 0,
         {"jvm: main class: loaded; main is instance, without parameters",
          "jvm: main method: found", "jvm: main returned"},
         "instance main app/InstanceNoArgs without parameters"},
        {L"app/Records", L"jvm", "nofields", "", 0,
         {"main is static, with String[] (not said)"}, nullptr},
        {L"app/Records", L"jvm", "", "-4", 1, {"jvm: JNI_CreateJavaVM: -4"}, nullptr},
        {L"app/Fehlt", L"jvm_nohelper", "", "", 1,
         {"jvm: main class: no launcher helper",
          "jvm: main class: FindClass: java.lang.NoClassDefFoundError: app/Fehlt"},
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
        launch_.mainClass = c.mainClass;
        control("TESTJVM_HELPER", c.helper);
        control("TESTJVM_CREATE_RESULT", c.createResult);
        std::remove(logPath.c_str());
        testing::TraceCapture capture;
        const int result = run(c.variant);
        SKIP_WITHOUT_TEST_JVM(result);
        SCOPED_TRACE(::testing::Message() << os::toUtf8(c.mainClass) << " " << c.helper << c.createResult);
        EXPECT_EQ(result, c.result);
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

// Off, the trace costs no JNI call.
TEST_F(JavaHostTest, WithoutTheTraceNoExceptionTextIsRead) {
    launch_.mainClass = L"app/Throws";
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(loggedStarting("GetMethodID java/lang/IllegalStateException toString"));
    EXPECT_TRUE(loggedStarting("uncaught java.lang.IllegalStateException"));
}

// A standard stream that cannot be redirected is traced with the reason; the other
// one is traced as redirected.
TEST_F(JavaHostTest, TheTraceTellsWhetherEachStreamWasRedirected) {
    LaunchSettings settings;
    settings.outputFile = folder_.path();  // a folder: it cannot be opened for writing
    settings.errorFile = folder_.path(L"err.log");
    launch_.settings = &settings;
    testing::TraceCapture capture;
    const int result = run();
    SKIP_WITHOUT_TEST_JVM(result);
    EXPECT_EQ(result, 0);
    const std::string text = capture.text();
    EXPECT_NE(text.find("jvm: System.out not redirected: java.io.FileNotFoundException: " + os::toUtf8(folder_.path())),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("jvm: System.err redirected"), std::string::npos) << text;
    EXPECT_TRUE(loggedStarting("ExceptionDescribe java.io.FileNotFoundException"));
}

}  // namespace
}  // namespace jl

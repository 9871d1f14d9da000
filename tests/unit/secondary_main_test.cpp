// secondaryMain against the test JVM (tests/testjvm): a forwarded launch attaches a
// thread of its own while main runs, finds the method in its two forms, replies at the
// right moment, and leaves the virtual machine again.
#include "jvm/secondary_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "jvm/java_host.h"
#include "jvm/jvm_options.h"
#include "os/os.h"
#include "temp_folder.h"

namespace jl {
namespace {

#ifdef _WIN32
const wchar_t* const kTestJvm = L"jvm.dll";
#else
const wchar_t* const kTestJvm = L"libjvm.so";
#endif

std::wstring testJvmPath() {
    std::wstring self;
    uint32_t error = 0;
    if (!os::modulePath(self, error)) return {};
    return self.substr(0, self.find_last_of(os::kPathSeparator) + 1) + L"testjvm" + os::kPathSeparator + kTestJvm;
}

std::string logPath;
void appendToLog(const std::string& line) { std::ofstream(logPath, std::ios::app) << line << "\n"; }

// What the hook does while main is about to start: one forwarded launch, on a thread of
// its own, as a request thread would run it.
JavaHost* currentHost = nullptr;
SecondaryLaunch forwarded;
bool forwardedReturned = false;
void sendReply(void*, int code) { appendToLog("launcher: reply " + std::to_string(code)); }
JavaVM* lastVm = nullptr;
void runForwardedLaunch() {
    lastVm = currentHost->javaVm();
    std::thread request([] {
        forwardedReturned = runSecondaryMain(lastVm, forwarded, SecondaryReply{&sendReply, nullptr});
    });
    request.join();
}

class SecondaryMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = os::toUtf8(folder_.path(L"testjvm.log"));
        ASSERT_TRUE(os::setEnvironment(L"TESTJVM_LOG", os::fromUtf8(logPath)));
        ASSERT_TRUE(os::setEnvironment(L"TESTJVM_SECONDARY_RESULT", L"42"));
        forwarded = SecondaryLaunch{};
        forwardedReturned = false;
        launch_.mainStarting = runForwardedLaunch;
        jvm_.options = {"-Xmx64m"};
    }
    void TearDown() override { (void)os::setEnvironment(L"TESTJVM_SECONDARY_RESULT", L""); }

    // Runs main of `mainClass` with the forwarded launch made just before it.
    bool run(const std::wstring& mainClass) {
        os::FindResult match;
        if (os::findFirstFile(testJvmPath(), match) != 0) return false;
        JavaHost host;
        currentHost = &host;
        EXPECT_TRUE(host.loadJvmLibrary(testJvmPath()));
        launch_.mainClass = mainClass;
        EXPECT_EQ(host.runJavaThread(launch_, jvm_), 0);
        currentHost = nullptr;
        return true;
    }

    std::vector<std::string> log() const {
        std::ifstream in(logPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Index of the first line at or after `from` that starts with `prefix`, or -1.
    int position(const std::string& prefix, int from = 0) const {
        const auto lines = log();
        for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
            if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    void expectInOrder(const std::vector<std::string>& lines) const {
        int previous = -1;
        for (const std::string& line : lines) {
            const int at = position(line, previous + 1);
            EXPECT_GT(at, previous) << "[" << line << "] missing or out of order";
            if (at < 0) return;
            previous = at;
        }
    }
    size_t count(const std::string& prefix) const {
        const auto lines = log();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.compare(0, prefix.size(), prefix) == 0;
        }));
    }

    testing::TempFolder folder_;
    JavaLaunch launch_;
    JvmOptions jvm_;
};

#define RUN_OR_SKIP(mainClass) \
    if (!run(mainClass)) GTEST_SKIP() << "the test JVM was not built"

TEST_F(SecondaryMainTest, VoidFormIsAnsweredWithZeroBeforeItRuns) {
    forwarded.mainClass = L"app/SecondaryVoid";
    forwarded.arguments = {L"doc one.txt", L"\u00fc\u20ac\U0001F600"};
    RUN_OR_SKIP(L"app/SecondaryVoid");
    EXPECT_TRUE(forwardedReturned);
    expectInOrder({"AttachCurrentThread", "FindClass app/SecondaryVoid",
                   "GetStaticMethodID app/SecondaryVoid secondaryMain ([Ljava/lang/String;)V", "launcher: reply 0",
                   "CallStaticVoidMethodV secondaryMain", "secondaryMain void args=2", "arg 0: doc one.txt",
                   "arg 1: \xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80", "DetachCurrentThread", "main app/SecondaryVoid args=0"});
    EXPECT_EQ(count("launcher: reply"), 1u);
    EXPECT_EQ(count("GetStaticMethodID app/SecondaryVoid secondaryMain"), 1u) << "the void form is looked for first";
}

TEST_F(SecondaryMainTest, IntFormIsAnsweredWithItsResultAfterItRan) {
    forwarded.mainClass = L"app/SecondaryInt";
    forwarded.arguments = {L""};
    RUN_OR_SKIP(L"app/SecondaryInt");
    EXPECT_TRUE(forwardedReturned);
    expectInOrder({"AttachCurrentThread", "GetStaticMethodID app/SecondaryInt secondaryMain ([Ljava/lang/String;)V",
                   "GetStaticMethodID app/SecondaryInt secondaryMain ([Ljava/lang/String;)I",
                   "secondaryMain int args=1", "arg 0: ", "launcher: reply 42", "DetachCurrentThread"});
    EXPECT_EQ(count("launcher: reply"), 1u);
    EXPECT_EQ(count("ExceptionDescribe"), 0u) << "the void form's absence is cleared, not reported";
}

TEST_F(SecondaryMainTest, NoReplyWithoutTheMethodOrTheClass) {
    struct Case {
        const wchar_t* forwardedClass;
        const char* found;
    };
    // The second name is not ASCII: FindClass gets it in modified UTF-8 and finds it.
    const Case cases[] = {{L"app/Records", "FindClass app/Records"},
                          {L"app/Gr\u00fc\u00dfe", "FindClass app/Gr\xC3\xBC\xC3\x9F" "e"},
                          {L"app/Missing", "FindClass app/Missing"}};
    for (const Case& c : cases) {
        std::remove(logPath.c_str());
        forwarded.mainClass = c.forwardedClass;
        forwarded.arguments = {L"x"};
        RUN_OR_SKIP(L"app/Records");
        EXPECT_FALSE(forwardedReturned) << c.found;
        EXPECT_EQ(count("launcher: reply"), 0u) << c.found;
        expectInOrder({"AttachCurrentThread", c.found, "ExceptionDescribe", "DetachCurrentThread"});
    }
}

TEST_F(SecondaryMainTest, AThreadThatStaysInTheVirtualMachineIsNotDetached) {
    forwarded.mainClass = L"app/SecondaryVoid";
    forwarded.stayAttached = true;
    RUN_OR_SKIP(L"app/SecondaryVoid");
    const int reply = position("launcher: reply 0");
    ASSERT_GE(reply, 0);
    // The only detach after the reply is the Java thread's own, after main.
    const int main = position("main app/SecondaryVoid args=0");
    ASSERT_GT(main, reply);
    EXPECT_EQ(position("DetachCurrentThread", reply), position("DetachCurrentThread", main));
}

TEST_F(SecondaryMainTest, AFailedArgumentArrayIsDescribedAndNotAnswered) {
    ASSERT_TRUE(os::setEnvironment(L"TESTJVM_FAIL", L"NewObjectArray:2"));
    forwarded.mainClass = L"app/SecondaryInt";
    forwarded.arguments = {L"a"};
    const bool ran = run(L"app/SecondaryInt");
    (void)os::setEnvironment(L"TESTJVM_FAIL", L"");
    if (!ran) GTEST_SKIP() << "the test JVM was not built";
    EXPECT_FALSE(forwardedReturned);
    EXPECT_EQ(count("launcher: reply"), 0u);
    EXPECT_EQ(count("secondaryMain int"), 0u);
    EXPECT_GE(position("ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObjectArray"), 0);
}

// A virtual machine that takes no thread any more (it refuses, or it is gone) cannot serve
// the launch: the second instance is told so at once instead of waiting for this process.
TEST_F(SecondaryMainTest, AThreadTheVirtualMachineDoesNotTakeIsAnsweredNotServed) {
    forwarded.mainClass = L"app/SecondaryVoid";
    ASSERT_TRUE(os::setEnvironment(L"TESTJVM_FAIL", L"AttachCurrentThread"));
    const bool ran = run(L"app/SecondaryVoid");
    (void)os::setEnvironment(L"TESTJVM_FAIL", L"");
    if (!ran) GTEST_SKIP() << "the test JVM was not built";
    EXPECT_FALSE(forwardedReturned);
    EXPECT_EQ(count("launcher: reply"), 1u);
    EXPECT_GE(position("launcher: reply -1"), 0);
    EXPECT_EQ(count("FindClass app/SecondaryVoid"), 0u);

    // The same launch once the virtual machine has been destroyed.
    std::remove(logPath.c_str());
    EXPECT_FALSE(runSecondaryMain(lastVm, forwarded, SecondaryReply{&sendReply, nullptr}));
    expectInOrder({"AttachCurrentThread refused", "launcher: reply -1"});
    EXPECT_EQ(count("launcher: reply"), 1u);
    EXPECT_FALSE(runSecondaryMain(nullptr, forwarded, SecondaryReply{&sendReply, nullptr}));
    EXPECT_EQ(count("launcher: reply -1"), 2u);
}

}  // namespace
}  // namespace jl

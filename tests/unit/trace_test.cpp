// The diagnostic trace: the bytes of a line, where lines go, and that a trace that is
// off or cannot be written changes nothing for the caller.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "os/os.h"
#include "support/text.h"
#include "support/trace.h"
#include "temp_folder.h"

namespace jl {
namespace {

namespace fs = std::filesystem;
using jl::testing::TempFolder;

#ifdef _WIN32
const std::string kEnd = "\r\n";
#else
const std::string kEnd = "\n";
#endif

std::string readAll(const std::wstring& path) {
    std::ifstream in{fs::path(path), std::ios::binary};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Switches the trace to `destination` (nothing: off) for one test, and off again after.
class TraceSwitch {
public:
    explicit TraceSwitch(const std::wstring* destination) {
        if (destination != nullptr) {
            EXPECT_TRUE(os::setEnvironment(kTraceVariable, *destination));
        } else {
            os::removeEnvironment(kTraceVariable);
        }
        restartTrace();
    }
    ~TraceSwitch() {
        os::removeEnvironment(kTraceVariable);
        restartTrace();
    }
};

TEST(TraceLineTest, IsOneUtf8LineWhateverThePartsHold) {
    struct Case {
        std::wstring part;
        std::string shown;
    };
    const Case cases[] = {
        {L"plain", "plain"},
        {L"C:\\Program Files\\Java\\", "C:\\Program Files\\Java\\"},
        {L"two\r\nlines", "two\\r\\nlines"},
        {L"tab\there", "tab\\there"},
        {std::wstring(L"nul\0bell\a", 9) + L"\x1b\x7f", "nul\\x00bell\\x07\\x1B\\x7F"},
        {L"\u00fcber \u65e5\u672c", "\xc3\xbc" "ber \xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(traceLineText(L"tool.exe", 42, L"runtime", {L"value ", c.part, L"."}),
                  "tool.exe[42] runtime: value " + c.shown + "." + kEnd);
    }
    // Plain literals, UTF-8 and UTF-16 texts mix in one line.
    EXPECT_EQ(traceLineText(L"tool", 7, L"jvm", {"plain\n", std::string("utf-8 \xc3\xbc "), L"wide \u00fc"}),
              "tool[7] jvm: plain\\nutf-8 \xc3\xbc wide \xc3\xbc" + kEnd);
    EXPECT_EQ(traceQuoted(L" padded "), L"\" padded \"");
}

TEST(TraceTest, AppendsLinesOfThisProcessToTheNamedFile) {
    TempFolder temp;
    const std::wstring file = temp.write(L"trace.log", "earlier line\n");
    TraceSwitch on(&file);
    ASSERT_TRUE(traceEnabled());
    trace(L"runtime", {L"probe ", L"C:\\jre\\bin\\client\\jvm.dll", L": missing"});
    trace(L"settings", {L"[Application] Cmd = ", traceQuoted(L"a\nb")});

    const std::string prefix = "[" + os::toUtf8(decimalText(os::currentProcessId())) + "] ";
    const std::string text = readAll(file);
    ASSERT_EQ(text.rfind("earlier line\n", 0), 0u) << text;
    const std::string first = "runtime: probe C:\\jre\\bin\\client\\jvm.dll: missing" + kEnd;
    const std::string second = "settings: [Application] Cmd = \"a\\nb\"" + kEnd;
    const size_t a = text.find(prefix + first), b = text.find(prefix + second);
    EXPECT_NE(a, std::string::npos) << text;
    EXPECT_NE(b, std::string::npos) << text;
    EXPECT_LT(a, b);
    // Each line names the program that wrote it.
    std::string program;
    uint32_t error = 0;
    std::wstring path;
    ASSERT_TRUE(os::modulePath(path, error));
    program = os::toUtf8(fs::path(path).filename().wstring());
    EXPECT_EQ(text.substr(13, program.size()), program);
}

TEST(TraceTest, ARelativeFileIsMadeAbsoluteForEveryoneWhoInheritsTheVariable) {
    const std::wstring name = L"jl-trace-relative-" + decimalText(os::currentProcessId()) + L".log";
    TraceSwitch on(&name);
    ASSERT_TRUE(traceEnabled());
    std::wstring now;
    ASSERT_TRUE(os::getEnvironment(kTraceVariable, now));
    const std::wstring expected = (fs::current_path() / name).wstring();
    EXPECT_EQ(os::toUtf8(now), os::toUtf8(expected));
    trace(L"launch", {L"x"});
    EXPECT_TRUE(fs::exists(expected));
    std::error_code ignored;
    fs::remove(expected, ignored);
}

TEST(TraceTest, OffOrUnwritableChangesNothing) {
    TempFolder temp;
    const std::wstring file = temp.path(L"never.log");
    {
        TraceSwitch off(nullptr);
        EXPECT_FALSE(traceEnabled());
        trace(L"runtime", {L"not written"});
    }
    {
        const std::wstring empty;
        TraceSwitch off(&empty);
        EXPECT_FALSE(traceEnabled());
    }
    EXPECT_FALSE(fs::exists(fs::path(file)));

    // A folder, a file in a folder that does not exist: the lines are lost quietly.
    const std::wstring folder = temp.path();
    const std::wstring missing = temp.path(L"no such folder") + os::kPathSeparator + L"trace.log";
    for (const std::wstring* target : {&folder, &missing}) {
        TraceSwitch on(target);
        EXPECT_TRUE(traceEnabled());
        trace(L"runtime", {L"lost"});
        trace(L"runtime", {L"lost again"});
    }
    EXPECT_FALSE(fs::exists(fs::path(temp.path(L"no such folder"))));
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));
}

}  // namespace
}  // namespace jl

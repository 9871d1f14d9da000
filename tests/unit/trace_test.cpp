// The diagnostic trace: the bytes of a line, where lines go, and that a trace that is
// off or cannot be written changes nothing for the caller.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/os.h"
#include "support/text.h"
#include "support/trace.h"
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

namespace fs = std::filesystem;
using jl::testing::TempFolder;
using jl::testing::TraceSwitch;

#ifdef _WIN32
const std::string kEnd = "\r\n";
#else
const std::string kEnd = "\n";
#endif

TEST(TraceLineTest, IsOneUtf8LineWhateverThePartsHold) {
    struct Case {
        std::wstring part;
        std::string shown;
    };
    const Case cases[] = {
        {L"plain", "plain"}, {L"C:\\Program Files\\Java\\", "C:\\Program Files\\Java\\"},
        {L"two\r\nlines", "two\\r\\nlines"}, {L"tab\there", "tab\\there"},
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

// Off, or a folder, or a file in a folder that does not exist: the lines are lost quietly.
TEST(TraceTest, OffOrUnwritableChangesNothing) {
    TempFolder temp;
    const std::wstring empty, folder = temp.path();
    const std::wstring missing = temp.path(L"no such folder") + os::kPathSeparator + L"trace.log";
    for (const std::wstring* destination : {static_cast<const std::wstring*>(nullptr), &empty, &folder, &missing}) {
        TraceSwitch on(destination);
        EXPECT_EQ(traceEnabled(), destination != nullptr && !destination->empty());
        trace(L"runtime", {L"lost"});
        trace(L"runtime", {L"lost again"});
    }
    EXPECT_TRUE(fs::is_empty(fs::path(folder)));
}

}  // namespace
}  // namespace jl

// Text handling: command lines, lists, messages, UTF-16 units, the hyperlink's colour and
// placement; and the trace: the bytes of a line, where lines go, and failing quietly.
#include "support/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/launcher_app.h"
#include "jvm/java_strings.h"
#include "os/os.h"
#include "support/hyperlink.h"
#include "support/messages.h"
#include "support/trace.h"
#include "trace_capture.h"

namespace jl {
namespace {

using List = std::vector<std::wstring>;
namespace fs = std::filesystem;

TEST(SplitArguments, CommandLinesAndTheNoSplashSwitch) {
    const std::pair<const wchar_t*, List> cases[] = {
        {L"", {}}, {L"prog", {L"prog"}},
        {L"\"C:\\Program Files\\app.exe\"  a  \"b c\"", {L"C:\\Program Files\\app.exe", L"a", L"b c"}},
        // A program path with spaces started without quotes leaves the rest as arguments.
        {L"C:\\Program Files\\app.exe x", {L"C:\\Program", L"Files\\app.exe", L"x"}},
        // A character right after a closing quote starts the next argument.
        {L"\"ab\"cd", {L"ab", L"cd"}}, {L"\"ab\"\"cd\"", {L"ab", L"cd"}}, {L"\"\"", {L""}}, {L"a \"\" b", {L"a", L"", L"b"}},
        {L"a \"b c", {L"a", L"b c"}}, {L"\"", {L""}},  // unbalanced: the rest is the last argument
        // Quotes inside an unquoted argument are kept; tabs and backslashes are ordinary.
        {L"a\"b c", {L"a\"b", L"c"}}, {L"a\tb c\\\"", {L"a\tb", L"c\\\""}}, {L"a   ", {L"a"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(splitArguments(text), expected) << os::toUtf8(text);
    EXPECT_EQ(argumentsFromCommandLine(L""), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"  \"C:\\Apps\\tool.exe\"  "), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"\"C:\\Apps\\tool.exe\"  a  \"b c\"\t"), (List{L"a", L"b c"}));
    EXPECT_TRUE(hasNoSplashSwitch({L"a", L"-nosplash"}) && hasNoSplashSwitch({L"/nosplash", L"b"}));
    EXPECT_FALSE(hasNoSplashSwitch({L"-NOSPLASH", L"-nosplash2", L"x-nosplash"}) || hasNoSplashSwitch({}));
}

TEST(Text, SplitTrimAndCase) {
    const std::tuple<const wchar_t*, const wchar_t*, List> cases[] = {
        {L"", L";", {}}, {L"1.6", L";", {L"1.6"}}, {L"1.6;;1.8", L";", {L"1.6", L"", L"1.8"}},
        {L"1.6;1.8;", L";", {L"1.6", L"1.8"}}, {L";1.8", L";", {L"", L"1.8"}}, {L" 1.6 ; 1.7", L";", {L" 1.6 ", L" 1.7"}},
        {L"a\r\nb\r\n\r\nc\r\n", L"\r\n", {L"a", L"b", L"", L"c"}}, {L"a\nb\rc", L"\r\n", {L"a\nb\rc"}},
    };
    for (const auto& [text, delimiter, expected] : cases) EXPECT_EQ(splitAtDelimiter(text, delimiter), expected);
    EXPECT_EQ(trimWhitespace(L" \t a b \r\n") + L"|" + trimWhitespace(L"   "), L"a b|");
    EXPECT_TRUE(equalsIgnoreCase(L"YES", L"Yes") && equalsIgnoreCase(L"JRockit", L"jrockit"));
    EXPECT_FALSE(equalsIgnoreCase(L"yes ", L"yes") || equalsIgnoreCase(L"ye", L"yes"));
}

TEST(LauncherApp, WorkingFolderAndPathsBesideTheExecutable) {
    // The executable's folder, then a path resolved beside the executable.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
#ifdef _WIN32
        {L"C:\\Apps\\tool.exe", L"C:\\Apps", L"tool64.exe", L"C:\\Apps\\tool64.exe"}, {L"C:\\A\\t.exe", L"C:\\A", L"D:\\x", L"D:\\x"},
        {L"C:\\A\\t.exe", L"C:\\A", L"b\\t64.exe", L"C:\\A\\b\\t64.exe"}, {L"C:\\A\\t.exe", L"C:\\A", L"\\\\s\\t.exe", L"\\\\s\\t.exe"},
        {L"E:\\tool.exe", L"E:\\", L"", L""}, {L"\\tool.exe", L"", L"", L""}, {L"tool.exe", L"", L"", L""},
#else
        {L"/opt/apps/tool", L"/opt/apps", L"tool64", L"/opt/apps/tool64"},
        {L"/opt/apps/tool", L"/opt/apps", L"/usr/bin/t", L"/usr/bin/t"}, {L"/tool", L"/", L"", L""},
#endif
    };
    for (const auto& [executable, folder, path, resolved] : cases) {
        EXPECT_EQ(workingFolderOf(executable), folder) << os::toUtf8(executable);
        EXPECT_EQ(resolveBesideExecutable(path, executable), resolved) << os::toUtf8(path);
    }
}

TEST(FormatMessageText, Placeholders) {
    const std::wstring description = L"failed to get the module path";
    EXPECT_EQ(formatMessageText(L"Windows exception: %s (errno = %d).\n", {description, uint32_t{5}}),
              L"Windows exception: failed to get the module path (errno = 5).\n");
    EXPECT_EQ(formatMessageText(L"version between %s and %s", {L"1.6", L"1.8"}), L"version between 1.6 and 1.8");
    EXPECT_EQ(formatMessageText(L"%d%%", {int32_t{-7}}), L"-7%");
    // A placeholder without a matching argument stays as written.
    EXPECT_EQ(formatMessageText(L"%s and %s", {L"one"}), L"one and %s");
    EXPECT_EQ(formatMessageText(L"%d", {L"text"}) + formatMessageText(L"trailing %", {}), L"%dtrailing %");
}

// Characters outside the basic plane are one wchar_t on Linux and a surrogate pair on
// Windows; both must give the same UTF-16 units. Unpaired surrogates survive as they are.
TEST(Utf16Units, Conversions) {
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""}, {L"a\u00e9\u20ac\U0001F600z", u"a\u00e9\u20ac\U0001F600z"},
        {L"\u65e5\u672c\u8a9e \u0434\u0430", u"\u65e5\u672c\u8a9e \u0434\u0430"}, {L"\uFFFF\U0010FFFF", u"\uFFFF\U0010FFFF"},
        {std::wstring(1, L'\0') + L"x", std::u16string(1, u'\0') + u"x"}, {L"\xD800" L"b", u"\xD800" u"b"}, {L"a\xDC00", u"a\xDC00"},
    };
    for (const auto& [text, units] : cases) {
        EXPECT_EQ(toUtf16Units(text), units);
        EXPECT_EQ(fromUtf16Units(units.data(), units.size()), text);
    }
    // Beyond Unicode, which only a 32-bit wchar_t can hold: the replacement character.
    EXPECT_TRUE(sizeof(wchar_t) == 2 || toUtf16Units(std::wstring(1, static_cast<wchar_t>(0x110000))) == u"\uFFFD");
}

TEST(ParseColourText, ReadsRedGreenBlueOrRejects) {
    constexpr LinkColour kUnchanged = rgbColour(1, 2, 3), kRejected = kUnchanged;
    const std::pair<const wchar_t*, LinkColour> cases[] = {
        {L"0,0,128", rgbColour(0, 0, 128)}, {L"255,128,0", rgbColour(255, 128, 0)}, {L" 12, +34,\t56", rgbColour(12, 34, 56)},
        {L"0,0,128,7", rgbColour(0, 0, 128)},
        // Each part is read up to its first other character and cut to 8 bits.
        {L"12abc,34,56xyz", rgbColour(12, 34, 56)}, {L"256,257,-2", rgbColour(0, 1, 254)},
        {L"x,y,z", rgbColour(0, 0, 0)}, {L",,5", rgbColour(0, 0, 5)},
        // Blue may be -1; red and green may not.
        {L"0,0,-1", rgbColour(0, 0, 255)}, {L"-1,0,0", kRejected}, {L"0,-1,0", kRejected},
        {L"0,0", kRejected}, {L"0,0,", kRejected}, {L"", kRejected}, {L"0 0 128", kRejected},
        // Far beyond the int range: the end of the range, cut to 8 bits.
        {L"99999999999999999999,0,0", rgbColour(0xFF, 0, 0)},
    };
    for (const auto& [text, expected] : cases) {
        LinkColour colour = kUnchanged;
        EXPECT_EQ(parseColourText(text, colour), expected != kRejected) << os::toUtf8(text);
        EXPECT_EQ(colour, expected) << os::toUtf8(text);
    }
}

TEST(PlaceLinkRect, FollowsTheTextAlignment) {
    const LinkRect client{0, 0, 101, 16}, measured{0, 0, 40, 13}, wide{0, 0, 150, 13};
    const std::tuple<LinkRect, LinkRect, LinkAlignment, LinkRect> cases[] = {
        {client, measured, LinkAlignment::Left, {0, 0, 40, 13}},
        {client, measured, LinkAlignment::Centre, {30, 0, 70, 13}},  // half of the free 61, rounded down
        {client, measured, LinkAlignment::Right, {61, 0, 101, 13}},
        // Text wider than the control starts at its left edge whatever the alignment.
        {client, wide, LinkAlignment::Centre, wide}, {client, wide, LinkAlignment::Right, wide},
        // A client rectangle away from the origin carries the measured size along.
        {{5, 7, 105, 27}, {5, 7, 25, 20}, LinkAlignment::Right, {85, 7, 105, 20}},
    };
    for (const auto& [area, text, alignment, expected] : cases) {
        EXPECT_EQ(placeLinkRect(area, text, alignment), expected) << static_cast<int>(alignment);
    }
}

#ifdef _WIN32
const std::string kEnd = "\r\n";
#else
const std::string kEnd = "\n";
#endif

TEST(TraceLineTest, IsOneUtf8LineWhateverThePartsHold) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"C:\\Program Files\\Java\\", "C:\\Program Files\\Java\\"}, {L"two\r\nlines\t", "two\\r\\nlines\\t"},
        {std::wstring(L"nul\0bell\a", 9) + L"\x1b\x7f", "nul\\x00bell\\x07\\x1B\\x7F"},
        {L"\u00fcber \u65e5\u672c", "\xc3\xbc" "ber \xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const auto& [part, shown] : cases) {
        EXPECT_EQ(traceLineText(L"tool.exe", 42, L"runtime", {L"value ", part, L"."}),
                  "tool.exe[42] runtime: value " + shown + "." + kEnd);
    }
    // Plain literals, UTF-8 and UTF-16 texts mix in one line.
    EXPECT_EQ(traceLineText(L"tool", 7, L"jvm", {"plain\n", std::string("utf-8 \xc3\xbc "), L"wide \u00fc"}),
              "tool[7] jvm: plain\\nutf-8 \xc3\xbc wide \xc3\xbc" + kEnd);
}

TEST(TraceTest, ARelativeFileIsMadeAbsoluteForEveryoneWhoInheritsTheVariable) {
    const std::wstring name = L"jl-trace-relative-" + decimalText(os::currentProcessId()) + L".log";
    testing::TraceSwitch on(&name);
    ASSERT_TRUE(traceEnabled());
    std::wstring now;
    ASSERT_TRUE(os::getEnvironment(kTraceVariable, now));
    const std::wstring expected = (fs::current_path() / name).wstring();
    EXPECT_EQ(os::toUtf8(now), os::toUtf8(expected));
    trace(L"launch", {L"x"});
    EXPECT_TRUE(fs::remove(expected));
}

TEST(TraceTest, OffOrUnwritableChangesNothing) {
    testing::TempFolder temp;
    const std::wstring empty, folder = temp.path();
    const std::wstring missing = temp.path(L"no such folder") + os::kPathSeparator + L"trace.log";
    for (const std::wstring* destination : {static_cast<const std::wstring*>(nullptr), &empty, &folder, &missing}) {
        testing::TraceSwitch on(destination);
        EXPECT_EQ(traceEnabled(), destination != nullptr && !destination->empty());
        trace(L"runtime", {L"lost"});
        trace(L"runtime", {L"lost again"});
    }
    EXPECT_TRUE(fs::is_empty(fs::path(folder)));
}

}  // namespace
}  // namespace jl

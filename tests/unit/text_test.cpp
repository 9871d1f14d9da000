// Text handling: command lines, lists, message formatting, the UTF-16 units of Java
// strings (the strings themselves cross the test JVM in the host tests), the hyperlink's
// colour text and placement; and the diagnostic trace: the bytes of a line, where lines
// go, and that a trace that is off or cannot be written changes nothing for the caller.
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
#include "temp_folder.h"
#include "trace_capture.h"

namespace jl {
namespace {

using List = std::vector<std::wstring>;

TEST(SplitArguments, Cases) {
    struct Case {
        const wchar_t* text;
        List expected;
    };
    const Case cases[] = {
        {L"", {}}, {L"prog", {L"prog"}},
        {L"\"C:\\Program Files\\app.exe\"  a  \"b c\"", {L"C:\\Program Files\\app.exe", L"a", L"b c"}},
        // A program path with spaces started without quotes leaves the rest as arguments.
        {L"C:\\Program Files\\app.exe x", {L"C:\\Program", L"Files\\app.exe", L"x"}},
        // A character right after a closing quote starts the next argument.
        {L"\"ab\"cd", {L"ab", L"cd"}}, {L"\"ab\"\"cd\"", {L"ab", L"cd"}}, {L"\"\"", {L""}},
        {L"a \"\" b", {L"a", L"", L"b"}},
        // Unbalanced quote: the rest is the last argument.
        {L"a \"b c", {L"a", L"b c"}}, {L"\"", {L""}},
        // Quotes inside an unquoted argument are kept; tabs and backslashes are ordinary.
        {L"a\"b c", {L"a\"b", L"c"}}, {L"a\tb c\\\"", {L"a\tb", L"c\\\""}}, {L"a   ", {L"a"}},
        {L"-nosplash /nosplash", {L"-nosplash", L"/nosplash"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitArguments(c.text), c.expected) << "text: " << std::wstring(c.text).size();
    }
}

TEST(SplitAtDelimiter, Cases) {
    struct Case {
        const wchar_t* text;
        const wchar_t* delimiter;
        List expected;
    };
    const Case cases[] = {
        {L"", L";", {}}, {L"1.6", L";", {L"1.6"}}, {L"1.6;;1.8", L";", {L"1.6", L"", L"1.8"}},
        {L"1.6;1.8;", L";", {L"1.6", L"1.8"}}, {L";1.8", L";", {L"", L"1.8"}},
        {L" 1.6 ; 1.7", L";", {L" 1.6 ", L" 1.7"}}, {L"a\r\nb\r\n\r\nc\r\n", L"\r\n", {L"a", L"b", L"", L"c"}},
        {L"a\nb\rc", L"\r\n", {L"a\nb\rc"}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitAtDelimiter(c.text, c.delimiter), c.expected);
}

TEST(Text, TrimAndCase) {
    EXPECT_EQ(trimWhitespace(L" \t a b \r\n"), L"a b");
    EXPECT_EQ(trimWhitespace(L"   "), L"");
    EXPECT_TRUE(equalsIgnoreCase(L"YES", L"Yes"));
    EXPECT_TRUE(equalsIgnoreCase(L"JRockit", L"jrockit"));
    EXPECT_FALSE(equalsIgnoreCase(L"yes ", L"yes"));
    EXPECT_FALSE(equalsIgnoreCase(L"ye", L"yes"));
}

TEST(LauncherApp, ArgumentsOfTheCommandLine) {
    EXPECT_EQ(argumentsFromCommandLine(L""), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"  \"C:\\Apps\\tool.exe\"  "), List{});
    EXPECT_EQ(argumentsFromCommandLine(L"\"C:\\Apps\\tool.exe\"  a  \"b c\"\t"), (List{L"a", L"b c"}));
}

TEST(LauncherApp, NoSplashSwitchIsWholeAndCaseSensitive) {
    EXPECT_TRUE(hasNoSplashSwitch({L"a", L"-nosplash"}));
    EXPECT_TRUE(hasNoSplashSwitch({L"/nosplash", L"b"}));
    EXPECT_FALSE(hasNoSplashSwitch({L"-NOSPLASH"}));
    EXPECT_FALSE(hasNoSplashSwitch({L"-nosplash2", L"x-nosplash"}));
    EXPECT_FALSE(hasNoSplashSwitch({}));
}

TEST(LauncherApp, WorkingFolderAndPathsBesideTheExecutable) {
#ifdef _WIN32
    EXPECT_EQ(workingFolderOf(L"C:\\Apps\\tool.exe"), L"C:\\Apps");
    EXPECT_EQ(workingFolderOf(L"E:\\tool.exe"), L"E:\\");
    EXPECT_EQ(workingFolderOf(L"\\tool.exe"), L"");
    EXPECT_EQ(workingFolderOf(L"tool.exe"), L"");
    EXPECT_EQ(resolveBesideExecutable(L"tool64.exe", L"C:\\Apps\\tool.exe"), L"C:\\Apps\\tool64.exe");
    EXPECT_EQ(resolveBesideExecutable(L"bin\\tool64.exe", L"C:\\Apps\\tool.exe"), L"C:\\Apps\\bin\\tool64.exe");
    EXPECT_EQ(resolveBesideExecutable(L"D:\\x\\t.exe", L"C:\\Apps\\tool.exe"), L"D:\\x\\t.exe");
    EXPECT_EQ(resolveBesideExecutable(L"\\\\srv\\share\\t.exe", L"C:\\Apps\\tool.exe"), L"\\\\srv\\share\\t.exe");
#else
    EXPECT_EQ(workingFolderOf(L"/opt/apps/tool"), L"/opt/apps");
    EXPECT_EQ(workingFolderOf(L"/tool"), L"/");
    EXPECT_EQ(resolveBesideExecutable(L"tool64", L"/opt/apps/tool"), L"/opt/apps/tool64");
    EXPECT_EQ(resolveBesideExecutable(L"/usr/bin/t", L"/opt/apps/tool"), L"/usr/bin/t");
#endif
    EXPECT_EQ(resolveBesideExecutable(L"", L"/x/tool"), L"");
}

TEST(FormatMessageText, Placeholders) {
    std::wstring description = L"failed to get the module path";
    EXPECT_EQ(formatMessageText(L"Windows exception: %s (errno = %d).\n", {description, uint32_t{5}}),
              L"Windows exception: failed to get the module path (errno = 5).\n");
    EXPECT_EQ(formatMessageText(L"version between %s and %s", {L"1.6", L"1.8"}),
              L"version between 1.6 and 1.8");
    EXPECT_EQ(formatMessageText(L"%d%%", {int32_t{-7}}), L"-7%");
    // A placeholder without a matching argument stays as written instead of reading
    // past the arguments.
    EXPECT_EQ(formatMessageText(L"%s and %s", {L"one"}), L"one and %s");
    EXPECT_EQ(formatMessageText(L"%d", {L"text"}), L"%d");
    EXPECT_EQ(formatMessageText(L"trailing %", {}), L"trailing %");
    EXPECT_EQ(formatMessageText(L"", {L"x"}), L"");
}

// Characters outside the basic plane are one wchar_t on Linux and a surrogate pair on
// Windows; both must give the same UTF-16 units.
const std::wstring kMixed = L"a\u00e9\u20ac\U0001F600z";
const std::u16string kMixedUnits = u"a\u00e9\u20ac\U0001F600z";

TEST(Utf16Units, Conversions) {
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""}, {kMixed, kMixedUnits}, {L"\u65e5\u672c\u8a9e \u0434\u0430", u"\u65e5\u672c\u8a9e \u0434\u0430"},
        {L"\uFFFF\U0010FFFF", u"\uFFFF\U0010FFFF"},  // the last unit alone, the last pair
        {std::wstring(1, L'\0') + L"x", std::u16string(1, u'\0') + u"x"},
        // Unpaired surrogates survive as they are, in both directions.
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"b", std::u16string(1, static_cast<char16_t>(0xD800)) + u"b"},
        {L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00)), u"a" + std::u16string(1, static_cast<char16_t>(0xDC00))},
    };
    for (const auto& [text, units] : cases) {
        EXPECT_EQ(toUtf16Units(text), units);
        EXPECT_EQ(fromUtf16Units(units.data(), units.size()), text);
    }
    // Beyond Unicode, which only a 32-bit wchar_t can hold: the replacement character.
    if (sizeof(wchar_t) == 4) EXPECT_EQ(toUtf16Units(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
}

constexpr LinkColour kUnchanged = rgbColour(1, 2, 3);

struct ColourCase {
    const wchar_t* text;
    bool accepted;
    LinkColour colour;  // the result when accepted
};

TEST(ParseColourText, ReadsRedGreenBlueOrRejects) {
    const ColourCase cases[] = {
        {L"0,0,128", true, rgbColour(0, 0, 128)}, {L"255,128,0", true, rgbColour(255, 128, 0)},
        {L" 12, +34,\t56", true, rgbColour(12, 34, 56)},
        // Each part is read up to its first other character and cut to 8 bits.
        {L"12abc,34,56xyz", true, rgbColour(12, 34, 56)}, {L"256,257,-2", true, rgbColour(0, 1, 254)},
        {L"x,y,z", true, rgbColour(0, 0, 0)}, {L",,5", true, rgbColour(0, 0, 5)},
        // Blue may be -1; red and green may not.
        {L"0,0,-1", true, rgbColour(0, 0, 255)}, {L"-1,0,0", false, 0}, {L"0,-1,0", false, 0}, {L"0,0", false, 0},
        {L"0,0,", false, 0}, {L"", false, 0}, {L"0 0 128", false, 0}, {L"0,0,128,7", true, rgbColour(0, 0, 128)},
        // Far beyond the int range: the ends of the range, cut to 8 bits.
        {L"99999999999999999999,0,0", true, rgbColour(0xFF, 0, 0)},
    };
    for (const ColourCase& c : cases) {
        LinkColour colour = kUnchanged;
        EXPECT_EQ(parseColourText(c.text, colour), c.accepted) << ::testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(colour, c.accepted ? c.colour : kUnchanged) << ::testing::PrintToString(std::wstring(c.text));
    }
}

TEST(PlaceLinkRect, FollowsTheTextAlignment) {
    const LinkRect client{0, 0, 101, 16};
    const LinkRect measured{0, 0, 40, 13};
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Left), (LinkRect{0, 0, 40, 13}));
    // Half of the free 61 pixels, rounded down.
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Centre), (LinkRect{30, 0, 70, 13}));
    EXPECT_EQ(placeLinkRect(client, measured, LinkAlignment::Right), (LinkRect{61, 0, 101, 13}));
    // Text wider than the control starts at its left edge whatever the alignment.
    const LinkRect wide{0, 0, 150, 13};
    EXPECT_EQ(placeLinkRect(client, wide, LinkAlignment::Centre), (LinkRect{0, 0, 150, 13}));
    EXPECT_EQ(placeLinkRect(client, wide, LinkAlignment::Right), (LinkRect{0, 0, 150, 13}));
    // A client rectangle away from the origin carries the measured size along.
    EXPECT_EQ(placeLinkRect(LinkRect{5, 7, 105, 27}, LinkRect{5, 7, 25, 20}, LinkAlignment::Right),
              (LinkRect{85, 7, 105, 20}));
}

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

#include "support/text.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace jl

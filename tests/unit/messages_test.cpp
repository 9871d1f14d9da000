#include "support/messages.h"

#include <gtest/gtest.h>

namespace jl {
namespace {

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

TEST(FormatMessageText, LongArgumentsComeOutWhole) {
    std::wstring path(5000, L'x');
    std::wstring text = formatMessageText(loadMessage(kMsgJvmLibraryLoadFailed), {path, uint32_t{193}});
    EXPECT_NE(text.find(path), std::wstring::npos);
    EXPECT_NE(text.find(L"193"), std::wstring::npos);
}

TEST(LoadMessage, EveryIdOfTheTableLoads) {
    for (unsigned id = 202; id <= 230; ++id) {
        std::wstring text;
        EXPECT_TRUE(loadMessage(id, text)) << id;
        EXPECT_FALSE(text.empty()) << id;
    }
    std::wstring text = L"stale";
    EXPECT_FALSE(loadMessage(201, text));
    EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace jl

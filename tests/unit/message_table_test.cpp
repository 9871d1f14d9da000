// The message table in its six languages: every language carries every id, and every
// translation can be formatted with the arguments the English text takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "os/os.h"

namespace {

struct Message {
    unsigned id;
    std::wstring text;
};

#define MSG(id, text) {id, L"" text},
const std::vector<Message> kTables[] = {{
#include "resources/messages/en.inc"
}, {
#include "resources/messages/de.inc"
}, {
#include "resources/messages/ja.inc"
}, {
#include "resources/messages/ko.inc"
}, {
#include "resources/messages/ru.inc"
}, {
#include "resources/messages/es.inc"
}};
#undef MSG
const std::string kLanguages[] = {"en", "de", "ja", "ko", "ru", "es"};
constexpr unsigned kFirstId = 202, kLastId = 230;

// The conversion characters of a printf format in order ("%%" is no conversion).
std::wstring conversions(const std::wstring& format) {
    std::wstring found;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        const wchar_t next = ++i < format.size() ? format[i] : L'?';
        if (next != L'%') found += next;
    }
    return found;
}

class MessageTableTest : public ::testing::TestWithParam<int> {};

// Every id once, in order, and translated. The callers format every language with the
// arguments of the English text, so a translation must take the same conversions in the
// same order and break its lines where the English text does.
TEST_P(MessageTableTest, HasEveryIdTranslatedAndFormatsLikeEnglish) {
    const std::vector<Message>& messages = kTables[GetParam()];
    const std::vector<Message>& english = kTables[0];
    ASSERT_EQ(messages.size(), kLastId - kFirstId + 1);
    for (size_t i = 0; i < messages.size(); ++i) {
        const std::wstring& text = messages[i].text;
        EXPECT_EQ(messages[i].id, kFirstId + i);
        EXPECT_FALSE(text.empty()) << "id " << messages[i].id;
        EXPECT_TRUE(GetParam() == 0 || text != english[i].text) << "untranslated id " << messages[i].id;
        EXPECT_EQ(conversions(text), conversions(english[i].text)) << "id " << messages[i].id;
        EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), std::count(english[i].text.begin(), english[i].text.end(), L'\n'))
            << "id " << messages[i].id;
        EXPECT_EQ(conversions(english[i].text).find_first_not_of(L"sd"), std::wstring::npos) << "id " << messages[i].id;
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, MessageTableTest, ::testing::Range(0, 6),
                         [](const auto& info) { return kLanguages[info.param]; });

#ifndef _WIN32
TEST(LoadStringTest, PicksTheLanguageOfTheMessageLocale) {
    // LC_ALL overrides LC_MESSAGES, which overrides LANG; empty counts as unset.
    const char* const kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {nullptr, nullptr, nullptr, "en"}, {nullptr, nullptr, "de_DE.UTF-8", "de"}, {nullptr, nullptr, "ja_JP.UTF-8", "ja"},
        {nullptr, nullptr, "ko_KR.UTF-8", "ko"}, {nullptr, nullptr, "ru_RU.UTF-8", "ru"}, {nullptr, nullptr, "es_ES.UTF-8", "es"},
        {nullptr, nullptr, "de", "de"}, {nullptr, nullptr, "ru_UA@latin", "ru"}, {nullptr, nullptr, "es.UTF-8", "es"},
        {nullptr, nullptr, "fr_FR.UTF-8", "en"}, {nullptr, nullptr, "C", "en"}, {nullptr, nullptr, "C.UTF-8", "en"},
        {nullptr, nullptr, "POSIX", "en"}, {nullptr, nullptr, "DE_de", "en"},  // language codes are lower case
        {nullptr, nullptr, "kok_IN", "en"}, {nullptr, nullptr, "rue_UA", "en"},  // Konkani and Rusyn
        {"ja_JP.UTF-8", "ko_KR.UTF-8", "de_DE.UTF-8", "ja"}, {nullptr, "ko_KR.UTF-8", "de_DE.UTF-8", "ko"},
        {"", "", "ru_RU.UTF-8", "ru"}, {"", "es_ES", nullptr, "es"}, {"C", "de_DE.UTF-8", "de_DE.UTF-8", "en"},
    };
    std::string saved[3];
    for (int i = 0; i < 3; ++i) saved[i] = std::getenv(kNames[i]) ? std::getenv(kNames[i]) : "\x01unset";
    const auto apply = [&](int i, const char* value) { value ? setenv(kNames[i], value, 1) : unsetenv(kNames[i]); };
    for (const auto& [lcAll, lcMessages, lang, language] : cases) {
        apply(0, lcAll), apply(1, lcMessages), apply(2, lang);
        const std::vector<Message>& expected = kTables[std::find(kLanguages, kLanguages + 6, language) - kLanguages];
        // An id outside the table fails in every language and leaves the text alone.
        for (unsigned id : {202u, 217u, 230u, 0u, 201u, 231u, 0xFFFFu, 202u + 0x10000u}) {
            std::wstring text = L"untouched";
            const bool inTable = id >= kFirstId && id <= kLastId;
            EXPECT_EQ(jl::os::loadString(id, text), inTable) << id;
            EXPECT_EQ(text, inTable ? expected[id - kFirstId].text : L"untouched")
                << (lcAll ? lcAll : "-") << " " << (lcMessages ? lcMessages : "-") << " " << (lang ? lang : "-") << " " << id;
        }
    }
    for (int i = 0; i < 3; ++i) apply(i, saved[i] == "\x01unset" ? nullptr : saved[i].c_str());
}
#endif

}  // namespace

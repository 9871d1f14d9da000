// The message table in its six languages: every language carries every id, and every
// translation can be formatted with the arguments the English text takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "os/os.h"

namespace {

struct Message {
    unsigned id;
    std::wstring text;
};

#define MSG(id, text) {id, L"" text},
const std::vector<Message> kEnglish = {
#include "resources/messages/en.inc"
};
const std::vector<Message> kGerman = {
#include "resources/messages/de.inc"
};
const std::vector<Message> kJapanese = {
#include "resources/messages/ja.inc"
};
const std::vector<Message> kKorean = {
#include "resources/messages/ko.inc"
};
const std::vector<Message> kRussian = {
#include "resources/messages/ru.inc"
};
const std::vector<Message> kSpanish = {
#include "resources/messages/es.inc"
};
#undef MSG

constexpr unsigned kFirstId = 202;
constexpr unsigned kLastId = 230;

struct Language {
    const char* name;
    const std::vector<Message>* messages;
};

const Language kLanguages[] = {
    {"en", &kEnglish}, {"de", &kGerman}, {"ja", &kJapanese}, {"ko", &kKorean}, {"ru", &kRussian}, {"es", &kSpanish},
};

// The conversion characters of a printf format in order ("%%" is no conversion).
std::wstring conversions(const std::wstring& format) {
    std::wstring found;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            ++i;
            continue;
        }
        found += i + 1 < format.size() ? format[i + 1] : L'?';
        ++i;
    }
    return found;
}

void PrintTo(const Language& language, std::ostream* out) { *out << language.name; }

class MessageTableTest : public ::testing::TestWithParam<Language> {};

// Every id once, in order, and translated. The callers format every language with the
// arguments of the English text, so a translation must take the same conversions in the
// same order and break its lines where the English text does.
TEST_P(MessageTableTest, HasEveryIdTranslatedAndFormatsLikeEnglish) {
    const auto& messages = *GetParam().messages;
    ASSERT_EQ(messages.size(), kLastId - kFirstId + 1);
    ASSERT_EQ(messages.size(), kEnglish.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        const std::wstring& text = messages[i].text;
        const std::wstring& english = kEnglish[i].text;
        EXPECT_EQ(messages[i].id, kFirstId + i);
        EXPECT_FALSE(text.empty()) << "id " << messages[i].id;
        if (&messages != &kEnglish) EXPECT_NE(text, english) << "id " << messages[i].id;
        EXPECT_EQ(conversions(text), conversions(english)) << "id " << messages[i].id;
        EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), std::count(english.begin(), english.end(), L'\n'))
            << "id " << messages[i].id;
        EXPECT_EQ(conversions(english).find_first_not_of(L"sd"), std::wstring::npos) << "id " << messages[i].id;
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, MessageTableTest, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// Sets or clears the three locale variables for one test and restores them afterwards.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) saved_[i] = std::getenv(kNames[i]) ? std::getenv(kNames[i]) : kUnset;
    }
    ~LocaleEnvironment() {
        for (int i = 0; i < 3; ++i) apply(kNames[i], saved_[i] == kUnset ? nullptr : saved_[i].c_str());
    }
    void set(const char* lcAll, const char* lcMessages, const char* lang) {
        apply("LC_ALL", lcAll);
        apply("LC_MESSAGES", lcMessages);
        apply("LANG", lang);
    }

private:
    static void apply(const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    static constexpr const char* kUnset = "\x01unset";
    std::string saved_[3];
};

const std::vector<Message>& tableOf(const char* language) {
    for (const Language& entry : kLanguages) {
        if (std::string(entry.name) == language) return *entry.messages;
    }
    return kEnglish;
}

TEST(LoadStringTest, PicksTheLanguageOfTheMessageLocale) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, "en"}, {nullptr, nullptr, "de_DE.UTF-8", "de"},
        {nullptr, nullptr, "ja_JP.UTF-8", "ja"}, {nullptr, nullptr, "ko_KR.UTF-8", "ko"},
        {nullptr, nullptr, "ru_RU.UTF-8", "ru"}, {nullptr, nullptr, "es_ES.UTF-8", "es"},
        {nullptr, nullptr, "de", "de"}, {nullptr, nullptr, "ru_UA@latin", "ru"}, {nullptr, nullptr, "es.UTF-8", "es"},
        {nullptr, nullptr, "fr_FR.UTF-8", "en"}, {nullptr, nullptr, "C", "en"}, {nullptr, nullptr, "C.UTF-8", "en"},
        {nullptr, nullptr, "POSIX", "en"},
        {nullptr, nullptr, "kok_IN", "en"},   // Konkani, not Korean
        {nullptr, nullptr, "rue_UA", "en"},   // Rusyn, not Russian
        {nullptr, nullptr, "DE_de", "en"},    // language codes are lower case
        {"ja_JP.UTF-8", "ko_KR.UTF-8", "de_DE.UTF-8", "ja"}, {nullptr, "ko_KR.UTF-8", "de_DE.UTF-8", "ko"},
        {"", "", "ru_RU.UTF-8", "ru"},        // empty counts as unset
        {"", "es_ES", nullptr, "es"}, {"C", "de_DE.UTF-8", "de_DE.UTF-8", "en"},
    };
    LocaleEnvironment environment;
    for (const Case& c : cases) {
        environment.set(c.lcAll, c.lcMessages, c.lang);
        const auto& expected = tableOf(c.expected);
        for (unsigned id : {202u, 217u, 230u}) {
            std::wstring text;
            ASSERT_TRUE(jl::os::loadString(id, text)) << id;
            EXPECT_EQ(text, expected[id - kFirstId].text)
                << "LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)")
                << " LC_MESSAGES=" << (c.lcMessages ? c.lcMessages : "(unset)")
                << " LANG=" << (c.lang ? c.lang : "(unset)") << " id " << id;
        }
        // An id outside the table fails in every language and leaves the text alone.
        for (unsigned id : {0u, 201u, 231u, 0xFFFFu, 202u + 0x10000u}) {
            std::wstring text = L"untouched";
            EXPECT_FALSE(jl::os::loadString(id, text)) << c.expected << " id " << id;
            EXPECT_EQ(text, L"untouched");
        }
    }
}

#endif

}  // namespace

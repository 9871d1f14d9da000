// The message table on Linux: the same texts the Windows resources carry, compiled in,
// with the language taken from the locale variables the way the C library reads them.
#include "os/os.h"

#include <cstdlib>
#include <cstring>

namespace jl::os {
namespace {

struct MessageEntry {
    unsigned id;
    const wchar_t* text;
};

#define MSG(id, text) {id, L"" text},
constexpr MessageEntry kEnglish[] = {
#include "resources/messages/en.inc"
};
constexpr MessageEntry kGerman[] = {
#include "resources/messages/de.inc"
};
constexpr MessageEntry kJapanese[] = {
#include "resources/messages/ja.inc"
};
constexpr MessageEntry kKorean[] = {
#include "resources/messages/ko.inc"
};
constexpr MessageEntry kRussian[] = {
#include "resources/messages/ru.inc"
};
constexpr MessageEntry kSpanish[] = {
#include "resources/messages/es.inc"
};
#undef MSG

struct MessageTable {
    const char* language;  // ISO 639-1 code as it starts a locale name
    const MessageEntry* begin;
    const MessageEntry* end;
};

template <size_t N>
constexpr MessageTable makeTable(const char* language, const MessageEntry (&entries)[N]) {
    return {language, entries, entries + N};
}

constexpr MessageTable kTables[] = {
    makeTable("de", kGerman),  makeTable("ja", kJapanese), makeTable("ko", kKorean),
    makeTable("ru", kRussian), makeTable("es", kSpanish),
};
constexpr MessageTable kDefaultTable = makeTable("en", kEnglish);

// The locale that governs messages: LC_ALL overrides LC_MESSAGES, which overrides LANG;
// an empty variable counts as unset.
const char* messageLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return nullptr;
}

// A locale name is language[_territory][.codeset][@modifier]. Only the whole language
// part is compared, so that three-letter codes such as "kok" (Konkani) or "rue" do not
// pass for Korean or Russian.
const MessageTable& chooseTable() {
    const char* locale = messageLocale();
    if (locale == nullptr) return kDefaultTable;
    const size_t languageLength = std::strcspn(locale, "_.@");
    for (const MessageTable& table : kTables) {
        if (languageLength == std::strlen(table.language) &&
            std::strncmp(locale, table.language, languageLength) == 0) {
            return table;
        }
    }
    return kDefaultTable;
}

}  // namespace

bool loadString(unsigned id, std::wstring& text) {
    const MessageTable& table = chooseTable();
    for (const MessageEntry* entry = table.begin; entry != table.end; ++entry) {
        if (entry->id == id) {
            text = entry->text;
            return true;
        }
    }
    return false;
}

}  // namespace jl::os

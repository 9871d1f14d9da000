#include "os/ini_reader.h"

namespace jl {
namespace {

// Where wchar_t has 16 bits (Windows) text is UTF-16 and characters beyond the BMP are
// surrogate pairs; where it has 32 bits (Linux) every character is one element.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;
constexpr uint32_t kReplacement = 0xFFFD;

// --- decoding ----------------------------------------------------------------------

// The decoded text together with the byte offset each of its elements came from, so
// that an edit of the text can be applied to the bytes and leave the rest untouched.
// offsets[text.size()] is where the decoded bytes end.
struct DecodedFile {
    ProfileEncoding encoding = ProfileEncoding::Utf8;
    std::wstring text;
    std::vector<size_t> offsets;
};

void appendCodePoint(DecodedFile& file, uint32_t c, size_t offset) {
    if (kWideIsUtf16 && c > 0xFFFF) {
        c -= 0x10000;
        file.text += static_cast<wchar_t>(0xD800 + (c >> 10));
        file.text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        file.offsets.push_back(offset);
    } else {
        file.text += static_cast<wchar_t>(c);
    }
    file.offsets.push_back(offset);
}

// Bytes 0x80-0x9F of code page 1252. The five bytes the code page leaves undefined map
// to the C1 control of the same value, as the Windows conversion maps them; every other
// byte is the Latin-1 character of the same value.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t windows1252ToUnicode(uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isValidUtf8(const std::vector<uint8_t>& bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const uint8_t lead = bytes[i++];
        if (lead < 0x80) continue;
        size_t following;
        uint8_t low = 0x80, high = 0xBF;  // range of the first continuation byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i < following) return false;
        if (bytes[i] < low || bytes[i] > high) return false;
        for (size_t k = 1; k < following; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        }
        i += following;
    }
    return true;
}

// UTF-8 as the Windows conversion decodes it without flags: every malformed piece
// becomes one U+FFFD. Which bytes make up one piece is the conversion's own rule, and it
// differs from the usual "maximal subpart" in three ways:
//  - the first continuation byte is taken into the piece before the overlong and range
//    checks (E0 80 is one piece, F4 90 is one piece);
//  - a surrogate is refused at its last byte, which then starts the next piece
//    (ED A0 80 is two pieces);
//  - a sequence whose lead byte asks for more bytes than remain in the file takes all
//    the remaining bytes, whatever they are.
// On valid UTF-8 it is ordinary decoding.
void decodeUtf8(const std::vector<uint8_t>& bytes, size_t start, DecodedFile& file) {
    const size_t n = bytes.size();
    size_t i = start;
    while (i < n) {
        const size_t pieceStart = i;
        const uint8_t lead = bytes[i++];
        if (lead < 0x80) {
            appendCodePoint(file, lead, pieceStart);
            continue;
        }
        size_t following = 0;
        uint32_t value = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            value = lead & 0x07;
        }
        if (following == 0) {
            appendCodePoint(file, kReplacement, pieceStart);
            continue;
        }
        if (n - i < following) {
            appendCodePoint(file, kReplacement, pieceStart);
            i = n;
            continue;
        }
        bool valid = true;
        for (size_t remaining = following; remaining > 0 && valid; --remaining) {
            const uint32_t bits = bytes[i] ^ 0x80u;
            if (bits >= 0x40) {
                valid = false;
                break;
            }
            value = (value << 6) | bits;
            if (remaining == 1) {
                if (value >= 0xD800 && value <= 0xDFFF) valid = false;
                else ++i;
            } else {
                ++i;
                if (remaining == 3 && (value < 0x10 || value >= 0x110)) valid = false;
                if (remaining == 2 && value < 0x20) valid = false;
            }
        }
        appendCodePoint(file, valid ? value : kReplacement, pieceStart);
    }
    file.offsets.push_back(n);
}

void decodeWindows1252(const std::vector<uint8_t>& bytes, DecodedFile& file) {
    for (size_t i = 0; i < bytes.size(); ++i) appendCodePoint(file, windows1252ToUnicode(bytes[i]), i);
    file.offsets.push_back(bytes.size());
}

// UTF-16 units are taken as they are, unpaired surrogates included. An odd last byte
// is not part of the text: Wine reads it as the low half of one more unit whose high
// half lies past the end of its buffer, which gives whatever happens to be there.
void decodeUtf16(const std::vector<uint8_t>& bytes, bool bigEndian, DecodedFile& file) {
    const size_t end = bytes.size() - (bytes.size() % 2);
    auto unitAt = [&](size_t i) -> uint32_t {
        return bigEndian ? (bytes[i] << 8) | bytes[i + 1] : bytes[i] | (bytes[i + 1] << 8);
    };
    for (size_t i = 2; i < end; i += 2) {
        uint32_t unit = unitAt(i);
        if (!kWideIsUtf16 && unit >= 0xD800 && unit <= 0xDBFF && i + 2 < end) {
            const uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendCodePoint(file, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), i);
                i += 2;
                continue;
            }
        }
        appendCodePoint(file, unit, i);
    }
    file.offsets.push_back(end);
}

DecodedFile decode(const std::vector<uint8_t>& bytes) {
    DecodedFile file;
    file.encoding = detectProfileEncoding(bytes);
    file.text.reserve(bytes.size());
    file.offsets.reserve(bytes.size() + 1);
    switch (file.encoding) {
        case ProfileEncoding::Utf8:
            decodeUtf8(bytes, 0, file);
            break;
        case ProfileEncoding::Windows1252:
            decodeWindows1252(bytes, file);
            break;
        case ProfileEncoding::Utf8WithBom:
            decodeUtf8(bytes, 3, file);
            break;
        case ProfileEncoding::Utf16LeWithBom:
            decodeUtf16(bytes, false, file);
            break;
        case ProfileEncoding::Utf16BeWithBom:
            decodeUtf16(bytes, true, file);
            break;
    }
    return file;
}

// --- encoding ----------------------------------------------------------------------

// The code points of a text; false when it holds an unpaired surrogate or a value
// beyond U+10FFFF, which no UTF encoding can carry.
bool toCodePoints(const std::wstring& text, std::vector<uint32_t>& codePoints) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
        codePoints.push_back(c);
    }
    return true;
}

bool encodeUtf8(const std::wstring& text, std::vector<uint8_t>& out) {
    std::vector<uint32_t> codePoints;
    if (!toCodePoints(text, codePoints)) return false;
    for (uint32_t c : codePoints) {
        if (c < 0x80) {
            out.push_back(static_cast<uint8_t>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<uint8_t>(0xC0 | (c >> 6)));
            out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<uint8_t>(0xE0 | (c >> 12)));
            out.push_back(static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<uint8_t>(0xF0 | (c >> 18)));
            out.push_back(static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

// Unpaired surrogates are written as they are: UTF-16 files may hold them.
bool encodeUtf16(const std::wstring& text, bool bigEndian, std::vector<uint8_t>& out) {
    auto put = [&](uint32_t unit) {
        const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    };
    for (wchar_t ch : text) {
        uint32_t c = static_cast<uint32_t>(ch);
        if (c > 0x10FFFF) return false;
        if (c > 0xFFFF) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return true;
}

bool encodeWindows1252(const std::wstring& text, std::vector<uint8_t>& out) {
    for (wchar_t ch : text) {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        bool found = false;
        for (uint8_t i = 0; i < 32 && !found; ++i) {
            if (kWindows1252High[i] == c) {
                out.push_back(static_cast<uint8_t>(0x80 + i));
                found = true;
            }
        }
        if (!found) return false;
    }
    return true;
}

bool encode(ProfileEncoding encoding, const std::wstring& text, std::vector<uint8_t>& out) {
    switch (encoding) {
        case ProfileEncoding::Utf8:
        case ProfileEncoding::Utf8WithBom:
            return encodeUtf8(text, out);
        case ProfileEncoding::Windows1252:
            return encodeWindows1252(text, out);
        case ProfileEncoding::Utf16LeWithBom:
            return encodeUtf16(text, false, out);
        case ProfileEncoding::Utf16BeWithBom:
            return encodeUtf16(text, true, out);
    }
    return false;
}

// A whole file: the mark, then the text.
bool encodeFile(ProfileEncoding encoding, const std::wstring& text, std::vector<uint8_t>& out) {
    out.clear();
    switch (encoding) {
        case ProfileEncoding::Utf8WithBom:
            out = {0xEF, 0xBB, 0xBF};
            break;
        case ProfileEncoding::Utf16LeWithBom:
            out = {0xFF, 0xFE};
            break;
        case ProfileEncoding::Utf16BeWithBom:
            out = {0xFE, 0xFF};
            break;
        case ProfileEncoding::Utf8:
        case ProfileEncoding::Windows1252:
            break;
    }
    return encode(encoding, text, out);
}

// --- lines -------------------------------------------------------------------------
//
// The rules, as the profile functions apply them:
//  - Lines end at CR or LF, alone or in any run; a missing break at the end changes
//    nothing.
//  - Blanks are TAB, LF, VT, FF, CR, SUB (U+001A, a DOS end-of-file mark) and SPACE,
//    nothing else (no NBSP, no Unicode spaces). A line is trimmed of them at both ends;
//    a line left empty is skipped.
//  - A line that begins with "[" and has a "]" after it is a section header; the name
//    runs up to the last "]" on the line and is trimmed. Text after that "]" is
//    ignored. "[name" without "]" is an ordinary line.
//  - Every other line is an entry: the name is the text before the first "=", trimmed,
//    and the value the text after it, trimmed. A line without "=" is an entry without
//    value. ";" has no meaning of its own: "; note" is an entry named "; note".
//  - Entries before the first header belong to a section without a name.
//  - A null character ends a name or a value where it stands; it does not end a line.

bool isProfileBlank(wchar_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

struct ProfileLine {
    size_t begin = 0;       // first character that is not a blank
    size_t end = 0;         // after the last character that is not a blank
    size_t lineEnd = 0;     // the line break, or the end of the text
    bool isHeader = false;
    size_t nameBegin = 0;   // section name or entry name, trimmed
    size_t nameEnd = 0;
    bool hasValue = false;  // an entry with "="
    size_t valueBegin = 0;  // the value runs to `end`
};

// The next line with something on it at or after `pos`, which moves past it; false at
// the end of the text.
bool nextProfileLine(const std::wstring& text, size_t& pos, ProfileLine& line) {
    const size_t size = text.size();
    while (pos < size) {
        const size_t start = pos;
        size_t lineEnd = start;
        while (lineEnd < size && text[lineEnd] != L'\r' && text[lineEnd] != L'\n') ++lineEnd;
        pos = lineEnd < size ? lineEnd + 1 : size;
        size_t begin = start, end = lineEnd;
        while (begin < end && isProfileBlank(text[begin])) ++begin;
        while (end > begin && isProfileBlank(text[end - 1])) --end;
        if (begin == end) continue;

        line = ProfileLine();
        line.begin = begin;
        line.end = end;
        line.lineEnd = lineEnd;
        if (text[begin] == L'[') {
            size_t close = end - 1;
            while (close > begin && text[close] != L']') --close;
            if (close > begin) {
                line.isHeader = true;
                line.nameBegin = begin + 1;
                line.nameEnd = close;
                while (line.nameBegin < line.nameEnd && isProfileBlank(text[line.nameBegin])) ++line.nameBegin;
                while (line.nameEnd > line.nameBegin && isProfileBlank(text[line.nameEnd - 1])) --line.nameEnd;
                return true;
            }
        }
        size_t equals = begin;
        while (equals < end && text[equals] != L'=') ++equals;
        line.nameBegin = begin;
        line.nameEnd = equals;
        while (line.nameEnd > line.nameBegin && isProfileBlank(text[line.nameEnd - 1])) --line.nameEnd;
        if (equals < end) {
            line.hasValue = true;
            line.valueBegin = equals + 1;
            while (line.valueBegin < end && isProfileBlank(text[line.valueBegin])) ++line.valueBegin;
        }
        return true;
    }
    return false;
}

// A name asked for is cut at a null (the profile functions take C strings) and trimmed.
std::wstring requestedName(const std::wstring& name) {
    size_t end = name.find(L'\0');
    if (end == std::wstring::npos) end = name.size();
    size_t begin = 0;
    while (begin < end && isProfileBlank(name[begin])) ++begin;
    while (end > begin && isProfileBlank(name[end - 1])) --end;
    return name.substr(begin, end - begin);
}

// Only the ASCII letters compare without regard to case; every other character,
// accented and non-Latin letters included, must be the same.
wchar_t foldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool nameMatches(const std::wstring& text, size_t begin, size_t end, const std::wstring& wanted) {
    for (size_t i = begin; i < end; ++i) {
        if (text[i] == L'\0') {
            end = i;
            break;
        }
    }
    if (end - begin != wanted.size()) return false;
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (foldAscii(text[begin + i]) != foldAscii(wanted[i])) return false;
    }
    return true;
}

// The value of an entry line: cut at a null, then one pair of matching double or
// single quotes around the whole of it removed.
std::wstring entryValue(const std::wstring& text, const ProfileLine& line) {
    if (!line.hasValue) return {};
    std::wstring value = text.substr(line.valueBegin, line.end - line.valueBegin);
    const size_t null = value.find(L'\0');
    if (null != std::wstring::npos) value.resize(null);
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0]) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The line break the file uses already, CR LF for a file that has none.
std::wstring lineBreakOf(const std::wstring& text) {
    const size_t found = text.find_first_of(L"\r\n");
    if (found == std::wstring::npos) return L"\r\n";
    if (text[found] == L'\r') {
        return found + 1 < text.size() && text[found + 1] == L'\n' ? L"\r\n" : L"\r";
    }
    return L"\n";
}

// One change of the text: [begin, end) is replaced by `insert`.
struct TextEdit {
    size_t begin = 0;
    size_t end = 0;
    std::wstring insert;
};

TextEdit planEdit(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                  const std::wstring& value) {
    const std::wstring wantedSection = requestedName(section);
    const std::wstring wantedKey = requestedName(key);
    const std::wstring lineBreak = lineBreakOf(text);
    const std::wstring entry = wantedKey + L"=" + value;

    // The section without a name (entries before the first header) always exists.
    bool inSection = wantedSection.empty();
    bool sectionFound = inSection;
    bool sectionHasLines = false;
    size_t sectionEnd = 0;    // end of the section's last line
    size_t lastLineEnd = 0;   // end of the text's last line
    bool textHasLines = false;

    size_t pos = 0;
    ProfileLine line;
    while (nextProfileLine(text, pos, line)) {
        if (line.isHeader) {
            if (inSection) break;  // only the first matching section is changed
            inSection = nameMatches(text, line.nameBegin, line.nameEnd, wantedSection);
            if (inSection) {
                sectionFound = true;
                sectionHasLines = true;
                sectionEnd = line.lineEnd;
            }
        } else if (inSection) {
            if (nameMatches(text, line.nameBegin, line.nameEnd, wantedKey)) {
                if (line.hasValue) return {line.valueBegin, line.lineEnd, value};
                return {line.end, line.lineEnd, L"=" + value};
            }
            sectionHasLines = true;
            sectionEnd = line.lineEnd;
        }
        textHasLines = true;
        lastLineEnd = line.lineEnd;
    }

    if (sectionFound) {
        if (!sectionHasLines) return {0, 0, entry + lineBreak};
        return {sectionEnd, sectionEnd, lineBreak + entry};
    }
    const std::wstring newSection = L"[" + wantedSection + L"]" + lineBreak + entry;
    if (!textHasLines) return {0, 0, newSection + lineBreak};
    return {lastLineEnd, lastLineEnd, lineBreak + newSection};
}

bool isAscii(const std::wstring& text) {
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

// A byte-order mark decides: EF BB BF is UTF-8, FF FE UTF-16 little-endian, FE FF
// UTF-16 big-endian. Without one the profile functions read the file in the ANSI code
// page, so UTF-16 without a mark reads as 8-bit text full of nulls and gives empty
// names and values, here as there. Of 8-bit files this reader takes UTF-8 where the
// bytes are valid UTF-8 (ASCII reads the same either way) and code page 1252 otherwise.
ProfileEncoding detectProfileEncoding(const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return ProfileEncoding::Utf8WithBom;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return ProfileEncoding::Utf16LeWithBom;
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return ProfileEncoding::Utf16BeWithBom;
    return isValidUtf8(bytes) ? ProfileEncoding::Utf8 : ProfileEncoding::Windows1252;
}

std::wstring decodeProfileFile(const std::vector<uint8_t>& bytes) {
    return decode(bytes).text;
}

// Only the first section whose name matches is searched, even when a later one has the
// same name, and in it only the first entry whose name matches counts, even when it
// has no value. Section and key names are compared without regard to ASCII case, and
// the names asked for are trimmed of blanks like the names in the file. Leading and
// trailing blanks of the name asked for fall away in the same way, so " Key " finds
// "Key". The section without a name is the one asked for with an empty name; a header
// "[]" can never be reached because that section comes first.
std::wstring lookupProfileString(const std::wstring& text, const std::wstring& section,
                                 const std::wstring& key) {
    const std::wstring wantedSection = requestedName(section);
    const std::wstring wantedKey = requestedName(key);
    bool inSection = wantedSection.empty();
    size_t pos = 0;
    ProfileLine line;
    while (nextProfileLine(text, pos, line)) {
        if (line.isHeader) {
            if (inSection) return {};
            inSection = nameMatches(text, line.nameBegin, line.nameEnd, wantedSection);
        } else if (inSection && nameMatches(text, line.nameBegin, line.nameEnd, wantedKey)) {
            return entryValue(text, line);
        }
    }
    return {};
}

// The first bufferChars - 1 elements; a surrogate pair may be split, as the profile
// functions split it, so that a caller who doubles its buffer while the result fills it
// always ends with the whole value.
//
// Wine returns one character less when the value was quoted and fits the buffer
// exactly (its quote removal cuts the last character a second time); a caller that
// doubles while the buffer is full then stops with a cut value. This reader gives the
// whole value in that case.
std::wstring truncateProfileValue(const std::wstring& value, size_t bufferChars) {
    if (bufferChars == 0) return {};
    return value.substr(0, bufferChars - 1);
}

bool isStorableProfileEntry(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) {
    for (const std::wstring* text : {&section, &key, &value}) {
        if (text->find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return false;
    }
    const std::wstring name = requestedName(key);
    return name.find(L'=') == std::wstring::npos && (name.empty() || name[0] != L'[');
}

// The edit goes into the bytes in the file's own encoding, and the result is decoded
// again: when the rest of the file would read differently afterwards (a code page 1252
// file whose only non-UTF-8 byte was replaced, or a broken UTF-8 sequence at the end
// that now meets new bytes), or when the encoding cannot express the new text, the
// whole file is written anew as UTF-8 with a mark (UTF-16 when it came as UTF-16), so
// that it reads exactly as the edited text. A new file is plain ASCII when it can be
// and UTF-8 with a mark otherwise, which the profile functions read as UTF-8 too.
std::vector<uint8_t> setProfileString(const std::vector<uint8_t>& bytes,
                                      const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value) {
    const DecodedFile file = decode(bytes);
    const TextEdit edit = planEdit(file.text, section, key, value);
    const std::wstring edited =
        file.text.substr(0, edit.begin) + edit.insert + file.text.substr(edit.end);

    std::vector<uint8_t> result;
    if (bytes.empty()) {
        const ProfileEncoding encoding = isAscii(edited) ? ProfileEncoding::Utf8 : ProfileEncoding::Utf8WithBom;
        if (encodeFile(encoding, edited, result)) return result;
    } else {
        std::vector<uint8_t> inserted;
        if (encode(file.encoding, edit.insert, inserted)) {
            result.assign(bytes.begin(), bytes.begin() + file.offsets[edit.begin]);
            result.insert(result.end(), inserted.begin(), inserted.end());
            result.insert(result.end(), bytes.begin() + file.offsets[edit.end], bytes.end());
            if (decode(result).text == edited) return result;
        }
    }
    const bool fromUtf16 = file.encoding == ProfileEncoding::Utf16LeWithBom ||
                           file.encoding == ProfileEncoding::Utf16BeWithBom;
    if (!fromUtf16 && encodeFile(ProfileEncoding::Utf8WithBom, edited, result)) return result;
    encodeFile(ProfileEncoding::Utf16LeWithBom, edited, result);
    return result;
}

}  // namespace jl

// The local time and the date and time pictures of the Windows locale functions
// (GetTimeFormatW, GetDateFormatW without flags), with the day and month names and the
// AM/PM designators of the user's LC_TIME locale.
#include "os/os.h"

#include <langinfo.h>
#include <locale.h>
#include <time.h>

namespace jl::os {

namespace {

struct LocaleNames {
    std::wstring days[7];  // Sunday first, as dayOfWeek counts
    std::wstring shortDays[7];
    std::wstring months[12];
    std::wstring shortMonths[12];
    std::wstring am;
    std::wstring pm;
};

std::wstring wideItem(nl_item item, locale_t locale) {
    // glibc keeps a wide form of every LC_TIME name; nl_langinfo_l hands it out as the
    // address of a wchar_t string.
    const char* text = ::nl_langinfo_l(item, locale);
    return text ? std::wstring(reinterpret_cast<const wchar_t*>(text)) : std::wstring();
}

LocaleNames localeNames() {
    locale_t locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (!locale) locale = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    LocaleNames names;
    if (!locale) return names;
    for (int i = 0; i < 7; ++i) {
        names.days[i] = wideItem(static_cast<nl_item>(_NL_WDAY_1 + i), locale);
        names.shortDays[i] = wideItem(static_cast<nl_item>(_NL_WABDAY_1 + i), locale);
    }
    for (int i = 0; i < 12; ++i) {
        names.months[i] = wideItem(static_cast<nl_item>(_NL_WMON_1 + i), locale);
        names.shortMonths[i] = wideItem(static_cast<nl_item>(_NL_WABMON_1 + i), locale);
    }
    names.am = wideItem(_NL_WAM_STR, locale);
    names.pm = wideItem(_NL_WPM_STR, locale);
    ::freelocale(locale);
    return names;
}

std::wstring number(unsigned value, size_t digits) {
    std::wstring text;
    do {
        text.insert(text.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (text.size() < digits) text.insert(0, digits - text.size(), L'0');
    return text;
}

// One run of a picture letter; `count` is how often it is repeated.
std::wstring timeField(wchar_t letter, size_t count, const LocalTime& time, const LocaleNames& names) {
    const size_t digits = count >= 2 ? 2 : 1;
    switch (letter) {
        case L'h': return number(time.hour % 12 == 0 ? 12u : time.hour % 12u, digits);
        case L'H': return number(time.hour, digits);
        case L'm': return number(time.minute, digits);
        case L's': return number(time.second, digits);
        default: {
            const std::wstring& marker = time.hour < 12 ? names.am : names.pm;
            return count >= 2 ? marker : marker.substr(0, 1);
        }
    }
}

std::wstring dateField(wchar_t letter, size_t count, const LocalTime& time, const LocaleNames& names) {
    switch (letter) {
        case L'd':
            if (count <= 2) return number(time.day, count);
            return count == 3 ? names.shortDays[time.dayOfWeek % 7] : names.days[time.dayOfWeek % 7];
        case L'M': {
            if (count <= 2) return number(time.month, count);
            const unsigned month = (time.month + 11u) % 12u;
            return count == 3 ? names.shortMonths[month] : names.months[month];
        }
        case L'y':
            // One "y" is two digits as well, as the Windows function gives it.
            if (count <= 2) return number(time.year % 100u, 2);
            return number(time.year, 4);
        default:
            return L"AD";
    }
}

bool isTimeLetter(wchar_t c) { return c == L'h' || c == L'H' || c == L'm' || c == L's' || c == L't'; }
bool isDateLetter(wchar_t c) { return c == L'd' || c == L'M' || c == L'y' || c == L'g'; }

std::wstring formatPicture(const std::wstring& picture, const LocalTime& time, bool date) {
    // Most pictures are numbers only; the names are read from the locale when needed.
    const bool needsNames = picture.find_first_of(date ? L"dM" : L"t") != std::wstring::npos;
    const LocaleNames names = needsNames ? localeNames() : LocaleNames();
    std::wstring out;
    size_t i = 0;
    while (i < picture.size()) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            // Quoted text is copied without its quotes; a doubled quote inside is one quote.
            for (++i; i < picture.size(); ++i) {
                if (picture[i] != L'\'') {
                    out += picture[i];
                } else if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                    out += L'\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            continue;
        }
        size_t count = 1;
        while (i + count < picture.size() && picture[i + count] == c) ++count;
        if (!date && isTimeLetter(c)) {
            out += timeField(c, count, time, names);
        } else if (date && isDateLetter(c)) {
            out += dateField(c, count, time, names);
        } else {
            out.append(picture, i, count);
        }
        i += count;
    }
    return out;
}

}  // namespace

LocalTime localTime() {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    ::localtime_r(&now.tv_sec, &local);
    LocalTime time;
    time.year = static_cast<uint16_t>(local.tm_year + 1900);
    time.month = static_cast<uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
    time.day = static_cast<uint16_t>(local.tm_mday);
    time.hour = static_cast<uint16_t>(local.tm_hour);
    time.minute = static_cast<uint16_t>(local.tm_min);
    time.second = static_cast<uint16_t>(local.tm_sec);
    time.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    return time;
}

std::wstring formatTimePicture(const std::wstring& picture, const LocalTime& time) {
    return formatPicture(picture, time, false);
}

std::wstring formatDatePicture(const std::wstring& picture, const LocalTime& time) {
    return formatPicture(picture, time, true);
}

}  // namespace jl::os

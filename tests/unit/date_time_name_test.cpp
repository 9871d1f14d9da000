// Redirection file names with date and time pictures: how a picture is taken apart,
// what the locale functions make of each run (the real ones under Wine, the Linux
// stand-in natively, against the same expectations), and whole names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "jvm/date_time_name.h"
#include "os/os.h"

namespace jl {
namespace {

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

// Tuesday, 2024-03-05 14:07:09.005, and Sunday, 2005-01-02 00:05:03.120.
const os::LocalTime kAfternoon{2024, 3, 2, 5, 14, 7, 9, 5};
const os::LocalTime kMidnight{2005, 1, 0, 2, 0, 5, 3, 120};

TEST(DateTimePictureTest, SplitsIntoRuns) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"yyyyMMdd_HHmmss", "D[yyyy]D[MM]D[dd]T[_]H[HH]H[mm]H[ss]"}, {L"hh tt", "H[hh]T[ ]H[tt]"},
        {L"'log' yyyy", "T[log ]D[yyyy]"}, {L"'a''b'", "T[a'b]"}, {L"a''b", "T[ab]"}, {L"'abc", "T[abc]"},
        {L"x'", "T[x]"}, {L"xyz", "T[x]D[y]T[z]"}, {L"HH'h'mm", "H[HH]T[h]H[mm]"},
        {L"ggMMMMddddd", "D[gg]D[MMMM]D[ddddd]"}, {L"", ""},
    };
    for (const auto& [picture, expected] : cases) {
        std::string runs;
        for (const PictureRun& run : splitDateTimePicture(picture)) {
            runs += (run.kind == PictureRun::Kind::Text ? "T[" : run.kind == PictureRun::Kind::Time ? "H[" : "D[") +
                    u8(run.text) + "]";
        }
        EXPECT_EQ(runs, expected) << u8(picture);
    }
}

// The locale functions on runs that read the same in every locale.
TEST(DateTimePictureTest, NumericPicturesOfTheLocaleFunctions) {
    const os::LocalTime &a = kAfternoon, &m = kMidnight;
    const std::tuple<const wchar_t*, const os::LocalTime&, const wchar_t*> times[] = {
        {L"h", a, L"2"}, {L"hh", a, L"02"}, {L"hhh", a, L"02"}, {L"h", m, L"12"}, {L"H", m, L"0"}, {L"HH", m, L"00"},
        {L"HH", a, L"14"}, {L"m", a, L"7"}, {L"mm", a, L"07"}, {L"s", m, L"3"}, {L"ss", m, L"03"},
        {L"HH'h'", a, L"14h"}, {L"a''b", a, L"ab"},
    }, dates[] = {
        {L"d", a, L"5"}, {L"dd", a, L"05"}, {L"M", m, L"1"}, {L"MM", m, L"01"}, {L"y", m, L"05"}, {L"yy", m, L"05"},
        {L"yyyy", m, L"2005"}, {L"yyyyy", a, L"2024"}, {L"'d'd", a, L"d5"},
    };
    for (const auto& [picture, time, expected] : times) EXPECT_EQ(os::formatTimePicture(picture, time), expected) << u8(picture);
    for (const auto& [picture, time, expected] : dates) EXPECT_EQ(os::formatDatePicture(picture, time), expected) << u8(picture);
}

TEST(DateTimePictureTest, NamesOfTheLocale) {
#ifndef _WIN32
    // The Linux stand-in takes the names of the LC_TIME locale; the C locale's are fixed.
    const std::string saved = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "\x01unset";
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(os::formatDatePicture(L"ddd dddd MMM MMMM", kAfternoon), L"Tue Tuesday Mar March");
    EXPECT_EQ(os::formatTimePicture(L"t tt", kAfternoon) + os::formatTimePicture(L"|tt", kMidnight), L"P PM|AM");
    saved != "\x01unset" ? ::setenv("LC_ALL", saved.c_str(), 1) : ::unsetenv("LC_ALL");
#else
    // Whatever the locale, names are words, and Tuesday is not Sunday.
    const std::wstring tuesday = os::formatDatePicture(L"dddd", kAfternoon);
    EXPECT_TRUE(!tuesday.empty() && tuesday.find_first_of(L"0123456789") == std::wstring::npos) << u8(tuesday);
    EXPECT_NE(tuesday, os::formatDatePicture(L"dddd", kMidnight));
#endif
}

// Whole names; the time marker is not taken for a month, and long pictures come out whole.
TEST(DateTimeNameTest, ExpandsNames) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\logs\\out_%yyyyMMdd_HHmmss%.log", L"C:\\logs\\out_20240305_140709.log"},
        {L"%HHmmss.L%", L"140709.5"},  // milliseconds without leading zeros
        {L"out%.log", L"out.log"},      // one "%" is dropped, nothing else changes
        {L"plain.log", L"plain.log"}, {L"%%x", L"x"},
        {L"a%dd%b%MM%c", L"a05%b%03c"},  // first to last "%"; the "%" signs between are copied
        {L"%'log' yyyy%.txt", L"log 2024.txt"}, {L"%'It''s' HH%", L"It's 14"},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(expandDateTimeName(name, kAfternoon), expected) << u8(name);

    // Formatting the whole picture for the time and then again for the date would turn
    // the "M" of "PM" into the month.
    const std::wstring marker = os::formatTimePicture(L"tt", kAfternoon);
    EXPECT_EQ(expandDateTimeName(L"%hh tt%", kAfternoon), L"02 " + marker);
    EXPECT_EQ(expandDateTimeName(L"%h:mm tt MM%", kAfternoon), L"2:07 " + marker + L" 03");

    const std::wstring text(300, L'x');
    EXPECT_EQ(expandDateTimeName(L"a%" + text + L"%b", kAfternoon), L"a" + text + L"b");
    // A run that formats to far more than 260 characters.
    const std::wstring eras = expandDateTimeName(L"%" + std::wstring(300, L'g') + L"%", kAfternoon);
    EXPECT_TRUE(!eras.empty() && eras.find(L'g') == std::wstring::npos) << u8(eras);
    std::wstring mixed;
    for (int i = 0; i < 60; ++i) mixed += L"yyyy'-'";
    const std::wstring years = expandDateTimeName(L"%" + mixed + L"%", kAfternoon);
    EXPECT_EQ(years.size(), 60u * 5);
    EXPECT_EQ(years.substr(0, 10), L"2024-2024-");
}

}  // namespace
}  // namespace jl

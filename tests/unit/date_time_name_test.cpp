// Redirection file names with date and time pictures: how a picture is taken apart,
// what the locale functions make of each run (the real ones under Wine, the Linux
// stand-in natively, against the same expectations), and whole names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "jvm/date_time_name.h"
#include "os/os.h"

namespace jl {
namespace {

using Kind = PictureRun::Kind;

std::string u8(const std::wstring& s) { return os::toUtf8(s); }

// Tuesday, 2024-03-05 14:07:09.005, and Sunday, 2005-01-02 00:05:03.120.
const os::LocalTime kAfternoon{2024, 3, 2, 5, 14, 7, 9, 5};
const os::LocalTime kMidnight{2005, 1, 0, 2, 0, 5, 3, 120};

std::string show(const std::vector<PictureRun>& runs) {
    std::string out;
    for (const PictureRun& run : runs) {
        out += run.kind == Kind::Text ? "T[" : run.kind == Kind::Time ? "H[" : "D[";
        out += u8(run.text) + "]";
    }
    return out;
}

TEST(DateTimePictureTest, SplitsIntoRuns) {
    struct Case {
        const wchar_t* picture;
        const char* runs;
    };
    const Case cases[] = {
        {L"yyyyMMdd_HHmmss", "D[yyyy]D[MM]D[dd]T[_]H[HH]H[mm]H[ss]"}, {L"hh tt", "H[hh]T[ ]H[tt]"},
        {L"'log' yyyy", "T[log ]D[yyyy]"}, {L"'a''b'", "T[a'b]"}, {L"a''b", "T[ab]"}, {L"'abc", "T[abc]"},
        {L"x'", "T[x]"}, {L"xyz", "T[x]D[y]T[z]"}, {L"HH'h'mm", "H[HH]T[h]H[mm]"},
        {L"ggMMMMddddd", "D[gg]D[MMMM]D[ddddd]"}, {L"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(show(splitDateTimePicture(c.picture)), c.runs) << u8(c.picture);
}

// The locale functions on runs that read the same in every locale.
TEST(DateTimePictureTest, NumericPicturesOfTheLocaleFunctions) {
    struct Case {
        const wchar_t* picture;
        const os::LocalTime& time;
        const wchar_t* expected;
        bool date;
    };
    const Case cases[] = {
        {L"h", kAfternoon, L"2", false},   {L"hh", kAfternoon, L"02", false}, {L"hhh", kAfternoon, L"02", false},
        {L"h", kMidnight, L"12", false},   {L"H", kMidnight, L"0", false},    {L"HH", kMidnight, L"00", false},
        {L"HH", kAfternoon, L"14", false}, {L"m", kAfternoon, L"7", false},   {L"mm", kAfternoon, L"07", false},
        {L"s", kMidnight, L"3", false},    {L"ss", kMidnight, L"03", false},  {L"HH'h'", kAfternoon, L"14h", false},
        {L"a''b", kAfternoon, L"ab", false},
        {L"d", kAfternoon, L"5", true},    {L"dd", kAfternoon, L"05", true},  {L"M", kMidnight, L"1", true},
        {L"MM", kMidnight, L"01", true},   {L"y", kMidnight, L"05", true},     {L"yy", kMidnight, L"05", true},
        {L"yyyy", kMidnight, L"2005", true}, {L"yyyyy", kAfternoon, L"2024", true}, {L"'d'd", kAfternoon, L"d5", true},
    };
    for (const Case& c : cases) {
        const std::wstring result =
            c.date ? os::formatDatePicture(c.picture, c.time) : os::formatTimePicture(c.picture, c.time);
        EXPECT_EQ(result, c.expected) << u8(c.picture);
    }
}

TEST(DateTimePictureTest, NamesOfTheLocale) {
#ifndef _WIN32
    // The Linux stand-in takes the names of the LC_TIME locale; the C locale's are fixed.
    const char* saved = std::getenv("LC_ALL");
    const std::string restore = saved ? saved : "";
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(os::formatDatePicture(L"ddd dddd MMM MMMM", kAfternoon), L"Tue Tuesday Mar March");
    EXPECT_EQ(os::formatTimePicture(L"t tt", kAfternoon), L"P PM");
    EXPECT_EQ(os::formatTimePicture(L"tt", kMidnight), L"AM");
    if (saved) {
        ::setenv("LC_ALL", restore.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
#else
    // Whatever the locale, names are words, and Tuesday is not Sunday.
    const std::wstring tuesday = os::formatDatePicture(L"dddd", kAfternoon);
    EXPECT_FALSE(tuesday.empty());
    EXPECT_EQ(tuesday.find_first_of(L"0123456789"), std::wstring::npos);
    EXPECT_NE(tuesday, os::formatDatePicture(L"dddd", kMidnight));
#endif
}

// Whole names; the time marker is not taken for a month, and long pictures come out whole.
TEST(DateTimeNameTest, ExpandsNames) {
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\logs\\out_%yyyyMMdd_HHmmss%.log", L"C:\\logs\\out_20240305_140709.log"},
        {L"%HHmmss.L%", L"140709.5"},  // milliseconds without leading zeros
        {L"out%.log", L"out.log"},      // one "%" is dropped, nothing else changes
        {L"plain.log", L"plain.log"}, {L"%%x", L"x"},
        {L"a%dd%b%MM%c", L"a05%b%03c"},  // first to last "%"; the "%" signs between are copied
        {L"%'log' yyyy%.txt", L"log 2024.txt"}, {L"%'It''s' HH%", L"It's 14"},
    };
    for (const Case& c : cases) EXPECT_EQ(expandDateTimeName(c.name, kAfternoon), c.expected) << u8(c.name);

    // Formatting the whole picture for the time and then again for the date would turn
    // the "M" of "PM" into the month.
    const std::wstring marker = os::formatTimePicture(L"tt", kAfternoon);
    EXPECT_EQ(expandDateTimeName(L"%hh tt%", kAfternoon), L"02 " + marker);
    EXPECT_EQ(expandDateTimeName(L"%h:mm tt MM%", kAfternoon), L"2:07 " + marker + L" 03");

    const std::wstring text(300, L'x');
    EXPECT_EQ(expandDateTimeName(L"a%" + text + L"%b", kAfternoon), L"a" + text + L"b");

    // A run that formats to far more than 260 characters.
    const std::wstring eras = expandDateTimeName(L"%" + std::wstring(300, L'g') + L"%", kAfternoon);
    EXPECT_FALSE(eras.empty());
    EXPECT_EQ(eras.find(L'g'), std::wstring::npos);

    std::wstring mixed;
    for (int i = 0; i < 60; ++i) mixed += L"yyyy'-'";
    const std::wstring years = expandDateTimeName(L"%" + mixed + L"%", kAfternoon);
    EXPECT_EQ(years.size(), 60u * 5);
    EXPECT_EQ(years.substr(0, 10), L"2024-2024-");
}

}  // namespace
}  // namespace jl

// The local time and the locale's date and time pictures, for redirection file names.
#include "os/os.h"

#include <windows.h>

namespace jl::os {

namespace {

SYSTEMTIME toSystemTime(const LocalTime& time) {
    SYSTEMTIME st{};
    st.wYear = time.year;
    st.wMonth = time.month;
    st.wDayOfWeek = time.dayOfWeek;
    st.wDay = time.day;
    st.wHour = time.hour;
    st.wMinute = time.minute;
    st.wSecond = time.second;
    st.wMilliseconds = time.milliseconds;
    return st;
}

// Both calls are asked for the size first: a fixed buffer would cut a long result, and
// some implementations write past the buffer they are given instead of failing.
template <typename Format>
std::wstring formatPicture(Format format, const std::wstring& picture, const LocalTime& time) {
    const SYSTEMTIME st = toSystemTime(time);
    const int needed = format(LOCALE_USER_DEFAULT, 0, &st, picture.c_str(), nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<size_t>(needed), L'\0');
    const int written = format(LOCALE_USER_DEFAULT, 0, &st, picture.c_str(), &out[0], needed);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written) - 1);
    return out;
}

}  // namespace

LocalTime localTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime time;
    time.year = st.wYear;
    time.month = st.wMonth;
    time.dayOfWeek = st.wDayOfWeek;
    time.day = st.wDay;
    time.hour = st.wHour;
    time.minute = st.wMinute;
    time.second = st.wSecond;
    time.milliseconds = st.wMilliseconds;
    return time;
}

std::wstring formatTimePicture(const std::wstring& picture, const LocalTime& time) {
    return formatPicture(GetTimeFormatW, picture, time);
}

std::wstring formatDatePicture(const std::wstring& picture, const LocalTime& time) {
    return formatPicture(GetDateFormatW, picture, time);
}

}  // namespace jl::os

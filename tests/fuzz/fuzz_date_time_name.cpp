// Redirection names with date and time pictures, on arbitrary names and times.
#include <string>

#include "fuzz_support.h"
#include "jvm/date_time_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first bytes choose a valid time; the rest is the name.
    jl::os::LocalTime time;
    if (size >= 8) {
        time.year = static_cast<uint16_t>(1601 + (data[0] | data[1] << 8) % 8400);
        time.month = static_cast<uint16_t>(1 + data[2] % 12);
        time.day = static_cast<uint16_t>(1 + data[3] % 28);
        time.dayOfWeek = static_cast<uint16_t>(data[4] % 7);
        time.hour = static_cast<uint16_t>(data[5] % 24);
        time.minute = static_cast<uint16_t>(data[6] % 60);
        time.second = static_cast<uint16_t>(data[7] % 60);
        time.milliseconds = static_cast<uint16_t>((data[0] * 7 + data[7]) % 1000);
        data += 8;
        size -= 8;
    }
    const std::wstring name = fuzzText(data, size);
    const std::wstring expanded = jl::expandDateTimeName(name, time);

    const size_t first = name.find(L'%');
    if (first == std::wstring::npos) {
        FUZZ_CHECK(expanded == name);
        return 0;
    }
    // Only the stretch from the first to the last "%" changes.
    const size_t last = name.rfind(L'%');
    const std::wstring before = name.substr(0, first);
    const std::wstring after = name.substr(last + 1);
    FUZZ_CHECK(expanded.size() >= before.size() + after.size());
    FUZZ_CHECK(expanded.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(expanded.compare(expanded.size() - after.size(), after.size(), after) == 0);

    // Text without picture letters or quotes is copied as it is.
    const std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();
    if (picture.find_first_of(L"hHmstdMygL'") == std::wstring::npos) FUZZ_CHECK(expanded == before + picture + after);
    return 0;
}

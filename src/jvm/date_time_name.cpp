#include "jvm/date_time_name.h"

#include "support/text.h"

namespace jl {

namespace {

bool isTimeLetter(wchar_t c) { return c == L'h' || c == L'H' || c == L'm' || c == L's' || c == L't'; }
bool isDateLetter(wchar_t c) { return c == L'd' || c == L'M' || c == L'y' || c == L'g'; }

void appendText(std::vector<PictureRun>& runs, const std::wstring& text) {
    if (text.empty()) return;
    if (!runs.empty() && runs.back().kind == PictureRun::Kind::Text) {
        runs.back().text += text;
    } else {
        runs.push_back({PictureRun::Kind::Text, text});
    }
}

}  // namespace

std::vector<PictureRun> splitDateTimePicture(const std::wstring& picture) {
    std::vector<PictureRun> runs;
    size_t i = 0;
    while (i < picture.size()) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            std::wstring quoted;
            for (++i; i < picture.size(); ++i) {
                if (picture[i] != L'\'') {
                    quoted += picture[i];
                } else if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                    quoted += L'\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            appendText(runs, quoted);
            continue;
        }
        size_t count = 1;
        while (i + count < picture.size() && picture[i + count] == c) ++count;
        const std::wstring run = picture.substr(i, count);
        if (isTimeLetter(c)) {
            runs.push_back({PictureRun::Kind::Time, run});
        } else if (isDateLetter(c)) {
            runs.push_back({PictureRun::Kind::Date, run});
        } else {
            appendText(runs, run);
        }
        i += count;
    }
    return runs;
}

std::wstring formatDateTimePicture(const std::wstring& picture, const os::LocalTime& time) {
    // Each run is formatted on its own. Formatting the whole picture for the time and
    // then the result again for the date would treat the "M" of "PM" as the month and
    // the letters of quoted text (already unquoted by the first pass) as pictures.
    std::wstring out;
    for (const PictureRun& run : splitDateTimePicture(picture)) {
        switch (run.kind) {
            case PictureRun::Kind::Text: out += run.text; break;
            case PictureRun::Kind::Time: out += os::formatTimePicture(run.text, time); break;
            case PictureRun::Kind::Date: out += os::formatDatePicture(run.text, time); break;
        }
    }
    return out;
}

std::wstring expandDateTimeName(const std::wstring& name, const os::LocalTime& time) {
    const size_t first = name.find(L'%');
    if (first == std::wstring::npos) return name;
    const size_t last = name.rfind(L'%');
    std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();
    const std::wstring milliseconds = decimalText(time.milliseconds);
    for (size_t pos = picture.find(L'L'); pos != std::wstring::npos; pos = picture.find(L'L', pos)) {
        picture.replace(pos, 1, milliseconds);
        pos += milliseconds.size();
    }
    return name.substr(0, first) + formatDateTimePicture(picture, time) + name.substr(last + 1);
}

}  // namespace jl

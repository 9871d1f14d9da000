#include "core/instance_arguments.h"

#include <cstring>

#include "jvm/java_strings.h"

namespace jl {

namespace {

void putUnit(uint8_t* area, size_t index, char16_t unit) {
    area[2 * index] = static_cast<uint8_t>(unit & 0xFF);
    area[2 * index + 1] = static_cast<uint8_t>(unit >> 8);
}

char16_t unitAt(const uint8_t* area, size_t index) {
    return static_cast<char16_t>(area[2 * index] | area[2 * index + 1] << 8);
}

}  // namespace

size_t argumentAreaBytesNeeded(const std::vector<std::wstring>& arguments) {
    size_t bytes = 2;
    for (const std::wstring& argument : arguments) bytes += 2 * toUtf16Units(argument).size() + 2;
    return bytes;
}

bool writeArgumentArea(const std::vector<std::wstring>& arguments, uint8_t* area) {
    std::vector<std::u16string> units;
    units.reserve(arguments.size());
    size_t bytes = 2;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].empty() && i > 0) continue;
        units.push_back(toUtf16Units(arguments[i]));
        const std::u16string& text = units.back();
        if (text.find(u'\0') != std::u16string::npos) return false;
        bytes += 2 * text.size() + 2;
        if (bytes > kArgumentAreaSize) return false;
    }
    std::memset(area, 0, kArgumentAreaSize);
    size_t index = 0;
    for (const std::u16string& text : units) {
        for (char16_t unit : text) putUnit(area, index++, unit);
        ++index;  // the string's NUL, left by the zeroing
    }
    return true;
}

bool readArgumentArea(const uint8_t* area, size_t size, std::vector<std::wstring>& arguments) {
    const size_t units = size / 2;
    std::vector<std::wstring> list;
    std::u16string current;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = unitAt(area, i);
        if (unit != 0) {
            current += unit;
            continue;
        }
        // A NUL in the last unit has no follower inside the area: the list never ended.
        if (i + 1 >= units) break;
        list.push_back(fromUtf16Units(current.data(), current.size()));
        current.clear();
        if (unitAt(area, i + 1) == 0) {
            arguments = std::move(list);
            return true;
        }
    }
    return false;
}

}  // namespace jl

#include "runtime/release_file.h"

#include "os/os.h"
#include "support/text.h"

namespace jl {

namespace {

constexpr wchar_t kSeparator = os::kPathSeparator;

std::wstring withSeparator(const std::wstring& folder) {
    if (folder.empty() || folder.back() == kSeparator) return folder;
    return folder + kSeparator;
}

std::wstring unquoted(const std::wstring& value) {
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') return value.substr(1, value.size() - 2);
    return value;
}

std::wstring folded(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) c = foldCase(c);
    return out;
}

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// "IBM" as a word of its own, so that a vendor whose name merely contains the letters
// is not taken for it.
bool containsWordIbm(const std::wstring& foldedText) {
    for (size_t at = foldedText.find(L"ibm"); at != std::wstring::npos; at = foldedText.find(L"ibm", at + 1)) {
        const bool startsWord = at == 0 || !isAsciiLetter(foldedText[at - 1]);
        const bool endsWord = at + 3 == foldedText.size() || !isAsciiLetter(foldedText[at + 3]);
        if (startsWord && endsWord) return true;
    }
    return false;
}

bool namesIbmFamily(const std::wstring& value) {
    const std::wstring text = folded(value);
    return containsWordIbm(text) || text.find(L"international business machines") != std::wstring::npos ||
           text.find(L"openj9") != std::wstring::npos || text.find(L"semeru") != std::wstring::npos;
}

}  // namespace

ReleaseInfo parseReleaseFile(const std::vector<uint8_t>& bytes) {
    ReleaseInfo info;
    const std::wstring text = os::fromUtf8(std::string(bytes.begin(), bytes.end()));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        const std::wstring key = trimWhitespace(line.substr(0, equals));
        const std::wstring value = unquoted(trimWhitespace(line.substr(equals + 1)));
        if (key == L"JAVA_VERSION") info.javaVersion = value;
        else if (key == L"IMPLEMENTOR") info.implementor = value;
        else if (key == L"IMPLEMENTOR_VERSION") info.implementorVersion = value;
        else if (key == L"JVM_VARIANT") info.jvmVariant = value;
    }
    return info;
}

bool namesIbmFamily(const ReleaseInfo& info) {
    return namesIbmFamily(info.implementor) || namesIbmFamily(info.implementorVersion) ||
           namesIbmFamily(info.jvmVariant);
}

bool readReleaseFile(const std::wstring& folder, ReleaseInfo& info) {
    std::vector<uint8_t> bytes;
    if (os::readFile(withSeparator(folder) + L"release", bytes) != os::kErrorSuccess) return false;
    info = parseReleaseFile(bytes);
    return true;
}

bool runtimeFolderIsIbmFamily(const std::wstring& runtimeFolder) {
    ReleaseInfo info;
    if (readReleaseFile(runtimeFolder, info)) return namesIbmFamily(info);
    std::wstring folder = runtimeFolder;
    if (!folder.empty() && folder.back() == kSeparator) folder.pop_back();
    const size_t last = folder.rfind(kSeparator);
    const std::wstring name = last == std::wstring::npos ? folder : folder.substr(last + 1);
    if (last == std::wstring::npos || !equalsIgnoreCase(name, L"jre")) return false;
    return readReleaseFile(folder.substr(0, last + 1), info) && namesIbmFamily(info);
}

}  // namespace jl

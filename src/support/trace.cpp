#include "support/trace.h"

#include "os/os.h"
#include "support/text.h"

namespace jl {

namespace {

#ifdef _WIN32
constexpr char kLineEnd[] = "\r\n";
#else
constexpr char kLineEnd[] = "\n";
#endif

struct TraceTarget {
    bool toStandardError = false;
    std::wstring file;
    std::wstring program;
    uint32_t processId = 0;
};

enum class TraceState { Unknown, Off, On };

// Plain pointers and an enum: constant-initialised, nothing runs before main. The
// target is decided once on the main thread and never freed while the process runs,
// so threads started later read it without locks.
TraceState state = TraceState::Unknown;
TraceTarget* target = nullptr;

wchar_t hexDigit(unsigned value) { return static_cast<wchar_t>(value < 10 ? L'0' + value : L'A' + value - 10); }

void appendShown(std::wstring& line, std::wstring_view part) {
    for (const wchar_t c : part) {
        if (c >= 0x20 && c != 0x7F) {
            line += c;
            continue;
        }
        line += L'\\';
        switch (c) {
            case L'\r': line += L'r'; break;
            case L'\n': line += L'n'; break;
            case L'\t': line += L't'; break;
            default:
                line += L'x';
                line += hexDigit((static_cast<unsigned>(c) >> 4) & 0xF);
                line += hexDigit(static_cast<unsigned>(c) & 0xF);
        }
    }
}

std::wstring programName() {
    std::wstring path;
    uint32_t error = 0;
    if (!os::modulePath(path, error)) return L"jlaunch";
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

TraceTarget* startTarget() {
    std::wstring destination;
    if (!os::getEnvironment(kTraceVariable, destination) || destination.empty()) return nullptr;
    TraceTarget* started = new TraceTarget;
    started->program = programName();
    started->processId = os::currentProcessId();
    if (destination == L"-") {
        started->toStandardError = true;
        return started;
    }
    std::wstring full;
    if (os::fullPathName(destination, full) && !full.empty()) {
        // The paired launcher inherits the variable; absolute, it names the same file
        // whatever folder that launcher starts in.
        if (full != destination) (void)os::setEnvironment(kTraceVariable, full);
        destination = full;
    }
    started->file = destination;
    return started;
}

}  // namespace

bool traceEnabled() {
    if (state == TraceState::Unknown) {
        target = startTarget();
        state = target != nullptr ? TraceState::On : TraceState::Off;
    }
    return state == TraceState::On;
}

void trace(const wchar_t* topic, std::initializer_list<std::wstring_view> parts) {
    if (!traceEnabled()) return;
    const std::string line = traceLineText(target->program, target->processId, topic, parts);
    // A line that cannot be written is lost; the launch does not depend on it.
    if (target->toStandardError) {
        (void)os::writeStandardError(line);
    } else {
        (void)os::appendToFile(target->file, line);
    }
}

std::wstring traceQuoted(std::wstring_view text) {
    std::wstring quoted;
    quoted.reserve(text.size() + 2);
    quoted += L'"';
    quoted += text;
    quoted += L'"';
    return quoted;
}

std::string traceLineText(std::wstring_view program, uint32_t processId, const wchar_t* topic,
                          std::initializer_list<std::wstring_view> parts) {
    std::wstring line;
    appendShown(line, program);
    line += L'[';
    line += decimalText(processId);
    line += L"] ";
    appendShown(line, topic);
    line += L": ";
    for (const std::wstring_view part : parts) appendShown(line, part);
    return os::toUtf8(line) + kLineEnd;
}

void restartTrace() {
    delete target;
    target = nullptr;
    state = TraceState::Unknown;
}

}  // namespace jl

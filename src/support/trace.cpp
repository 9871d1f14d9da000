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

char hexDigit(unsigned value) { return static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10); }

// UTF-8 keeps every byte of a multi-byte character at 0x80 or above, so control
// characters can be found byte by byte.
void appendShown(std::string& line, std::string_view text) {
    for (const char c : text) {
        const unsigned byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            line += c;
            continue;
        }
        line += '\\';
        switch (c) {
            case '\r': line += 'r'; break;
            case '\n': line += 'n'; break;
            case '\t': line += 't'; break;
            default:
                line += 'x';
                line += hexDigit(byte >> 4);
                line += hexDigit(byte & 0xF);
        }
    }
}

void appendShown(std::string& line, std::wstring_view text) {
    appendShown(line, std::string_view(os::toUtf8(std::wstring(text))));
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

void TracePart::appendTo(std::string& line) const {
    const size_t length = lengthAndKind_ >> 1;
    if (lengthAndKind_ & 1) {
        appendShown(line, std::wstring_view(static_cast<const wchar_t*>(data_), length));
    } else {
        appendShown(line, std::string_view(static_cast<const char*>(data_), length));
    }
}

void trace(const wchar_t* topic, std::initializer_list<TracePart> parts) {
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
                          std::initializer_list<TracePart> parts) {
    std::string line;
    appendShown(line, program);
    line += '[';
    line += os::toUtf8(decimalText(processId));
    line += "] ";
    appendShown(line, std::wstring_view(topic));
    line += ": ";
    for (const TracePart& part : parts) part.appendTo(line);
    return line + kLineEnd;
}

void restartTrace() {
    delete target;
    target = nullptr;
    state = TraceState::Unknown;
}

}  // namespace jl

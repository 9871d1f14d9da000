// The diagnostic trace: with the environment variable JLAUNCH_TRACE naming a file (or
// "-" for standard error), the launcher appends one line per decision it takes, in
// UTF-8, so that a launch that failed, or chose an unexpected runtime, can be explained
// after the fact. Off by default, and then it costs one flag test per call site.
//
// A line reads "<program>[<process id>] <topic>: <text>", for instance
//     tool.exe[4120] runtime: probe C:\Java\jdk-17\bin\server\jvm.dll: found
// Topics name the layer: "settings", "runtime", "jvm", "cache", "launch". The launcher and the
// paired launcher it starts append to the same file; the process id tells their lines
// apart. A relative file name is made absolute when the trace starts, so that changing
// the current folder does not split the trace.
//
// Usage: guard the line so that its parts are only built when the trace is on, and pass
// the parts as they are (texts, literals, decimalText for numbers, traceQuoted for
// values whose blanks matter):
//     if (traceEnabled()) trace(L"jvm", {"JNI_CreateJavaVM returned ", decimalText(code)});
// Prefer plain ("...") literals to wide ones (L"..."): they take half the room in the
// executable. Both kinds, and std::string (UTF-8) and std::wstring values, can be mixed.
// Never trace the text of the embedded settings layer: it is the part of the
// configuration a product chose not to show in plain text.
//
// Writing never fails the launch: when the file cannot be opened or written, the line
// is lost and the launch goes on unchanged.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace jl {

// One piece of a trace line: UTF-8 text (plain literals are ASCII) or UTF-16 text. It
// only refers to the text, which must outlive the trace call (temporaries of the call's
// own expression do).
class TracePart {
public:
    TracePart(const char* text) : TracePart(text, std::char_traits<char>::length(text), false) {}
    TracePart(const std::string& text) : TracePart(text.data(), text.size(), false) {}
    TracePart(const wchar_t* text) : TracePart(text, std::char_traits<wchar_t>::length(text), true) {}
    TracePart(const std::wstring& text) : TracePart(text.data(), text.size(), true) {}
    TracePart(std::wstring_view text) : TracePart(text.data(), text.size(), true) {}

    // Appends the part as UTF-8, control characters shown as \r, \n, \t or \xHH.
    void appendTo(std::string& line) const;

private:
    // Two words, like a string view: every part of every call site is built inline.
    TracePart(const void* data, size_t length, bool wide) : data_(data), lengthAndKind_(length << 1 | wide) {}
    const void* data_;
    size_t lengthAndKind_;  // length in characters, shifted left; the low bit marks UTF-16
};

// The name of the environment variable that switches the trace on.
constexpr wchar_t kTraceVariable[] = L"JLAUNCH_TRACE";

// Whether the trace is on. The first call looks at the environment; make it on the main
// thread before any other thread starts (reading the settings does). Later calls only
// read a flag.
bool traceEnabled();

// Appends one line of `topic` with the concatenated parts; nothing when the trace is off.
void trace(const wchar_t* topic, std::initializer_list<TracePart> parts);

// The text between double quotes, so that blanks at its ends can be seen.
std::wstring traceQuoted(std::wstring_view text);

// The bytes of one line as trace writes them, line end included: control characters
// of the parts are shown as \r, \n, \t or \xHH, so that one call is always one line.
std::string traceLineText(std::wstring_view program, uint32_t processId, const wchar_t* topic,
                          std::initializer_list<TracePart> parts);

// Forgets whether the trace is on, so that the next traceEnabled looks at the
// environment again (for tests that switch the trace).
void restartTrace();

}  // namespace jl

// What jlpack needs of the system: whole files, messages on the console, and the
// user's signing command.
#pragma once

#include "byte_io.h"

#include <string>

namespace jlpack {

constexpr int kExitSuccess = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

void printOut(const std::wstring& text, bool toStandardError = false);
void printError(const std::wstring& text);  // "jlpack: error: " + text
void printWarning(const std::wstring& text);

[[nodiscard]] bool readWholeFile(const std::wstring& path, Bytes& bytes, std::wstring& error);
// Writes through a temporary file beside `path` and renames it, so that a failed write
// leaves no half-written file; `executable` sets the mode bits on Linux.
[[nodiscard]] bool writeWholeFile(const std::wstring& path, const Bytes& bytes, bool executable, std::wstring& error);
void removeFile(const std::wstring& path);
// True when both name the same file (the output must never be the input).
bool sameFile(const std::wstring& a, const std::wstring& b);

// Runs `command` through the system's command interpreter, "{in}" and "{out}" replaced
// by the quoted paths; false (with the reason) unless it ends with exit code 0.
[[nodiscard]] bool runCommand(const std::wstring& command, const std::wstring& in, const std::wstring& out,
                              std::wstring& error);

}  // namespace jlpack

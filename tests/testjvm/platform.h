// The few operating-system services the test JVM needs, for Windows and Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testjvm {

// Paths and texts are UTF-8 here; the Windows side converts at the system call.
std::string ownFolder();  // the folder of the test JVM library, with a trailing separator
bool environmentValue(const char* name, std::string& value);
void appendToFile(const std::string& path, const std::string& bytes);
// Creates or truncates the file (append: opens it for appending); false when it cannot.
bool openForWriting(const std::string& path, bool append);
bool fileExists(const std::string& path);
void writeStandardError(const std::string& bytes);
// Size of the calling thread's stack: its reservation on Windows, its pthread stack size
// on Linux.
size_t currentStackSize();
uint64_t currentThreadId();
void sleepMilliseconds(int milliseconds);
[[noreturn]] void endProcess(int code);

}  // namespace testjvm

// A native splash library of our own with the four entries of a runtime's one. Each call
// appends a line to a log (TESTSPLASH_LOG, else testsplash.log beside the library), so a
// test sees which entries were called, in which order and with which bytes:
//
//   SplashInit
//   SplashLoadFile <path>
//   SplashSetFileJarName <path>|<jar name>
//   SplashClose
//
// Paths are logged as the bytes received, non-ASCII bytes as \xHH. The build leaves
// single entries out (TESTSPLASH_WITHOUT_JAR_NAME, TESTSPLASH_WITHOUT_CLOSE).
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#define TESTSPLASH_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define TESTSPLASH_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::string ownFolder() {
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ownFolder), &self);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
#else
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ownFolder), &info);
    std::string folder(info.dli_fname ? info.dli_fname : "");
    return folder.substr(0, folder.find_last_of('/') + 1);
#endif
}

std::string logPath() {
#ifdef _WIN32
    // The process environment block, which the launcher changes through the Win32 calls.
    char value[32768];
    const DWORD length = GetEnvironmentVariableA("TESTSPLASH_LOG", value, sizeof value);
    if (length > 0 && length < sizeof value) return value;
#else
    const char* value = std::getenv("TESTSPLASH_LOG");
    if (value && *value) return value;
#endif
    return ownFolder() + "testsplash.log";
}

std::string escaped(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p) {
        if (*p >= 0x20 && *p < 0x7F && *p != '\\') {
            out += static_cast<char>(*p);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", *p);
            out += hex;
        }
    }
    return out;
}

void record(const std::string& line) {
    if (FILE* log = std::fopen(logPath().c_str(), "ab")) {
        std::fputs((line + "\n").c_str(), log);
        std::fclose(log);
    }
}

}  // namespace

TESTSPLASH_EXPORT void SplashInit() { record("SplashInit"); }

TESTSPLASH_EXPORT int SplashLoadFile(const char* path) {
    record("SplashLoadFile " + escaped(path));
    return 1;
}

#ifndef TESTSPLASH_WITHOUT_JAR_NAME
TESTSPLASH_EXPORT void SplashSetFileJarName(const char* path, const char* jarName) {
    record("SplashSetFileJarName " + escaped(path) + "|" + escaped(jarName));
}
#endif

#ifndef TESTSPLASH_WITHOUT_CLOSE
TESTSPLASH_EXPORT void SplashClose() { record("SplashClose"); }
#endif

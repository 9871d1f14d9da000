// The launcher's one way of telling the user about a failure: a text from the message
// table, filled in, shown in a modal error box owned by the error owner window.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace jl {

enum MessageId : unsigned {
    kMsgWindowsException = 202,   // "Windows exception: %s (errno = %d).\n"
    kMsgJniException = 203,       // "JNI exception: %s\nReason: %s.\n"
    kMsgComError = 204,
    kMsgJniExceptionShort = 205,
    kMsgRuntimeNotFoundServer = 206,
    kMsgRuntimeNotFound = 207,
    kMsgModulePathFailed = 208,
    kMsgClassPathMissing = 209,
    kMsgMainClassMissing = 210,
    kMsgMainClassLoadFailed = 211,
    kMsgCreateJavaVmMissing = 212,
    kMsgCreateJavaVmFailed = 213,
    kMsgBrowseForRuntime = 214,
    kMsgMainClassNotFound = 215,
    kMsgNoMainMethod = 216,
    kMsgLatestVersion = 217,
    kMsgMaximumVersion = 218,
    kMsgMinimumVersion = 219,
    kMsgExactVersion = 220,
    kMsgVersionBetween = 221,
    kMsgJvmLibraryLoadFailed = 222,
    kMsgFailedToInitialize = 223,
    kMsgFailedToInitializeModule = 224,
    kMsgReasonUnknown = 225,
    kMsgReasonDetached = 226,
    kMsgReasonVersion = 227,
    kMsgReasonNoMemory = 228,
    kMsgReasonExists = 229,
    kMsgReasonInvalidArguments = 230,
};

// One argument of formatMessageText: "%s" takes a string, "%d" a signed integer.
struct MessageArg {
    MessageArg(const std::wstring& s) : text(&s) {}
    MessageArg(const wchar_t* s) : literal(s) {}
    MessageArg(int32_t n) : number(n), isNumber(true) {}
    MessageArg(uint32_t n) : number(static_cast<int32_t>(n)), isNumber(true) {}
    const std::wstring* text = nullptr;
    const wchar_t* literal = nullptr;
    int32_t number = 0;
    bool isNumber = false;
};

// The text of `id` in the language the platform picks; false (and empty) when missing.
bool loadMessage(unsigned id, std::wstring& text);
std::wstring loadMessage(unsigned id);

// printf-style formatting of "%s", "%d" and "%%" into a string of any length. A
// placeholder without an argument, or of the wrong kind, is left as written.
std::wstring formatMessageText(const std::wstring& format, std::initializer_list<MessageArg> args);

// The window that owns every error box: the launcher's own splash window while it is
// up, otherwise none. Written by the splash thread, read by any thread.
void setErrorOwnerWindow(void* window);
void* errorOwnerWindow();

// A modal error box with an OK button; the text is shown as given.
int showErrorBox(void* owner, const std::wstring& text);

// Tests see what would be shown instead of a box appearing; null restores the box.
using ErrorBoxSink = int (*)(void* owner, const std::wstring& text);
void setErrorBoxSink(ErrorBoxSink sink);

// The four ways a step reports its failure, each shown once with the owner window.
void reportError(unsigned id);
void reportError(const std::wstring& text);
void reportError(unsigned formatId, const std::wstring& arg);
void reportError(unsigned formatId, const std::wstring& arg1, const std::wstring& arg2);
void reportError(unsigned formatId, const std::wstring& arg, uint32_t systemErrorCode);

}  // namespace jl

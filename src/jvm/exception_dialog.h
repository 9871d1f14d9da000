// An uncaught exception of the Java program's main method, shown to the user: its stack
// trace in the "Java Exception" dialog, where the user ignores it or stops the program.
// On Linux the stack trace goes to standard error and the program goes on.
#pragma once

#include <jni.h>

#include <string>

namespace jl {

enum class ExceptionChoice { Ignore, Stop };

// Takes the pending exception (clearing it) and shows its stack trace. Ignore when no
// exception is pending or its stack trace cannot be read; Stop when the dialog cannot
// be shown.
ExceptionChoice showJavaExceptionDialog(JNIEnv* env);

// Ends the process through System.exit(code). When the call comes back, an exception
// it left pending is described and the caller carries on.
void callJavaSystemExit(JNIEnv* env, int code);

// The stack trace of an exception as printStackTrace writes it, read back without
// loss of characters; empty when any step fails. A pending exception is cleared first.
std::wstring exceptionText(JNIEnv* env, jthrowable exception);

// Shows a stack trace and gives the user's choice (dialog 231 on Windows, owned by the
// thread's active window; standard error and Ignore on Linux).
ExceptionChoice presentJavaException(const std::wstring& text);

// The text with every line break as CR LF, which a multi-line edit control needs to
// break lines; lone CRs and LFs both become CR LF.
std::wstring withCrLfLineBreaks(const std::wstring& text);

}  // namespace jl

#include "jvm/redirection.h"

#include "jvm/date_time_name.h"
#include "jvm/java_host.h"
#include "jvm/java_strings.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

enum class StandardStream { Output, Error };

bool hasPicture(const std::wstring& name) { return name.find(L'%') != std::wstring::npos; }

// A new PrintStream over a FileOutputStream of the file, or null with the reason
// pending as a Java exception (FileNotFoundException when the file cannot be opened).
jobject openPrintStream(JNIEnv* env, const std::wstring& name, bool append) {
    createParentFolders(name);  // when this fails, opening the file tells why
    jstring javaName = toJavaString(name, env);
    if (!javaName) return nullptr;

    jobject print = nullptr;
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jmethodID fileInit = fileClass ? env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V") : nullptr;
    jobject file = fileInit ? env->NewObject(fileClass, fileInit, javaName, append ? JNI_TRUE : JNI_FALSE) : nullptr;
    if (file) {
        jclass printClass = env->FindClass("java/io/PrintStream");
        jmethodID printInit = printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
        if (printInit) print = env->NewObject(printClass, printInit, file);
        if (printClass) env->DeleteLocalRef(printClass);
        env->DeleteLocalRef(file);
    }
    if (fileClass) env->DeleteLocalRef(fileClass);
    env->DeleteLocalRef(javaName);
    return print;
}

bool installStream(JNIEnv* env, jobject print, StandardStream which) {
    jclass systemClass = env->FindClass("java/lang/System");
    if (!systemClass) return false;
    const char* name = which == StandardStream::Output ? "setOut" : "setErr";
    jmethodID setter = env->GetStaticMethodID(systemClass, name, "(Ljava/io/PrintStream;)V");
    if (setter) env->CallStaticVoidMethod(systemClass, setter, print);
    env->DeleteLocalRef(systemClass);
    return setter && !env->ExceptionCheck();
}

// Traces whether a standard stream now writes to its file, and when not, why (the
// exception left pending for describePendingException); gives `done`.
bool traced(JNIEnv* env, const char* stream, bool done) {
    if (!traceEnabled()) return done;
    if (done) {
        trace(L"jvm", {stream, " redirected"});
    } else {
        trace(L"jvm", {stream, " not redirected: ", pendingExceptionText(env)});
    }
    return done;
}

std::wstring fullPath(const std::wstring& path) {
    std::wstring full;
    return os::fullPathName(path, full) ? full : path;
}

}  // namespace

RedirectionNames expandRedirectionNames(const LaunchSettings& settings, const os::LocalTime& time) {
    RedirectionNames names{settings.outputFile, settings.errorFile};
    if (hasPicture(names.output)) names.output = expandDateTimeName(names.output, time);
    if (hasPicture(names.error)) names.error = expandDateTimeName(names.error, time);
    return names;
}

bool namesSameFile(const std::wstring& first, const std::wstring& second) {
    const std::wstring a = fullPath(first);
    const std::wstring b = fullPath(second);
    if (os::isSameFile(withLongPathPrefix(a), withLongPathPrefix(b))) return true;
#ifdef _WIN32
    return equalsIgnoreCase(a, b);
#else
    return a == b;
#endif
}

void redirectStandardStreams(JNIEnv* env, const LaunchSettings& settings) {
    RedirectionNames names{settings.outputFile, settings.errorFile};
    if (hasPicture(names.output) || hasPicture(names.error)) names = expandRedirectionNames(settings, os::localTime());

    const bool both = !names.output.empty() && !names.error.empty();
    bool shared = both && namesSameFile(names.output, names.error);
    jobject outputStream = nullptr;
    if (!names.output.empty()) {
        // One file for both streams is opened once; keeping what is in it when either
        // setting asks for that loses nothing the user meant to keep.
        const bool append = settings.outputAppend || (shared && settings.errorAppend);
        outputStream = openPrintStream(env, names.output, append);
        if (!traced(env, "System.out",
                    outputStream && installStream(env, outputStream, StandardStream::Output))) {
            describePendingException(env);
            if (outputStream) env->DeleteLocalRef(outputStream);
            outputStream = nullptr;
        }
    }
    // Two spellings of a file that did not exist yet are recognised once it does.
    if (both && !shared && outputStream) shared = namesSameFile(names.output, names.error);
    if (!names.error.empty()) {
        if (shared && outputStream) {
            if (!traced(env, "System.err", installStream(env, outputStream, StandardStream::Error))) {
                describePendingException(env);
            }
        } else if (jobject errorStream = openPrintStream(env, names.error, settings.errorAppend)) {
            if (!traced(env, "System.err", installStream(env, errorStream, StandardStream::Error))) {
                describePendingException(env);
            }
            env->DeleteLocalRef(errorStream);
        } else {
            (void)traced(env, "System.err", false);
            describePendingException(env);
        }
    }
    if (outputStream) env->DeleteLocalRef(outputStream);
}

}  // namespace jl

#include "jvm/exception_dialog.h"

#include "jvm/java_host.h"
#include "jvm/java_strings.h"

namespace jl {

namespace {

// Deletes a local reference when the scope ends; the Java thread keeps running long
// after these calls, so nothing is left for the virtual machine to collect at detach.
class LocalRef {
public:
    LocalRef(JNIEnv* env, jobject object) : env_(env), object_(object) {}
    ~LocalRef() {
        if (object_) env_->DeleteLocalRef(object_);
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    jobject get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    JNIEnv* env_;
    jobject object_;
};

}  // namespace

std::wstring exceptionText(JNIEnv* env, jthrowable exception) {
    // JNI calls other than a few cleanup ones must not run with an exception pending.
    env->ExceptionClear();
    if (!exception) return {};

    // Bytes in UTF-8 both ways: the platform's default encoding could not carry every
    // character of an exception message.
    LocalRef encoding(env, env->NewStringUTF("UTF-8"));
    if (!encoding) return {};
    LocalRef bytesClass(env, env->FindClass("java/io/ByteArrayOutputStream"));
    if (!bytesClass) return {};
    jmethodID bytesInit = env->GetMethodID(static_cast<jclass>(bytesClass.get()), "<init>", "()V");
    if (!bytesInit) return {};
    LocalRef bytes(env, env->NewObject(static_cast<jclass>(bytesClass.get()), bytesInit));
    if (!bytes) return {};

    LocalRef printClass(env, env->FindClass("java/io/PrintStream"));
    if (!printClass) return {};
    jmethodID printInit = env->GetMethodID(static_cast<jclass>(printClass.get()), "<init>",
                                           "(Ljava/io/OutputStream;ZLjava/lang/String;)V");
    if (!printInit) return {};
    LocalRef print(env, env->NewObject(static_cast<jclass>(printClass.get()), printInit, bytes.get(), JNI_FALSE,
                                       encoding.get()));
    if (!print) return {};

    LocalRef exceptionClass(env, env->GetObjectClass(exception));
    if (!exceptionClass) return {};
    jmethodID printStackTrace =
        env->GetMethodID(static_cast<jclass>(exceptionClass.get()), "printStackTrace", "(Ljava/io/PrintStream;)V");
    if (!printStackTrace) return {};
    env->CallVoidMethod(exception, printStackTrace, print.get());
    describePendingException(env);

    LocalRef streamClass(env, env->GetObjectClass(bytes.get()));
    if (!streamClass) return {};
    jmethodID toString =
        env->GetMethodID(static_cast<jclass>(streamClass.get()), "toString", "(Ljava/lang/String;)Ljava/lang/String;");
    if (!toString) return {};
    LocalRef text(env, env->CallObjectMethod(bytes.get(), toString, encoding.get()));
    describePendingException(env);
    if (!text) return {};
    return fromJavaString(static_cast<jstring>(text.get()), env);
}

ExceptionChoice showJavaExceptionDialog(JNIEnv* env) {
    const jthrowable thrown = env->ExceptionOccurred();
    if (!thrown) return ExceptionChoice::Ignore;
    const std::wstring text = exceptionText(env, thrown);
    env->DeleteLocalRef(thrown);
    if (text.empty()) return ExceptionChoice::Ignore;
    return presentJavaException(text);
}

void callJavaSystemExit(JNIEnv* env, int code) {
    LocalRef systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass) {
        describePendingException(env);
        return;
    }
    jmethodID exitMethod = env->GetStaticMethodID(static_cast<jclass>(systemClass.get()), "exit", "(I)V");
    if (exitMethod) env->CallStaticVoidMethod(static_cast<jclass>(systemClass.get()), exitMethod, static_cast<jint>(code));
    describePendingException(env);
}

std::wstring withCrLfLineBreaks(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            out += L"\r\n";
        } else if (text[i] == L'\n') {
            out += L"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace jl

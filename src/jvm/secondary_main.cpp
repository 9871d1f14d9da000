#include "jvm/secondary_main.h"

#include "jvm/java_strings.h"

namespace jl {

namespace {

constexpr char kSecondaryMain[] = "secondaryMain";
constexpr char kVoidForm[] = "([Ljava/lang/String;)V";
constexpr char kIntForm[] = "([Ljava/lang/String;)I";
constexpr int kThrew = -1;
constexpr int kNotServed = -1;

void describePendingException(JNIEnv* env) {
    if (env->ExceptionCheck()) env->ExceptionDescribe();
}

// FindClass takes the name in modified UTF-8; the virtual machine's own conversion of a
// Java string gives exactly that for any character, where a code page would not.
jclass findClassNamed(JNIEnv* env, const std::wstring& name) {
    jstring text = toJavaString(name, env);
    if (!text) return nullptr;
    jclass found = nullptr;
    if (const char* modifiedUtf8 = env->GetStringUTFChars(text, nullptr)) {
        found = env->FindClass(modifiedUtf8);
        env->ReleaseStringUTFChars(text, modifiedUtf8);
    }
    env->DeleteLocalRef(text);
    return found;
}

bool callSecondaryMain(JNIEnv* env, const SecondaryLaunch& launch, const SecondaryReply& reply) {
    jclass mainClass = findClassNamed(env, launch.mainClass);
    if (!mainClass) {
        describePendingException(env);
        return false;
    }
    bool intForm = false;
    jmethodID method = env->GetStaticMethodID(mainClass, kSecondaryMain, kVoidForm);
    if (env->ExceptionCheck()) env->ExceptionClear();
    if (!method) {
        method = env->GetStaticMethodID(mainClass, kSecondaryMain, kIntForm);
        intForm = true;
    }
    jobjectArray arguments = method ? toJavaStringArray(launch.arguments, env) : nullptr;
    if (!arguments) {
        describePendingException(env);
        env->DeleteLocalRef(mainClass);
        return false;
    }

    if (intForm) {
        const jint result = env->CallStaticIntMethod(mainClass, method, arguments);
        reply.send(reply.context, env->ExceptionCheck() ? kThrew : static_cast<int>(result));
    } else {
        reply.send(reply.context, 0);
        env->CallStaticVoidMethod(mainClass, method, arguments);
    }
    const bool returned = !env->ExceptionCheck();
    describePendingException(env);
    env->DeleteLocalRef(arguments);
    env->DeleteLocalRef(mainClass);
    return returned;
}

}  // namespace

bool runSecondaryMain(JavaVM* vm, const SecondaryLaunch& launch, const SecondaryReply& reply) {
    JNIEnv* env = nullptr;
    if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        // A virtual machine that has ended takes no thread: the launch cannot be served,
        // and the second instance need not wait for this process to end to learn it.
        reply.send(reply.context, kNotServed);
        return false;
    }
    const bool returned = callSecondaryMain(env, launch, reply);
    if (!launch.stayAttached) (void)vm->DetachCurrentThread();
    return returned;
}

}  // namespace jl

#include "jvm/secondary_main.h"

#include "jvm/java_host.h"
#include "jvm/java_strings.h"

namespace jl {

namespace {

constexpr char kSecondaryMain[] = "secondaryMain";
constexpr char kVoidForm[] = "([Ljava/lang/String;)V";
constexpr char kIntForm[] = "([Ljava/lang/String;)I";
constexpr int kThrew = -1;
constexpr int kNotServed = -1;

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

// A virtual machine whose shutdown has begun still takes threads, but a launch handed to
// it would be answered and then lost with the process. Its shutdown has begun once it
// refuses a new shutdown hook with IllegalStateException; the probe hook, a thread that
// was never started, is taken out again at once.
bool isShuttingDown(JNIEnv* env) {
    bool shuttingDown = false;
    jclass runtimeClass = env->FindClass("java/lang/Runtime");
    jclass threadClass = env->FindClass("java/lang/Thread");
    jclass refusal = env->FindClass("java/lang/IllegalStateException");
    if (runtimeClass && threadClass && refusal) {
        const jmethodID getRuntime = env->GetStaticMethodID(runtimeClass, "getRuntime", "()Ljava/lang/Runtime;");
        const jmethodID add = env->GetMethodID(runtimeClass, "addShutdownHook", "(Ljava/lang/Thread;)V");
        const jmethodID remove = env->GetMethodID(runtimeClass, "removeShutdownHook", "(Ljava/lang/Thread;)Z");
        const jmethodID newThread = env->GetMethodID(threadClass, "<init>", "()V");
        jobject runtime = getRuntime && add && remove && newThread
                              ? env->CallStaticObjectMethod(runtimeClass, getRuntime)
                              : nullptr;
        jobject hook = runtime ? env->NewObject(threadClass, newThread) : nullptr;
        if (hook) {
            env->CallVoidMethod(runtime, add, hook);
            if (jthrowable thrown = env->ExceptionOccurred()) {
                env->ExceptionClear();
                shuttingDown = env->IsInstanceOf(thrown, refusal) == JNI_TRUE;
                env->DeleteLocalRef(thrown);
            } else {
                (void)env->CallBooleanMethod(runtime, remove, hook);
            }
        }
        if (hook) env->DeleteLocalRef(hook);
        if (runtime) env->DeleteLocalRef(runtime);
    }
    // The probe is only a probe: whatever else went wrong is not the launch's concern.
    if (env->ExceptionCheck()) env->ExceptionClear();
    if (refusal) env->DeleteLocalRef(refusal);
    if (threadClass) env->DeleteLocalRef(threadClass);
    if (runtimeClass) env->DeleteLocalRef(runtimeClass);
    return shuttingDown;
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
        // and the second instance need not wait for this process to end to learn it. The
        // same holds for one whose shutdown has begun.
        reply.send(reply.context, kNotServed);
        return false;
    }
    bool returned = false;
    if (isShuttingDown(env)) {
        reply.send(reply.context, kNotServed);
    } else {
        returned = callSecondaryMain(env, launch, reply);
    }
    if (!launch.stayAttached) (void)vm->DetachCurrentThread();
    return returned;
}

}  // namespace jl

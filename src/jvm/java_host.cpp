#include "jvm/java_host.h"

#include <atomic>

#include "config/launch_settings.h"
#include "jvm/exception_dialog.h"
#include "jvm/java_strings.h"
#include "jvm/jvm_options.h"
#include "jvm/redirection.h"
#include "os/os.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

// The argument block of the JNI 1.1 invocation API. JNI_GetDefaultJavaVMInitArgs still
// answers with the default Java stack size when asked with this layout and version 1.1.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    void* vfprintfHook;
    void* exitHook;
    void* abortHook;
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

constexpr jint kLauncherHelperModeClass = 1;  // checkAndLoadMain: the argument names a class

constexpr wchar_t kTopic[] = L"jvm";

std::atomic<const VmExitListener*> exitListener{nullptr};

// The main class (slash form) while the runtime's launcher helper checks it. The helper
// rejects a class by explaining on standard error and exiting with 1: on Windows nobody
// sees that text, so the exit hook tells it in a box. Linux keeps the runtime's own text.
std::atomic<const std::wstring*> mainClassBeingChecked{nullptr};
#ifdef _WIN32
constexpr bool kExplainRejectedMainClass = true;
#else
constexpr bool kExplainRejectedMainClass = false;
#endif

// Lines of the trace: a text, a text and a number, a text and the pending exception's
// text (the exception stays pending).
void traceText(const char* text) {
    if (traceEnabled()) trace(kTopic, {text});
}
void traceNumber(const char* what, long long number) {
    if (traceEnabled()) trace(kTopic, {what, decimalText(number)});
}
void traceException(JNIEnv* env, const char* what) {
    if (traceEnabled()) trace(kTopic, {what, pendingExceptionText(env)});
}
void traceFound(JNIEnv* env, const char* what, bool found) {
    if (!found) {
        traceException(env, what);
    } else if (traceEnabled()) {
        trace(kTopic, {what, "found"});
    }
}

void JNICALL exitHook(jint code) {
    // The launcher helper also exits this way when it rejects the main class.
    traceNumber("VM exit ", code);
    const std::wstring* checked = mainClassBeingChecked.exchange(nullptr);
    if (checked && code != 0 && kExplainRejectedMainClass) reportError(kMsgMainClassNotFound, *checked);
    const VmExitListener* listener = exitListener.load();
    if (listener && listener->exit) listener->exit(static_cast<int>(code));
}

void JNICALL abortHook() {
    traceText("VM abort");
    const VmExitListener* listener = exitListener.load();
    if (listener && listener->abort) listener->abort();
}

std::wstring dottedClassName(std::wstring name) {
    for (wchar_t& c : name) {
        if (c == L'/') c = L'.';
    }
    return name;
}

}  // namespace

std::wstring pendingExceptionText(JNIEnv* env) {
    std::wstring text(1, L'?');
    jthrowable pending = env->ExceptionOccurred();
    if (!pending) return text;
    env->ExceptionClear();
    if (jclass stringClass = env->FindClass("java/lang/String")) {
        if (jmethodID valueOf = env->GetStaticMethodID(stringClass, "valueOf", "(Ljava/lang/Object;)Ljava/lang/String;")) {
            if (jstring value = static_cast<jstring>(env->CallStaticObjectMethod(stringClass, valueOf, pending))) {
                text = fromJavaString(value, env);
                env->DeleteLocalRef(value);
            }
        }
        env->DeleteLocalRef(stringClass);
    }
    env->ExceptionClear();
    (void)env->Throw(pending);
    env->DeleteLocalRef(pending);
    return text;
}

void describePendingException(JNIEnv* env) {
    if (!env->ExceptionCheck()) return;
    env->ExceptionDescribe();
    env->ExceptionClear();
}

void setVmExitListener(const VmExitListener* listener) { exitListener.store(listener); }

unsigned createJavaVmReasonId(jint result) {
    switch (result) {
        case JNI_ERR: return kMsgReasonUnknown;
        case JNI_EDETACHED: return kMsgReasonDetached;
        case JNI_EVERSION: return kMsgReasonVersion;
        case JNI_ENOMEM: return kMsgReasonNoMemory;
        case JNI_EEXIST: return kMsgReasonExists;
        case JNI_EINVAL: return kMsgReasonInvalidArguments;
        default: return 0;
    }
}

void useRuntimeLibraryFolder(const std::wstring& jvmLibraryPath) {
    (void)os::setLibrarySearchFolder(stripPathComponents(jvmLibraryPath, 2));
}

bool JavaHost::loadJvmLibrary(const std::wstring& jvmLibraryPath) {
    useRuntimeLibraryFolder(jvmLibraryPath);
    void* library = os::loadLibrary(jvmLibraryPath);
    if (!library) {
        const uint32_t error = os::lastError();
        traceNumber("JVM library not loaded, error ", error);
        reportError(kMsgJvmLibraryLoadFailed, jvmLibraryPath, error);
        return false;
    }
    createJavaVm_ = reinterpret_cast<CreateJavaVmEntry>(os::libraryEntryPoint(library, "JNI_CreateJavaVM"));
    if (createJavaVm_) {
        getDefaultInitArgs_ = reinterpret_cast<GetDefaultInitArgsEntry>(
            os::libraryEntryPoint(library, "JNI_GetDefaultJavaVMInitArgs"));
    }
    if (!createJavaVm_ || !getDefaultInitArgs_) {
        const uint32_t error = os::lastError();
        traceText("no JNI entry points");
        reportError(kMsgWindowsException, loadMessage(kMsgCreateJavaVmMissing), error);
        createJavaVm_ = nullptr;
        getDefaultInitArgs_ = nullptr;
        return false;
    }
    findClassFromBootLoader_ = reinterpret_cast<FindClassFromBootLoaderEntry>(
        os::libraryEntryPoint(library, "JVM_FindClassFromBootLoader"));
    return true;
}

uint32_t JavaHost::defaultJavaStackSize() const {
    Jdk11InitArgs args{};
    args.version = JNI_VERSION_1_1;
    (void)getDefaultInitArgs_(&args);
    return args.javaStackSize > 0 ? static_cast<uint32_t>(args.javaStackSize) : 0;
}

int JavaHost::runJavaThread(const JavaLaunch& launch, const JvmOptions& jvm) {
    if (!createJavaVm_) return 1;
    launch_ = &launch;
    jvm_ = &jvm;
    const uint32_t stackSize = jvm.javaThreadStackSize != 0 ? jvm.javaThreadStackSize : defaultJavaStackSize();
    int result = 1;
    if (!os::runThreadWithStack(stackSize, &JavaHost::javaThreadEntry, this, result)) {
        result = javaThreadMain();
    }
    return result;
}

int JavaHost::javaThreadEntry(void* host) { return static_cast<JavaHost*>(host)->javaThreadMain(); }

int JavaHost::javaThreadMain() {
    if (!createJavaVm()) return 1;
    if (!runMainClass()) {
        // A virtual machine waits in DestroyJavaVM for every attached thread, so a
        // thread that stayed attached after a failure would keep the process alive for
        // good: leave and destroy it here, after the failing step's own report.
        describePendingException(env_);
        leaveJavaVm();
        return 1;
    }
    if (launch_->keepThreadInVm) os::sleepForever();
    const jint detached = vm_->DetachCurrentThread();
    if (detached != JNI_OK) traceNumber("DetachCurrentThread: ", detached);
    env_ = nullptr;
    destroyJavaVm();
    return detached == JNI_OK ? 0 : 1;
}

void JavaHost::leaveJavaVm() {
    (void)vm_->DetachCurrentThread();
    env_ = nullptr;
    destroyJavaVm();
}

void JavaHost::destroyJavaVm() {
    if (!vm_) return;
    (void)vm_->DestroyJavaVM();
    vm_ = nullptr;
    env_ = nullptr;
}

bool JavaHost::createJavaVm() {
    // The option texts stay owned by JvmOptions, which outlives the call.
    std::vector<JavaVMOption> options;
    options.reserve(jvm_->options.size() + 2);
    for (const std::string& option : jvm_->options) {
        options.push_back(JavaVMOption{const_cast<char*>(option.c_str()), nullptr});
    }
    options.push_back(JavaVMOption{const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    options.push_back(JavaVMOption{const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});

    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    const jint result = createJavaVm_(&vm, reinterpret_cast<void**>(&env), &args);
    traceNumber("JNI_CreateJavaVM: ", result);
    if (result != JNI_OK) {
        const unsigned reasonId = createJavaVmReasonId(result);
        reportError(kMsgJniException, loadMessage(kMsgCreateJavaVmFailed),
                    reasonId != 0 ? loadMessage(reasonId) : std::wstring());
        return false;
    }
    vm_ = vm;
    env_ = env;
    if (launch_->settings) redirectStandardStreams(env_, *launch_->settings);
    return true;
}

jclass JavaHost::loadThroughLauncherHelper() {
    // The runtime's own launcher helper loads the class the way its java command does
    // (modules, the application class loader) and explains a failure itself. Whatever
    // goes wrong on this path is left to the plain FindClass that follows, which
    // reports it; JNI calls must not be made with an exception pending.
    jclass helper = findClassFromBootLoader_(env_, "sun/launcher/LauncherHelper");
    if (!helper) {
        env_->ExceptionClear();
        traceText("main class: no launcher helper");
        return nullptr;
    }
    jclass mainClass = nullptr;
    jmethodID checkAndLoadMain =
        env_->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain) {
        if (jstring name = toJavaString(dottedClassName(launch_->mainClass), env_)) {
            traceText("main class: LauncherHelper.checkAndLoadMain");
            mainClassBeingChecked.store(&launch_->mainClass);
            mainClass = static_cast<jclass>(env_->CallStaticObjectMethod(
                helper, checkAndLoadMain, static_cast<jboolean>(JNI_TRUE), kLauncherHelperModeClass, name));
            mainClassBeingChecked.store(nullptr);
            env_->DeleteLocalRef(name);
        }
    }
    if (env_->ExceptionCheck() || !mainClass) {
        traceException(env_, "main class: helper failed: ");
        env_->ExceptionClear();
        if (mainClass) env_->DeleteLocalRef(mainClass);
        mainClass = nullptr;
    } else {
        readMainForm(helper);
    }
    env_->DeleteLocalRef(helper);
    return mainClass;
}

void JavaHost::readMainForm(jclass helper) {
    // Older helpers have neither field: their main is a static main(String[]).
    bool flags[] = {true, false};
    const char* const names[] = {"isStaticMain", "noArgMain"};
    bool reported = false;
    for (int i = 0; i < 2; ++i) {
        if (jfieldID field = env_->GetStaticFieldID(helper, names[i], "Z")) {
            flags[i] = env_->GetStaticBooleanField(helper, field) == JNI_TRUE;
            reported = true;
        } else {
            env_->ExceptionClear();
        }
    }
    mainIsStatic_ = flags[0];
    mainTakesArguments_ = !flags[1];
    if (traceEnabled()) {
        trace(kTopic, {"main class: loaded; main is ", mainIsStatic_ ? "static" : "instance",
                       mainTakesArguments_ ? ", with String[]" : ", without parameters", reported ? "" : " (not said)"});
    }
}

jclass JavaHost::findClassDirectly() {
    jstring name = toJavaString(launch_->mainClass, env_);
    if (!name) {
        reportError(kMsgMainClassLoadFailed, launch_->mainClass);
        return nullptr;
    }
    const char* modifiedUtf8 = env_->GetStringUTFChars(name, nullptr);
    if (!modifiedUtf8) {
        describePendingException(env_);
        env_->DeleteLocalRef(name);
        return nullptr;
    }
    jclass mainClass = env_->FindClass(modifiedUtf8);
    env_->ReleaseStringUTFChars(name, modifiedUtf8);
    env_->DeleteLocalRef(name);
    traceFound(env_, "main class: FindClass: ", mainClass != nullptr);
    if (!mainClass) {
        describePendingException(env_);
        // The name as configured, in UTF-16: the modified UTF-8 bytes read through a
        // code page would garble any character outside ASCII.
        reportError(kMsgMainClassNotFound, launch_->mainClass);
    }
    return mainClass;
}

jclass JavaHost::findMainClass() {
    if (findClassFromBootLoader_) {
        if (jclass mainClass = loadThroughLauncherHelper()) return mainClass;
    } else {
        traceText("main class: no launcher helper");
    }
    return findClassDirectly();
}

bool JavaHost::runMainClass() {
    mainIsStatic_ = true;
    mainTakesArguments_ = true;
    jclass mainClass = findMainClass();
    if (!mainClass) return false;

    const char* signature = mainTakesArguments_ ? "([Ljava/lang/String;)V" : "()V";
    jmethodID mainMethod = mainIsStatic_ ? env_->GetStaticMethodID(mainClass, "main", signature)
                                         : env_->GetMethodID(mainClass, "main", signature);
    traceFound(env_, "main method: ", mainMethod != nullptr);
    if (!mainMethod) {
        jthrowable pending = env_->ExceptionOccurred();
        if (!pending) {
            reportError(kMsgNoMainMethod);
            return false;
        }
        describePendingException(env_);
        // A virtual machine reports a missing method as NoSuchMethodError; that is the
        // class without main the user must be told about. Any other exception (a static
        // initializer that threw) speaks for itself.
        bool missingMain = false;
        if (jclass noSuchMethod = env_->FindClass("java/lang/NoSuchMethodError")) {
            missingMain = env_->IsInstanceOf(pending, noSuchMethod) == JNI_TRUE;
            env_->DeleteLocalRef(noSuchMethod);
        }
        env_->ExceptionClear();
        env_->DeleteLocalRef(pending);
        if (missingMain) reportError(kMsgNoMainMethod);
        return false;
    }

    jobjectArray arguments = nullptr;
    if (mainTakesArguments_) {
        arguments = toJavaStringArray(launch_->arguments, env_);
        if (!arguments) {
            describePendingException(env_);
            return false;
        }
    }
    // The helper that reported an instance main has checked for the constructor.
    jmethodID constructor = mainIsStatic_ ? nullptr : env_->GetMethodID(mainClass, "<init>", "()V");
    if (!mainIsStatic_ && !constructor) {
        traceException(env_, "constructor: ");
        return false;
    }

    if (launch_->mainStarting) launch_->mainStarting();
    if (mainIsStatic_) {
        env_->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    } else if (jobject instance = env_->NewObject(mainClass, constructor)) {
        // The constructor is the program's own code: an exception it throws is handled
        // as one of main.
        env_->CallVoidMethod(instance, mainMethod, arguments);
        env_->DeleteLocalRef(instance);
    }

    if (env_->ExceptionCheck()) {
        traceException(env_, "main threw ");
        if (launch_->closeSplashWindow) launch_->closeSplashWindow();
        // Without the dialog the exception stays pending; the virtual machine reports it
        // as uncaught when the thread detaches.
        if (launch_->failureCheck && showJavaExceptionDialog(env_) == ExceptionChoice::Stop) {
            callJavaSystemExit(env_, -1);
        }
    } else {
        traceText("main returned");
    }
    if (arguments) env_->DeleteLocalRef(arguments);
    env_->DeleteLocalRef(mainClass);
    return true;
}

}  // namespace jl

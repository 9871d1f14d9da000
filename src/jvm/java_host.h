// Hosting the Java virtual machine in this process: the runtime's JVM library, the
// thread the virtual machine lives on, and the call of the main class's main method.
#pragma once

#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

namespace jl {

struct LaunchSettings;
struct JvmOptions;

// What the Java thread runs.
struct JavaLaunch {
    std::wstring mainClass;               // slash form: "com/example/Main"
    std::vector<std::wstring> arguments;  // for main, in order
    bool failureCheck = false;            // show the exception dialog after an uncaught exception
    // The runtime is of the IBM family, whose virtual machine the thread must not leave
    // after main returns: it stays attached and only the program's own exit ends the
    // process. Every other runtime is detached and destroyed, so the process ends with
    // its last non-daemon thread.
    bool keepThreadInVm = false;
    const LaunchSettings* settings = nullptr;  // redirection of the standard streams; none when null
    // Called on the Java thread right before main is entered (signals the main-started
    // event of single instance); nothing when null.
    void (*mainStarting)() = nullptr;
    // Closes the launcher's own splash window after an uncaught exception; nothing when null.
    void (*closeSplashWindow)() = nullptr;
};

class JavaHost {
public:
    JavaHost() = default;
    JavaHost(const JavaHost&) = delete;
    JavaHost& operator=(const JavaHost&) = delete;

    // Loads the runtime's JVM library, after making the runtime's bin folder part of the
    // library search, and takes its entry points. Reports message 222, or 202 with 212,
    // and gives false on failure.
    [[nodiscard]] bool loadJvmLibrary(const std::wstring& jvmLibraryPath);

    // Creates the virtual machine on a thread of its own and runs main there; blocks
    // until that thread ends. 0 when main ran (also when it threw), 1 when a step before
    // it failed, after that step's report. Needs a loaded library.
    int runJavaThread(const JavaLaunch& launch, const JvmOptions& jvm);

    // DestroyJavaVM when a virtual machine still exists (the Java thread destroys its own
    // on every way out, so this normally finds nothing to do).
    void destroyJavaVm();

    JavaVM* javaVm() const { return vm_; }

    // The forwarded calls of single instance (secondaryMain) will attach here, once
    // main has started, through javaVm().

private:
    using CreateJavaVmEntry = jint(JNICALL*)(JavaVM**, void**, void*);
    using GetDefaultInitArgsEntry = jint(JNICALL*)(void*);
    using FindClassFromBootLoaderEntry = jclass(JNICALL*)(JNIEnv*, const char*);

    static int javaThreadEntry(void* host);
    int javaThreadMain();
    uint32_t defaultJavaStackSize() const;
    [[nodiscard]] bool createJavaVm();
    [[nodiscard]] bool runMainClass();
    jclass findMainClass();
    jclass loadThroughLauncherHelper();
    jclass findClassDirectly();
    void readMainForm(jclass helper);
    void leaveJavaVm();

    CreateJavaVmEntry createJavaVm_ = nullptr;
    GetDefaultInitArgsEntry getDefaultInitArgs_ = nullptr;
    FindClassFromBootLoaderEntry findClassFromBootLoader_ = nullptr;  // optional

    JavaVM* vm_ = nullptr;
    JNIEnv* env_ = nullptr;
    const JavaLaunch* launch_ = nullptr;
    const JvmOptions* jvm_ = nullptr;
    // How main is called. The launcher helper of Java 25 also accepts an instance main
    // (called on an object made with the class's no-argument constructor) and a main
    // without parameters, and says which it found; otherwise a static main(String[]).
    bool mainIsStatic_ = true;
    bool mainTakesArguments_ = true;
};

// Makes the runtime's bin folder (two components above its JVM library) the folder
// searched for the dependencies of the runtime's libraries, in place of the current
// directory. To be called before the first library of the runtime is loaded, the native
// splash included; loadJvmLibrary calls it too.
void useRuntimeLibraryFolder(const std::wstring& jvmLibraryPath);

// The pending exception's text as String.valueOf gives it, for the trace; "?" when it
// cannot be had. The exception stays pending. A static call: one runtime was seen to
// crash on a virtual toString made through JNI on an exception it had raised itself.
std::wstring pendingExceptionText(JNIEnv* env);

// Prints the pending exception, if any, to the virtual machine's error stream and clears
// it. Not every runtime's ExceptionDescribe clears, and a launch that goes on must not
// make its next JNI call with an exception pending.
void describePendingException(JNIEnv* env);

// The message that explains a failed JNI_CreateJavaVM result (225-230), 0 for none.
unsigned createJavaVmReasonId(jint result);

// The virtual machine's exit and abort hooks forward to this listener while it is set.
// The class-data cache installs one to complete its files when the program ends through
// System.exit; either way the virtual machine then completes its own exit or abort.
struct VmExitListener {
    void (*exit)(int code) = nullptr;
    void (*abort)() = nullptr;
};
void setVmExitListener(const VmExitListener* listener);

}  // namespace jl

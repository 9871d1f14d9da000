// Single instance: with "Single Instance" "yes", only the first process started from an
// executable path hosts the application. A later start from the same path (a second
// instance) hands its arguments to the first one, whose main class's secondaryMain runs
// with them, and ends with the first instance's reply.
//
// Windows: a named file mapping holding the instance block, a registered window message
// for the request (posted to the first instance's listener thread) and the reply (posted
// back to the second instance's main thread), and the named main-started event. Second
// instances take turns through a named mutex, since they share the block's argument
// area. Linux: a Unix-domain socket in the abstract namespace, keyed by the instance name
// and the user; the first instance listens, a second one connects, sends the argument
// area and reads one int.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace jl {

struct LaunchSettings;

// The reply a second instance gets for a launch the first instance can no longer serve
// (it is ending, or its virtual machine never started).
constexpr int kLaunchNotServed = -1;

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Decides this process's part. False when the settings file path cannot be formed, or
    // when this is a second instance that could not hand its arguments over (they do not
    // fit, or no first instance took them within a few seconds); init then fails with -1.
    // True otherwise; single instance stays off for a service, without "Single Instance"
    // "yes", and when its objects cannot be had.
    [[nodiscard]] bool setup(const LaunchSettings& settings, const std::vector<std::wstring>& arguments);

    // What setup does once single instance applies, for the instance named
    // `instanceName`: claims it as the first instance, or hands the arguments to the one
    // that holds it. The same results as setup.
    [[nodiscard]] bool claimOrHandOver(const std::wstring& instanceName, const std::vector<std::wstring>& arguments);

    bool active() const { return active_; }
    bool isFirstInstance() const { return active_ && first_; }
    bool isSecondInstance() const { return active_ && !first_; }

    // Second instance: the first instance's reply, or its exit code when it ended without
    // replying (on Linux, where that code cannot be read, kLaunchNotServed).
    int waitForFirstInstanceReply();

    // First instance, on the Java thread right before main is called: forwarded launches
    // may attach to `vm` from now on and call secondaryMain of `mainClass` (slash form).
    // With `stayAttached` their threads never leave the virtual machine.
    void mainStarting(JavaVM* vm, const std::wstring& mainClass, bool stayAttached);

    // First instance: no forwarded launch attaches to the virtual machine after this
    // returns, and every launch still waiting is answered with kLaunchNotServed. Waits,
    // for a bounded time, for secondaryMain calls in progress. Launches are served for as
    // long as the virtual machine lives, also while DestroyJavaVM waits for the program's
    // own threads (a windowed program's main returns at once), so teardown calls this
    // once DestroyJavaVM has returned; a launch that comes while the virtual machine
    // shuts down is refused by it (the attach fails) and answered with kLaunchNotServed.
    void stopServing();

    // Ends the listener, answers what it still held, and releases the shared objects; a
    // second instance gives up its turn. Nothing happens unless single instance is active.
    void teardown();
    // Closes the main-started event (after teardown).
    void closeMainStartedEvent();

private:
    struct Channel;  // the platform's objects

    // First instance: the listener and what its request threads share.
    [[nodiscard]] bool startListening(const std::wstring& instanceName);
    // After the name was claimed: listens and is the first instance, or, when it cannot
    // listen, lets the claim go with the channel (nobody may find a first instance that
    // takes no request) and single instance is off.
    void becomeFirstInstance(const std::wstring& instanceName);
    void releaseChannel();

    bool active_ = false;
    bool first_ = false;
    Channel* channel_ = nullptr;
};

// The name that keys an executable's single-instance objects: its full path with every
// path separator replaced by "_".
std::wstring instanceNameFor(const std::wstring& executablePath);

// Whether single instance applies: "Single Instance" is "yes" (exact) and the application
// is not a service.
bool singleInstanceApplies(bool isService, const std::wstring& singleInstanceValue);

}  // namespace jl

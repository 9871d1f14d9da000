// The Java side of a forwarded launch: the main class's static secondaryMain, called in
// the first instance with the arguments a second instance handed over.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace jl {

// How the second instance is answered: one int, sent at most once.
struct SecondaryReply {
    void (*send)(void* context, int code) = nullptr;
    void* context = nullptr;
};

struct SecondaryLaunch {
    std::wstring mainClass;               // slash form: "com/example/Main"
    std::vector<std::wstring> arguments;  // as the second instance sent them
    bool stayAttached = false;            // the runtime's threads never leave its virtual machine
};

// Attaches the calling thread to `vm`, finds the main class and its secondaryMain taking
// a String[] (the form returning nothing first, then the one returning an int), and calls
// it with the arguments. The void form is answered with 0 before the call, so the second
// instance ends while the method runs; the int form after the call with its result, or
// with -1 when it threw (a failed call is not reported as success). When the thread
// cannot attach (the virtual machine has ended), or the virtual machine's shutdown has
// begun, the answer is -1 as well and nothing is called. Without the class,
// the method or the argument array nothing is sent and false returned; the pending
// exception is described. The thread detaches again unless `stayAttached`. True when the
// method was called and returned without an exception.
[[nodiscard]] bool runSecondaryMain(JavaVM* vm, const SecondaryLaunch& launch, const SecondaryReply& reply);

}  // namespace jl

// The test JVM's virtual machine: a handful of scripted classes behind the JNI function
// table, recording every call a test may want to check in a log file.
#pragma once

#include "jni_abi.h"

namespace testjvm {

Int getDefaultInitArgs(void* args);
Int createVm(Vm** vm, void** env, void* args);
Int createdVms(Vm** vms, Int size, Int* count);
Ref findClassFromBootLoader(Env* env, const char* name);

}  // namespace testjvm

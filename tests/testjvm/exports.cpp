// The invocation entry points of a JVM library, under the plain names a runtime exports.
// The build leaves single ones out (TESTJVM_WITHOUT_*) to make libraries that lack them.
#include "vm.h"

using namespace testjvm;

#ifndef TESTJVM_WITHOUT_CREATE
TJ_EXPORT Int TJ_CALL JNI_CreateJavaVM(Vm** vm, void** env, void* args) { return createVm(vm, env, args); }
#endif

// Not called by the launcher; a runtime's own launcher needs it to load the library.
TJ_EXPORT Int TJ_CALL JNI_GetCreatedJavaVMs(Vm** vms, Int size, Int* count) { return createdVms(vms, size, count); }

#ifndef TESTJVM_WITHOUT_DEFAULTS
TJ_EXPORT Int TJ_CALL JNI_GetDefaultJavaVMInitArgs(void* args) { return getDefaultInitArgs(args); }
#endif

#ifndef TESTJVM_WITHOUT_HELPER
TJ_EXPORT Ref TJ_CALL JVM_FindClassFromBootLoader(Env* env, const char* name) {
    return findClassFromBootLoader(env, name);
}
#endif

#ifdef TESTJVM_WITH_MARKER
// Ties this library to the marker library, so that loading it resolves one dependency
// through the library search.
extern "C" __declspec(dllimport) void markerLoaded();
TJ_EXPORT void testjvmUsesMarker() { markerLoaded(); }
#endif

// Built on Linux only: the test JVM's own reading of the published JNI interface agrees with
// the JDK's jni.h on every table index and structure it relies on.
#include <jni.h>

#include <cstddef>

#include "jni_abi.h"

namespace testjvm {

#define TJ_CHECK_INDEX(name) \
    static_assert(offsetof(JNINativeInterface_, name) == fn::name * sizeof(void*), #name)
TJ_CHECK_INDEX(GetVersion);
TJ_CHECK_INDEX(FindClass);
TJ_CHECK_INDEX(Throw);
TJ_CHECK_INDEX(ThrowNew);
TJ_CHECK_INDEX(ExceptionOccurred);
TJ_CHECK_INDEX(ExceptionDescribe);
TJ_CHECK_INDEX(ExceptionClear);
TJ_CHECK_INDEX(FatalError);
TJ_CHECK_INDEX(PushLocalFrame);
TJ_CHECK_INDEX(PopLocalFrame);
TJ_CHECK_INDEX(NewGlobalRef);
TJ_CHECK_INDEX(DeleteGlobalRef);
TJ_CHECK_INDEX(DeleteLocalRef);
TJ_CHECK_INDEX(IsSameObject);
TJ_CHECK_INDEX(NewLocalRef);
TJ_CHECK_INDEX(EnsureLocalCapacity);
TJ_CHECK_INDEX(NewObject);
TJ_CHECK_INDEX(NewObjectV);
TJ_CHECK_INDEX(NewObjectA);
TJ_CHECK_INDEX(GetObjectClass);
TJ_CHECK_INDEX(IsInstanceOf);
TJ_CHECK_INDEX(GetMethodID);
TJ_CHECK_INDEX(CallObjectMethod);
TJ_CHECK_INDEX(CallObjectMethodV);
TJ_CHECK_INDEX(CallObjectMethodA);
TJ_CHECK_INDEX(CallBooleanMethod);
TJ_CHECK_INDEX(CallBooleanMethodA);
TJ_CHECK_INDEX(CallVoidMethod);
TJ_CHECK_INDEX(CallVoidMethodV);
TJ_CHECK_INDEX(CallVoidMethodA);
TJ_CHECK_INDEX(GetStaticMethodID);
TJ_CHECK_INDEX(CallStaticObjectMethod);
TJ_CHECK_INDEX(CallStaticObjectMethodV);
TJ_CHECK_INDEX(CallStaticObjectMethodA);
TJ_CHECK_INDEX(CallStaticIntMethod);
TJ_CHECK_INDEX(CallStaticIntMethodV);
TJ_CHECK_INDEX(CallStaticIntMethodA);
TJ_CHECK_INDEX(CallStaticVoidMethod);
TJ_CHECK_INDEX(CallStaticVoidMethodV);
TJ_CHECK_INDEX(CallStaticVoidMethodA);
TJ_CHECK_INDEX(GetStaticFieldID);
TJ_CHECK_INDEX(GetStaticBooleanField);
TJ_CHECK_INDEX(NewString);
TJ_CHECK_INDEX(GetStringLength);
TJ_CHECK_INDEX(GetStringChars);
TJ_CHECK_INDEX(ReleaseStringChars);
TJ_CHECK_INDEX(NewStringUTF);
TJ_CHECK_INDEX(GetStringUTFLength);
TJ_CHECK_INDEX(GetStringUTFChars);
TJ_CHECK_INDEX(ReleaseStringUTFChars);
TJ_CHECK_INDEX(GetArrayLength);
TJ_CHECK_INDEX(NewObjectArray);
TJ_CHECK_INDEX(GetObjectArrayElement);
TJ_CHECK_INDEX(SetObjectArrayElement);
TJ_CHECK_INDEX(NewCharArray);
TJ_CHECK_INDEX(GetCharArrayRegion);
TJ_CHECK_INDEX(SetCharArrayRegion);
TJ_CHECK_INDEX(GetJavaVM);
TJ_CHECK_INDEX(GetStringRegion);
TJ_CHECK_INDEX(ExceptionCheck);
#undef TJ_CHECK_INDEX
static_assert(sizeof(JNINativeInterface_) <= fn::TableSize * sizeof(void*), "table size");

#define TJ_CHECK_VM_INDEX(name) \
    static_assert(offsetof(JNIInvokeInterface_, name) == vmfn::name * sizeof(void*), #name)
TJ_CHECK_VM_INDEX(DestroyJavaVM);
TJ_CHECK_VM_INDEX(AttachCurrentThread);
TJ_CHECK_VM_INDEX(DetachCurrentThread);
TJ_CHECK_VM_INDEX(GetEnv);
TJ_CHECK_VM_INDEX(AttachCurrentThreadAsDaemon);
#undef TJ_CHECK_VM_INDEX
static_assert(sizeof(JNIInvokeInterface_) == vmfn::TableSize * sizeof(void*), "invoke table size");

static_assert(sizeof(JavaVMInitArgs) == sizeof(VmInitArgs), "JavaVMInitArgs");
static_assert(offsetof(JavaVMInitArgs, options) == offsetof(VmInitArgs, options), "options");
static_assert(offsetof(JavaVMInitArgs, ignoreUnrecognized) == offsetof(VmInitArgs, ignoreUnrecognized),
              "ignoreUnrecognized");
static_assert(sizeof(JavaVMOption) == sizeof(VmOption), "JavaVMOption");
static_assert(sizeof(jvalue) == sizeof(Value), "jvalue");
static_assert(JNI_VERSION_1_1 == kVersion1_1 && JNI_VERSION_1_2 == kVersion1_2, "versions");
static_assert(JNI_EEXIST == kEExist && JNI_EDETACHED == kEDetached, "results");

}  // namespace testjvm

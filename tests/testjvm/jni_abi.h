// The binary interface of a JNI virtual machine, written down for the test JVM from the
// published JNI interface itself rather than taken from the header the launcher compiles
// with: a test double built from the launcher's own header would share any mistake in
// it. On 32-bit Windows every JNI entry point is __stdcall, except the variadic
// Call*Method and NewObject entries, which a C compiler can only make __cdecl.
#pragma once

#include <cstdarg>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define TJ_CALL __attribute__((stdcall))
#else
#define TJ_CALL
#endif
#if defined(_WIN32)
#define TJ_EXPORT extern "C" __declspec(dllexport)
#else
#define TJ_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace testjvm {

using Int = int32_t;        // jint (a 32-bit long on Windows, int elsewhere: the same bits)
using Long = int64_t;       // jlong
using Char = uint16_t;      // jchar
using Boolean = uint8_t;    // jboolean
struct Object;
using Ref = Object*;        // jobject and every reference type

union Value {               // jvalue
    Boolean z;
    int8_t b;
    Char c;
    int16_t s;
    Int i;
    Long j;
    float f;
    double d;
    Ref l;
};

struct VmOption {           // JavaVMOption
    char* optionString;
    void* extraInfo;
};
struct VmInitArgs {         // JavaVMInitArgs
    Int version;
    Int nOptions;
    VmOption* options;
    Boolean ignoreUnrecognized;
};
struct Vm11InitArgs {       // JDK1_1InitArgs
    Int version;
    char** properties;
    Int checkSource;
    Int nativeStackSize;
    Int javaStackSize;
    Int minHeapSize;
    Int maxHeapSize;
    Int verifyMode;
    char* classpath;
    void* vfprintf;
    void* exit;
    void* abort;
    Int enableClassGC;
    Int enableVerboseGC;
    Int disableAsyncGC;
    Int verbose;
    Boolean debugging;
    Int debugPort;
};

// JNIEnv and JavaVM: a pointer to a pointer to a function table.
struct Env {
    void* const* functions;
};
struct Vm {
    void* const* functions;
};

using ExitHook = void(TJ_CALL*)(Int code);
using AbortHook = void(TJ_CALL*)();

constexpr Int kOk = 0;
constexpr Int kErr = -1;
constexpr Int kEDetached = -2;
constexpr Int kEVersion = -3;
constexpr Int kEExist = -5;
constexpr Int kVersion1_1 = 0x00010001;
constexpr Int kVersion1_2 = 0x00010002;

// Index of each entry in the JNIEnv function table, as the published JNI interface numbers
// them. The first four entries are reserved.
namespace fn {
enum : int {
    GetVersion = 4, DefineClass, FindClass, FromReflectedMethod, FromReflectedField,
    ToReflectedMethod, GetSuperclass, IsAssignableFrom, ToReflectedField, Throw, ThrowNew,
    ExceptionOccurred, ExceptionDescribe, ExceptionClear, FatalError, PushLocalFrame,
    PopLocalFrame, NewGlobalRef, DeleteGlobalRef, DeleteLocalRef, IsSameObject, NewLocalRef,
    EnsureLocalCapacity, AllocObject, NewObject, NewObjectV, NewObjectA, GetObjectClass,
    IsInstanceOf, GetMethodID,
    CallObjectMethod = 34, CallObjectMethodV, CallObjectMethodA,
    CallBooleanMethod = 37, CallBooleanMethodV, CallBooleanMethodA,
    CallVoidMethod = 61, CallVoidMethodV, CallVoidMethodA,
    GetStaticMethodID = 113,
    CallStaticObjectMethod = 114, CallStaticObjectMethodV, CallStaticObjectMethodA,
    CallStaticIntMethod = 129, CallStaticIntMethodV, CallStaticIntMethodA,
    CallStaticVoidMethod = 141, CallStaticVoidMethodV, CallStaticVoidMethodA,
    GetStaticFieldID = 144, GetStaticObjectField, GetStaticBooleanField,
    NewString = 163, GetStringLength, GetStringChars, ReleaseStringChars, NewStringUTF,
    GetStringUTFLength, GetStringUTFChars, ReleaseStringUTFChars, GetArrayLength,
    NewObjectArray, GetObjectArrayElement, SetObjectArrayElement,
    NewCharArray = 177,
    GetCharArrayRegion = 201,
    SetCharArrayRegion = 209,
    GetJavaVM = 219, GetStringRegion,
    ExceptionCheck = 228,
    TableSize = 240,  // room beyond the last entry any current virtual machine has
};
}  // namespace fn

// Index of each entry in the JavaVM function table; the first three are reserved.
namespace vmfn {
enum : int {
    DestroyJavaVM = 3, AttachCurrentThread, DetachCurrentThread, GetEnv,
    AttachCurrentThreadAsDaemon, TableSize,
};
}  // namespace vmfn

}  // namespace testjvm

/* The machine-dependent part of the JNI header for Windows (x86 and x64), found before
   the installed JDK's own, which describes the platform it was built for. On x86 every
   JNI entry point uses the stdcall convention; the variadic Call*Method entries fall
   back to cdecl, which is what the compiler does with a variadic stdcall function. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

/* LLP64: long is 32 bits on both Windows targets. */
typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */

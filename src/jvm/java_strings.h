// Text crossing into and out of the virtual machine. Java strings are UTF-16; the
// launcher's text is UTF-16 on Windows and UTF-32 on Linux, so every conversion goes
// through UTF-16 code units explicitly and never through UTF-8 or a code page, which
// would change characters outside ASCII.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace jl {

// The UTF-16 code units of a text. On Linux characters above U+FFFF become surrogate
// pairs, unpaired surrogates are kept as they are, and values beyond U+10FFFF become
// U+FFFD.
std::u16string toUtf16Units(const std::wstring& text);
// The inverse: surrogate pairs are joined on Linux, unpaired surrogates kept.
std::wstring fromUtf16Units(const char16_t* units, size_t count);

// A local reference to a new java.lang.String made through its char-array constructor,
// or null (with whatever exception the failing step left pending).
jstring toJavaString(const std::wstring& text, JNIEnv* env);
// A local reference to a new String[] holding the texts in order, or null.
jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env);
// The text of a Java string, read as UTF-16 (GetStringChars); empty for null or when
// the characters cannot be read.
std::wstring fromJavaString(jstring string, JNIEnv* env);

}  // namespace jl

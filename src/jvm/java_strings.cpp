#include "jvm/java_strings.h"

#include <cstdint>

namespace jl {

namespace {
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool isHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

std::u16string toUtf16Units(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t wc : text) {
        uint32_t c = static_cast<uint32_t>(wc);
        if (kWideIsUtf16 || c <= 0xFFFF) {
            units += static_cast<char16_t>(c);
        } else if (c <= 0x10FFFF) {
            c -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (c >> 10));
            units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            units += u'\uFFFD';
        }
    }
    return units;
}

std::wstring fromUtf16Units(const char16_t* units, size_t count) {
    std::wstring text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = units[i];
        if (!kWideIsUtf16 && isHighSurrogate(c) && i + 1 < count && isLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(units[i + 1]) - 0xDC00);
            ++i;
        }
        text += static_cast<wchar_t>(c);
    }
    return text;
}

jstring toJavaString(const std::wstring& text, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jstring result = nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    if (constructor) {
        const std::u16string units = toUtf16Units(text);
        const jsize length = static_cast<jsize>(units.size());
        if (jcharArray chars = env->NewCharArray(length)) {
            env->SetCharArrayRegion(chars, 0, length, reinterpret_cast<const jchar*>(units.data()));
            if (!env->ExceptionCheck()) {
                result = static_cast<jstring>(env->NewObject(stringClass, constructor, chars));
            }
            env->DeleteLocalRef(chars);
        }
    }
    env->DeleteLocalRef(stringClass);
    return result;
}

jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    env->DeleteLocalRef(stringClass);
    if (!array) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = toJavaString(texts[i], env);
        if (!element) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
        if (env->ExceptionCheck()) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
    }
    return array;
}

std::wstring fromJavaString(jstring string, JNIEnv* env) {
    if (!string) return {};
    const jsize length = env->GetStringLength(string);
    const jchar* chars = env->GetStringChars(string, nullptr);
    if (!chars) return {};
    std::wstring text = fromUtf16Units(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
    env->ReleaseStringChars(string, chars);
    return text;
}

}  // namespace jl

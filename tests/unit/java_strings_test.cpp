// The conversions between the launcher's texts and Java strings, against a fake JNIEnv.
#include "jvm/java_strings.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace jl {
namespace {

// A JNIEnv over a few fake objects: enough of the table for the string conversions,
// with any one call made to fail the way a virtual machine fails it.
struct FakeObject {
    std::string kind;
    std::u16string chars;
    std::vector<jobject> elements;
};

struct FakeVm {
    std::vector<std::unique_ptr<FakeObject>> heap;
    std::map<std::string, int> calls;
    std::string failing;     // the function that fails
    int failingCall = 1;     // on its Nth call
    bool pending = false;    // an exception is pending
    int liveCharArrays = 0;  // char arrays not yet deleted

    bool fails(const char* function) {
        if (++calls[function] == failingCall && failing == function) {
            pending = true;
            return true;
        }
        return false;
    }
    jobject make(const std::string& kind) {
        heap.push_back(std::make_unique<FakeObject>());
        heap.back()->kind = kind;
        return reinterpret_cast<jobject>(heap.back().get());
    }
};

FakeVm* vm = nullptr;
FakeObject* object(jobject o) { return reinterpret_cast<FakeObject*>(o); }
jmethodID constructorId() { return reinterpret_cast<jmethodID>(&vm); }

jclass JNICALL fakeFindClass(JNIEnv*, const char* name) {
    if (vm->fails("FindClass")) return nullptr;
    return static_cast<jclass>(vm->make(std::string("class ") + name));
}
jmethodID JNICALL fakeGetMethodID(JNIEnv*, jclass c, const char* name, const char* signature) {
    if (vm->fails("GetMethodID")) return nullptr;
    EXPECT_EQ(object(c)->kind, "class java/lang/String");
    EXPECT_STREQ(name, "<init>");
    EXPECT_STREQ(signature, "([C)V");
    return constructorId();
}
jcharArray JNICALL fakeNewCharArray(JNIEnv*, jsize length) {
    if (vm->fails("NewCharArray")) return nullptr;
    jobject a = vm->make("char[]");
    object(a)->chars.assign(static_cast<size_t>(length), u'?');
    ++vm->liveCharArrays;
    return static_cast<jcharArray>(a);
}
void JNICALL fakeSetCharArrayRegion(JNIEnv*, jcharArray a, jsize start, jsize length, const jchar* units) {
    if (vm->fails("SetCharArrayRegion")) return;
    object(a)->chars.replace(static_cast<size_t>(start), static_cast<size_t>(length),
                             reinterpret_cast<const char16_t*>(units), static_cast<size_t>(length));
}
jboolean JNICALL fakeExceptionCheck(JNIEnv*) { return vm->pending ? JNI_TRUE : JNI_FALSE; }
jthrowable JNICALL fakeExceptionOccurred(JNIEnv*) {
    return vm->pending ? static_cast<jthrowable>(vm->make("exception")) : nullptr;
}
// The C++ binding of jni.h forwards the variadic NewObject to this entry.
jobject JNICALL fakeNewObjectV(JNIEnv*, jclass, jmethodID method, va_list args) {
    if (vm->fails("NewObject")) return nullptr;
    EXPECT_EQ(method, constructorId());
    jobject chars = va_arg(args, jobject);
    jobject s = vm->make("String");
    object(s)->chars = object(chars)->chars;
    return s;
}
void JNICALL fakeDeleteLocalRef(JNIEnv*, jobject o) {
    if (o && object(o)->kind == "char[]") {
        object(o)->kind = "deleted";
        --vm->liveCharArrays;
    }
}
jobjectArray JNICALL fakeNewObjectArray(JNIEnv*, jsize length, jclass, jobject initial) {
    if (vm->fails("NewObjectArray")) return nullptr;
    jobject a = vm->make("String[]");
    object(a)->elements.assign(static_cast<size_t>(length), initial);
    return static_cast<jobjectArray>(a);
}
void JNICALL fakeSetObjectArrayElement(JNIEnv*, jobjectArray a, jsize index, jobject value) {
    if (vm->fails("SetObjectArrayElement")) return;
    object(a)->elements.at(static_cast<size_t>(index)) = value;
}
jsize JNICALL fakeGetStringLength(JNIEnv*, jstring s) { return static_cast<jsize>(object(s)->chars.size()); }
const jchar* JNICALL fakeGetStringChars(JNIEnv*, jstring s, jboolean*) {
    if (vm->fails("GetStringChars")) return nullptr;
    return reinterpret_cast<const jchar*>(object(s)->chars.c_str());
}
void JNICALL fakeReleaseStringChars(JNIEnv*, jstring, const jchar*) { ++vm->calls["ReleaseStringChars"]; }

class JavaStringsTest : public ::testing::Test {
protected:
    void SetUp() override {
        vm = &fake_;
        table_.FindClass = fakeFindClass;
        table_.GetMethodID = fakeGetMethodID;
        table_.NewCharArray = fakeNewCharArray;
        table_.SetCharArrayRegion = fakeSetCharArrayRegion;
        table_.ExceptionCheck = fakeExceptionCheck;
        table_.ExceptionOccurred = fakeExceptionOccurred;
        table_.NewObjectV = fakeNewObjectV;
        table_.DeleteLocalRef = fakeDeleteLocalRef;
        table_.NewObjectArray = fakeNewObjectArray;
        table_.SetObjectArrayElement = fakeSetObjectArrayElement;
        table_.GetStringLength = fakeGetStringLength;
        table_.GetStringChars = fakeGetStringChars;
        table_.ReleaseStringChars = fakeReleaseStringChars;
        env_.functions = &table_;
    }
    void TearDown() override { vm = nullptr; }

    FakeVm fake_;
    JNINativeInterface_ table_{};
    JNIEnv env_{};
};

// Characters outside the basic plane are one wchar_t on Linux and a surrogate pair on
// Windows; both must give the same UTF-16 units.
const std::wstring kMixed = L"a\u00e9\u20ac\U0001F600z";
const std::u16string kMixedUnits = u"a\u00e9\u20ac\U0001F600z";

TEST(Utf16Units, Conversions) {
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""}, {kMixed, kMixedUnits}, {L"\u65e5\u672c\u8a9e \u0434\u0430", u"\u65e5\u672c\u8a9e \u0434\u0430"},
        {L"\uFFFF\U0010FFFF", u"\uFFFF\U0010FFFF"},  // the last unit alone, the last pair
        {std::wstring(1, L'\0') + L"x", std::u16string(1, u'\0') + u"x"},
        // Unpaired surrogates survive as they are, in both directions.
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"b", std::u16string(1, static_cast<char16_t>(0xD800)) + u"b"},
        {L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00)), u"a" + std::u16string(1, static_cast<char16_t>(0xDC00))},
    };
    for (const auto& [text, units] : cases) {
        EXPECT_EQ(toUtf16Units(text), units);
        EXPECT_EQ(fromUtf16Units(units.data(), units.size()), text);
    }
    // Beyond Unicode, which only a 32-bit wchar_t can hold: the replacement character.
    if (sizeof(wchar_t) == 4) EXPECT_EQ(toUtf16Units(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
}

TEST_F(JavaStringsTest, TextsGoThereAndBackUnchanged) {
    jstring s = toJavaString(kMixed, &env_);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(object(s)->chars, kMixedUnits);
    EXPECT_EQ(fake_.liveCharArrays, 0) << "the char array must be released";
    EXPECT_EQ(fromJavaString(s, &env_), kMixed);
    EXPECT_EQ(fake_.calls["ReleaseStringChars"], 1);

    const std::vector<std::wstring> texts = {L"first", L"", kMixed, L"-nosplash"};
    jobjectArray a = toJavaStringArray(texts, &env_);
    ASSERT_NE(a, nullptr);
    std::vector<std::wstring> elements;
    for (jobject e : object(a)->elements) elements.push_back(fromJavaString(static_cast<jstring>(e), &env_));
    EXPECT_EQ(elements, texts);
    jobjectArray empty = toJavaStringArray({}, &env_);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(object(empty)->elements.empty());

    // A string whose characters cannot be had, and none at all.
    fake_.failing = "GetStringChars";
    fake_.calls.clear();
    EXPECT_EQ(fromJavaString(s, &env_), L"");
    EXPECT_EQ(fromJavaString(nullptr, &env_), L"");
}

TEST_F(JavaStringsTest, AFailureAtAnyStepGivesNothingAndLeaksNoCharArray) {
    struct Case {
        const char* step;
        int call;
        bool array;
    };
    // For an array FindClass's first call is the element class; NewObject's second call is
    // the second element.
    const Case cases[] = {{"FindClass", 1, false},      {"GetMethodID", 1, false},    {"NewCharArray", 1, false},
                          {"SetCharArrayRegion", 1, false}, {"NewObject", 1, false},  {"FindClass", 1, true},
                          {"NewObjectArray", 1, true},   {"NewObject", 2, true},       {"FindClass", 3, true},
                          {"SetObjectArrayElement", 3, true}};
    for (const Case& c : cases) {
        fake_ = FakeVm{};
        fake_.failing = c.step;
        fake_.failingCall = c.call;
        const void* made = c.array ? static_cast<void*>(toJavaStringArray({L"a", L"b", L"c"}, &env_))
                                   : static_cast<void*>(toJavaString(L"text", &env_));
        EXPECT_EQ(made, nullptr) << c.step << " " << c.call;
        EXPECT_EQ(fake_.liveCharArrays, 0) << c.step;
        // A failed element copy must not go on to construct a string.
        if (std::string(c.step) == "SetCharArrayRegion") EXPECT_EQ(fake_.calls["NewObject"], 0);
    }
}

}  // namespace
}  // namespace jl

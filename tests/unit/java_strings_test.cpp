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
    struct Case {
        std::wstring text;
        std::u16string units;
    };
    const Case cases[] = {
        {L"", u""},
        {L"plain ASCII", u"plain ASCII"},
        {kMixed, kMixedUnits},
        {L"\u65e5\u672c\u8a9e \u0434\u0430", u"\u65e5\u672c\u8a9e \u0434\u0430"},
        {std::wstring(1, L'\0') + L"x", std::u16string(1, u'\0') + u"x"},
        // Unpaired surrogates survive as they are, in both directions.
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"b", std::u16string(1, static_cast<char16_t>(0xD800)) + u"b"},
        {L"a" + std::wstring(1, static_cast<wchar_t>(0xDC00)), u"a" + std::u16string(1, static_cast<char16_t>(0xDC00))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toUtf16Units(c.text), c.units);
        EXPECT_EQ(fromUtf16Units(c.units.data(), c.units.size()), c.text);
    }
}

TEST(Utf16Units, BeyondUnicodeBecomesReplacement) {
    if (sizeof(wchar_t) == 2) GTEST_SKIP() << "a UTF-16 wchar_t cannot hold such a value";
    const std::wstring text(1, static_cast<wchar_t>(0x110000));
    EXPECT_EQ(toUtf16Units(text), u"\uFFFD");
}

TEST_F(JavaStringsTest, StringKeepsEveryCodeUnit) {
    jstring s = toJavaString(kMixed, &env_);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(object(s)->chars, kMixedUnits);
    EXPECT_EQ(fake_.liveCharArrays, 0) << "the char array must be released";
    EXPECT_EQ(fromJavaString(s, &env_), kMixed);
    EXPECT_EQ(fake_.calls["ReleaseStringChars"], 1);
}

TEST_F(JavaStringsTest, StringFailsAtEachStep) {
    for (const char* step : {"FindClass", "GetMethodID", "NewCharArray", "SetCharArrayRegion", "NewObject"}) {
        fake_ = FakeVm{};
        fake_.failing = step;
        EXPECT_EQ(toJavaString(L"text", &env_), nullptr) << step;
        EXPECT_EQ(fake_.liveCharArrays, 0) << step;
        // A failed element copy must not go on to construct a string.
        if (std::string(step) == "SetCharArrayRegion") EXPECT_EQ(fake_.calls["NewObject"], 0);
    }
}

TEST_F(JavaStringsTest, ArrayHoldsTheTextsInOrder) {
    const std::vector<std::wstring> texts = {L"first", L"", kMixed, L"-nosplash"};
    jobjectArray a = toJavaStringArray(texts, &env_);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(object(a)->elements.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(fromUtf16Units(object(object(a)->elements[i])->chars.data(),
                                 object(object(a)->elements[i])->chars.size()),
                  texts[i]);
    }

    jobjectArray empty = toJavaStringArray({}, &env_);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(object(empty)->elements.empty());
}

TEST_F(JavaStringsTest, ArrayFailsWhenAnyStepFails) {
    struct Case {
        const char* step;
        int call;
    };
    // FindClass's first call is the array's element class; NewObject's second call is
    // the second element.
    const Case cases[] = {{"FindClass", 1}, {"NewObjectArray", 1}, {"NewObject", 2},
                          {"FindClass", 3}, {"SetObjectArrayElement", 3}};
    for (const Case& c : cases) {
        fake_ = FakeVm{};
        fake_.failing = c.step;
        fake_.failingCall = c.call;
        EXPECT_EQ(toJavaStringArray({L"a", L"b", L"c"}, &env_), nullptr) << c.step << " " << c.call;
        EXPECT_EQ(fake_.liveCharArrays, 0) << c.step;
    }
}

TEST_F(JavaStringsTest, UnreadableStringGivesEmptyText) {
    jstring s = toJavaString(L"abc", &env_);
    ASSERT_NE(s, nullptr);
    fake_.failing = "GetStringChars";
    EXPECT_EQ(fromJavaString(s, &env_), L"");
    EXPECT_EQ(fromJavaString(nullptr, &env_), L"");
}

}  // namespace
}  // namespace jl

#include "vm.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform.h"

namespace testjvm {

// ---------------------------------------------------------------------------------
// What the test chose, read from the environment at each JNI_CreateJavaVM:
//   TESTJVM_LOG             the log file (default: testjvm.log beside the library)
//   TESTJVM_CREATE_RESULT   what JNI_CreateJavaVM returns (default 0)
//   TESTJVM_DEFAULT_STACK   javaStackSize answered to a JNI 1.1 default-arguments query
//   TESTJVM_EXIT_CODE       the code app/Exits and app/ExitsLater pass to System.exit (3)
//   TESTJVM_EXIT_DELAY      milliseconds app/ExitsLater's thread waits (1000)
//   TESTJVM_SECONDARY_RESULT what the int form of secondaryMain returns (7)
//   TESTJVM_SECONDARY_DELAY milliseconds either form of secondaryMain takes (0)
//   TESTJVM_MAIN_DELAY      milliseconds the main of a class that records its arguments
//                           or has a secondaryMain takes before it returns (0); it
//                           returns earlier once the file TESTJVM_MAIN_STOP exists
//   TESTJVM_CREATE_DELAY    milliseconds JNI_CreateJavaVM takes (0)
//   TESTJVM_SHUTTING_DOWN   1: the virtual machine's shutdown has begun (no shutdown hook is
//                           taken), as it has anyway once DestroyJavaVM has waited for the
//                           program's threads
//   TESTJVM_DESTROY_DELAY   milliseconds DestroyJavaVM takes after the virtual machine has
//                           exited, before it returns (0); a thread that attaches in that
//                           time blocks for good, as one entering an exited VM does, and
//                           one that attaches after it is refused
//   TESTJVM_HELPER          "missing": no launcher helper class; "nomethod": it has no
//                           checkAndLoadMain; "null": checkAndLoadMain throws;
//                           "nofields": the helper of a runtime before Java 25, without
//                           the fields isStaticMain and noArgMain that tell how to call
//                           the main it found
//   TESTJVM_DESCRIBE_KEEPS  1: ExceptionDescribe prints but leaves the exception pending,
//                           as one runtime was seen to do
//   TESTJVM_FAIL            comma-separated JNI function names, each optionally with
//                           ":N" for only its Nth call; those calls fail with an
//                           exception pending (OutOfMemoryError and the like)
// ---------------------------------------------------------------------------------

namespace {

struct Control {
    std::string logPath;
    Int createResult = kOk;
    Int defaultStack = 2097152;
    Int exitCode = 3;
    int exitDelay = 1000;
    Int secondaryResult = 7;
    int secondaryDelay = 0;
    int mainDelay = 0;
    int createDelay = 0;
    int destroyDelay = 0;
    bool shuttingDown = false;
    bool describeKeeps = false;
    std::string mainStop;
    std::string helper;
    std::vector<std::pair<std::string, int>> failures;  // name, call number (0: every call)
    std::map<std::string, int> calls;
};

std::mutex stateMutex;
Control control;

int numberOr(const char* name, int fallback) {
    std::string value;
    if (!environmentValue(name, value) || value.empty()) return fallback;
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 0));
}

void readControl() {
    Control c;
    if (!environmentValue("TESTJVM_LOG", c.logPath) || c.logPath.empty()) c.logPath = ownFolder() + "testjvm.log";
    c.createResult = numberOr("TESTJVM_CREATE_RESULT", kOk);
    c.defaultStack = numberOr("TESTJVM_DEFAULT_STACK", 2097152);
    c.exitCode = numberOr("TESTJVM_EXIT_CODE", 3);
    c.exitDelay = numberOr("TESTJVM_EXIT_DELAY", 1000);
    c.secondaryResult = numberOr("TESTJVM_SECONDARY_RESULT", 7);
    c.secondaryDelay = numberOr("TESTJVM_SECONDARY_DELAY", 0);
    c.mainDelay = numberOr("TESTJVM_MAIN_DELAY", 0);
    c.createDelay = numberOr("TESTJVM_CREATE_DELAY", 0);
    c.destroyDelay = numberOr("TESTJVM_DESTROY_DELAY", 0);
    c.shuttingDown = numberOr("TESTJVM_SHUTTING_DOWN", 0) != 0;
    c.describeKeeps = numberOr("TESTJVM_DESCRIBE_KEEPS", 0) != 0;
    environmentValue("TESTJVM_MAIN_STOP", c.mainStop);
    environmentValue("TESTJVM_HELPER", c.helper);
    std::string failures;
    environmentValue("TESTJVM_FAIL", failures);
    size_t pos = 0;
    while (pos < failures.size()) {
        size_t comma = failures.find(',', pos);
        std::string item = failures.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t colon = item.find(':');
        int nth = colon == std::string::npos ? 0 : std::atoi(item.c_str() + colon + 1);
        if (!item.empty()) c.failures.emplace_back(item.substr(0, colon), nth);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    std::lock_guard<std::mutex> lock(stateMutex);
    control = std::move(c);
}

void record(const std::string& line) {
    std::lock_guard<std::mutex> lock(stateMutex);
    appendToFile(control.logPath, line + "\n");
}

// True when the test asked this call of `function` to fail.
bool injectedFailure(const char* function) {
    std::lock_guard<std::mutex> lock(stateMutex);
    int n = ++control.calls[function];
    for (const auto& failure : control.failures) {
        if (failure.first == function && (failure.second == 0 || failure.second == n)) return true;
    }
    return false;
}

std::string hex(Int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<unsigned>(value));
    return buffer;
}

// --- text --------------------------------------------------------------------------

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 as UTF-8; with `escape`, control characters, backslashes and unpaired
// surrogates are written as escapes so that one log line holds one value.
std::string toUtf8(const std::u16string& text, bool escape) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (escape && (c < 0x20 || c == '\\' || (c >= 0xD800 && c <= 0xDFFF))) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, c == '\\' ? "\\\\" : "\\u%04X", c);
            out += buffer;
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

// Standard UTF-8 (and the modified form's two-byte zero) to UTF-16.
std::u16string fromUtf8(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t c;
        size_t extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else { c = b & 0x07; extra = 3; }
        ++i;
        for (size_t k = 0; k < extra && i < text.size(); ++k, ++i) c = (c << 6) | (text[i] & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

// Modified UTF-8 as JNI defines it: each UTF-16 unit on its own (a pair as two
// three-byte sequences), U+0000 as two bytes.
std::string toModifiedUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit == 0) out += "\xC0\x80";
        else appendUtf8(out, unit);
    }
    return out;
}

std::string dotted(std::string name) {
    for (char& c : name) {
        if (c == '/') c = '.';
    }
    return name;
}

// --- objects -----------------------------------------------------------------------

enum class Kind { Class, String, CharArray, ObjectArray, Throwable, FileStream, PrintStream, ByteStream, Plain };

}  // namespace

struct Object {
    Kind kind = Kind::Plain;
    std::string className;       // the object's class; for a Class object the class it names
    std::u16string chars;        // String, CharArray
    std::vector<Ref> elements;   // ObjectArray
    std::string message;         // Throwable
    std::string path;            // FileStream
    Ref target = nullptr;        // PrintStream: the stream it writes to
    std::string bytes;           // ByteStream
};

namespace {

// The Instance and NoArgs kinds have the main methods Java 25 accepts: an instance
// main(String[]) or main() (on an object made by the no-argument constructor, which
// BadConstructor's throws) and a static main().
enum class MainKind {
    Records, Exits, Throws, NoMain, NoMainQuiet, BadInit, ExitsLater, SecondaryVoid, SecondaryInt,
    InstanceMain, InstanceNoArgs, StaticNoArgs, BadConstructor,
};

struct AppClass {
    const char* name;
    MainKind kind;
};
constexpr AppClass kAppClasses[] = {
    {"app/Records", MainKind::Records},
    {"app/Gr\xC3\xBC\xC3\x9F" "e", MainKind::Records},  // "app/Grüße"
    {"app/Exits", MainKind::Exits},
    {"app/Throws", MainKind::Throws},
    {"app/NoMain", MainKind::NoMain},
    {"app/NoMainQuiet", MainKind::NoMainQuiet},
    {"app/BadInit", MainKind::BadInit},
    {"app/ExitsLater", MainKind::ExitsLater},
    {"app/SecondaryVoid", MainKind::SecondaryVoid},
    {"app/SecondaryInt", MainKind::SecondaryInt},
    {"app/InstanceMain", MainKind::InstanceMain},
    {"app/InstanceNoArgs", MainKind::InstanceNoArgs},
    {"app/StaticNoArgs", MainKind::StaticNoArgs},
    {"app/BadConstructor", MainKind::BadConstructor},
};

constexpr const char* kLibraryClasses[] = {
    "java/lang/Object", "java/lang/String", "java/lang/System", "java/lang/Class",
    "java/lang/Throwable", "java/lang/NoSuchMethodError", "java/lang/NoClassDefFoundError",
    "java/lang/ExceptionInInitializerError", "java/lang/IllegalStateException",
    "java/lang/OutOfMemoryError", "java/lang/ArrayIndexOutOfBoundsException",
    "java/lang/NullPointerException", "java/io/OutputStream", "java/io/FileOutputStream",
    "java/io/PrintStream", "java/io/ByteArrayOutputStream", "java/io/FileNotFoundException",
    "java/lang/Runtime", "java/lang/Thread",
};
constexpr const char* kLauncherHelper = "sun/launcher/LauncherHelper";

enum class MethodId {
    StringInit, FileStreamInit, PrintStreamInit, PrintStreamEncodingInit, ByteStreamInit, ByteStreamToString,
    ByteStreamToStringEncoding, PrintStackTrace, StringValueOf,
    CheckAndLoadMain, SystemSetOut, SystemSetErr, SystemExit, Main, MainNoArgs, AppInit, SecondaryMainVoid,
    SecondaryMainInt, RuntimeGetRuntime, RuntimeAddShutdownHook, RuntimeRemoveShutdownHook, ThreadInit,
};
struct Method {
    MethodId id;
    const char* name;
    const char* signature;
};
constexpr Method kMethods[] = {
    {MethodId::StringInit, "<init>", "([C)V"},
    {MethodId::FileStreamInit, "<init>", "(Ljava/lang/String;Z)V"},
    {MethodId::PrintStreamInit, "<init>", "(Ljava/io/OutputStream;)V"},
    {MethodId::PrintStreamEncodingInit, "<init>", "(Ljava/io/OutputStream;ZLjava/lang/String;)V"},
    {MethodId::ByteStreamInit, "<init>", "()V"},
    {MethodId::ByteStreamToString, "toString", "()Ljava/lang/String;"},
    {MethodId::ByteStreamToStringEncoding, "toString", "(Ljava/lang/String;)Ljava/lang/String;"},
    {MethodId::PrintStackTrace, "printStackTrace", "(Ljava/io/PrintStream;)V"},
    {MethodId::StringValueOf, "valueOf", "(Ljava/lang/Object;)Ljava/lang/String;"},
    {MethodId::CheckAndLoadMain, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;"},
    {MethodId::SystemSetOut, "setOut", "(Ljava/io/PrintStream;)V"},
    {MethodId::SystemSetErr, "setErr", "(Ljava/io/PrintStream;)V"},
    {MethodId::SystemExit, "exit", "(I)V"},
    {MethodId::Main, "main", "([Ljava/lang/String;)V"},
    {MethodId::MainNoArgs, "main", "()V"},
    {MethodId::AppInit, "<init>", "()V"},
    {MethodId::SecondaryMainVoid, "secondaryMain", "([Ljava/lang/String;)V"},
    {MethodId::SecondaryMainInt, "secondaryMain", "([Ljava/lang/String;)I"},
    {MethodId::RuntimeGetRuntime, "getRuntime", "()Ljava/lang/Runtime;"},
    {MethodId::RuntimeAddShutdownHook, "addShutdownHook", "(Ljava/lang/Thread;)V"},
    {MethodId::RuntimeRemoveShutdownHook, "removeShutdownHook", "(Ljava/lang/Thread;)Z"},
    {MethodId::ThreadInit, "<init>", "()V"},
};
const Method* methodById(MethodId id) {
    for (const Method& m : kMethods) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

// The launcher helper's static fields that tell how to call the main it found.
struct Field {
    const char* name;
};
constexpr Field kIsStaticMain{"isStaticMain"};
constexpr Field kNoArgMain{"noArgMain"};

// State of one created virtual machine; objects live until the process ends.
struct VmState {
    bool created = false;
    std::atomic<bool> destroyed{false};
    std::atomic<bool> exited{false};  // inside DestroyJavaVM, after the virtual machine has exited
    std::atomic<bool> shuttingDown{false};  // DestroyJavaVM has waited for the program's threads
    uint64_t creatorThread = 0;
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;
    Ref out = nullptr;  // System.out: a PrintStream, or null for the process's own stream
    Ref err = nullptr;
    // What the launcher helper's last checkAndLoadMain found.
    bool staticMain = true;
    bool noArgMain = false;
    // Never destroyed: a program may end the process while one of them still runs.
    std::vector<std::thread>* nonDaemonThreads = new std::vector<std::thread>;
};
VmState vmState;
std::vector<std::unique_ptr<Object>> heap;
std::map<std::string, Ref> classes;
std::mutex heapMutex;
thread_local Ref pendingException = nullptr;
thread_local bool attached = false;

Ref newObject(Kind kind, const std::string& className) {
    std::lock_guard<std::mutex> lock(heapMutex);
    heap.push_back(std::make_unique<Object>());
    heap.back()->kind = kind;
    heap.back()->className = className;
    return heap.back().get();
}

bool isThrowableName(const std::string& name) {
    auto endsWith = [&](const char* suffix) {
        size_t n = std::strlen(suffix);
        return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
    };
    return name == "java/lang/Throwable" || endsWith("Error") || endsWith("Exception");
}

const AppClass* appClass(const std::string& name) {
    for (const AppClass& c : kAppClasses) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

bool isKnownClass(const std::string& name) {
    if (appClass(name)) return true;
    for (const char* c : kLibraryClasses) {
        if (name == c) return true;
    }
    return false;
}

Ref classRef(const std::string& name) {
    {
        std::lock_guard<std::mutex> lock(heapMutex);
        auto it = classes.find(name);
        if (it != classes.end()) return it->second;
    }
    Ref c = newObject(Kind::Class, name);
    std::lock_guard<std::mutex> lock(heapMutex);
    classes[name] = c;
    return c;
}

void raise(const std::string& className, const std::string& message) {
    Ref e = newObject(Kind::Throwable, className);
    e->message = message;
    pendingException = e;
}

std::string describe(Ref e) {
    std::string text = dotted(e->className);
    if (!e->message.empty()) text += ": " + e->message;
    return text;
}

std::string stackTrace(Ref e) { return describe(e) + "\n\tat app.Scripted.main(Scripted.java)\n"; }

// Writes through a PrintStream (null: the process's standard error).
void writeThrough(Ref printStream, const std::string& text) {
    Ref stream = printStream ? printStream->target : nullptr;
    if (!stream) {
        writeStandardError(text);
    } else if (stream->kind == Kind::FileStream) {
        appendToFile(stream->path, text);
    } else if (stream->kind == Kind::ByteStream) {
        stream->bytes += text;
    }
}

[[noreturn]] void exitVm(Int code) {
    record("exit " + std::to_string(code));
    if (vmState.exitHook) {
        vmState.exitHook(code);
        record("exit hook returned");
    }
    endProcess(code);
}

// --- arguments of the Call*Method and NewObject families -----------------------

class Arguments {
public:
    explicit Arguments(va_list* list) : list_(list) {}
    explicit Arguments(const Value* values) : values_(values) {}
    Ref ref() { return list_ ? va_arg(*list_, Ref) : values_[next_++].l; }
    Int integer() { return list_ ? static_cast<Int>(va_arg(*list_, int)) : values_[next_++].i; }
    bool boolean() { return list_ ? va_arg(*list_, int) != 0 : values_[next_++].z != 0; }

private:
    va_list* list_ = nullptr;
    const Value* values_ = nullptr;
    int next_ = 0;
};

Ref makeString(const std::u16string& chars) {
    Ref s = newObject(Kind::String, "java/lang/String");
    s->chars = chars;
    return s;
}

// --- the JNIEnv functions ---------------------------------------------------------

Env theEnv{nullptr};
Vm theVm{nullptr};

static Int TJ_CALL tj_GetVersion(Env*) { return 0x000a0000; }

// JNI allows only a few calls while an exception is pending; these fail then.
bool calledWithExceptionPending(const char* function) {
    if (!pendingException) return false;
    record(std::string(function) + " called with an exception pending");
    return true;
}

static Ref TJ_CALL tj_FindClass(Env*, const char* name) {
    record(std::string("FindClass ") + name);
    if (calledWithExceptionPending("FindClass")) return nullptr;
    if (injectedFailure("FindClass")) {
        raise("java/lang/OutOfMemoryError", "injected failure of FindClass");
        return nullptr;
    }
    if (!isKnownClass(name)) {
        raise("java/lang/NoClassDefFoundError", name);
        return nullptr;
    }
    return classRef(name);
}

static Int TJ_CALL tj_Throw(Env*, Ref e) {
    pendingException = e;
    return kOk;
}

static Int TJ_CALL tj_ThrowNew(Env*, Ref c, const char* message) {
    raise(c->className, message ? message : "");
    return kOk;
}

static Ref TJ_CALL tj_ExceptionOccurred(Env*) { return pendingException; }

static void TJ_CALL tj_ExceptionDescribe(Env*) {
    if (!pendingException) return;
    Ref e = pendingException;
    if (!control.describeKeeps) pendingException = nullptr;
    record("ExceptionDescribe " + describe(e));
    writeThrough(vmState.err, "Exception in thread \"main\" " + stackTrace(e));
}

static void TJ_CALL tj_ExceptionClear(Env*) {
    if (pendingException) record("ExceptionClear " + describe(pendingException));
    pendingException = nullptr;
}

static void TJ_CALL tj_FatalError(Env*, const char* message) {
    record(std::string("FatalError ") + message);
    endProcess(134);
}

static Int TJ_CALL tj_PushLocalFrame(Env*, Int) { return kOk; }
static Ref TJ_CALL tj_PopLocalFrame(Env*, Ref result) { return result; }
static Ref TJ_CALL tj_NewGlobalRef(Env*, Ref o) { return o; }
static void TJ_CALL tj_DeleteGlobalRef(Env*, Ref) {}
static void TJ_CALL tj_DeleteLocalRef(Env*, Ref) {}
static Boolean TJ_CALL tj_IsSameObject(Env*, Ref a, Ref b) { return a == b; }
static Ref TJ_CALL tj_NewLocalRef(Env*, Ref o) { return o; }
static Int TJ_CALL tj_EnsureLocalCapacity(Env*, Int) { return kOk; }

static Ref TJ_CALL tj_GetObjectClass(Env*, Ref o) { return o ? classRef(o->className) : nullptr; }

static Boolean TJ_CALL tj_IsInstanceOf(Env*, Ref o, Ref c) {
    if (!o) return 1;
    const std::string& name = c->className;
    return name == o->className || name == "java/lang/Object" ||
           (name == "java/lang/Throwable" && o->kind == Kind::Throwable);
}

static const Method* lookUp(Env*, Ref c, const char* name, const char* signature, bool isStatic,
                            const char* function) {
    record(std::string(function) + " " + c->className + " " + name + " " + signature);
    if (calledWithExceptionPending(function)) return nullptr;
    if (injectedFailure(function)) {
        raise("java/lang/OutOfMemoryError", std::string("injected failure of ") + function);
        return nullptr;
    }
    const std::string& cls = c->className;
    std::vector<MethodId> offered;
    if (!isStatic) {
        if (cls == "java/lang/String") offered = {MethodId::StringInit};
        else if (cls == "java/io/FileOutputStream") offered = {MethodId::FileStreamInit};
        else if (cls == "java/io/PrintStream") offered = {MethodId::PrintStreamInit, MethodId::PrintStreamEncodingInit};
        else if (cls == "java/io/ByteArrayOutputStream")
            offered = {MethodId::ByteStreamInit, MethodId::ByteStreamToString, MethodId::ByteStreamToStringEncoding};
        else if (isThrowableName(cls)) offered = {MethodId::PrintStackTrace};
        else if (cls == "java/lang/Thread") offered = {MethodId::ThreadInit};
        else if (cls == "java/lang/Runtime")
            offered = {MethodId::RuntimeAddShutdownHook, MethodId::RuntimeRemoveShutdownHook};
        else if (const AppClass* app = appClass(cls)) {
            switch (app->kind) {
                case MainKind::InstanceMain:
                case MainKind::BadConstructor: offered = {MethodId::AppInit, MethodId::Main}; break;
                case MainKind::InstanceNoArgs: offered = {MethodId::AppInit, MethodId::MainNoArgs}; break;
                default: break;
            }
        }
    } else if (cls == kLauncherHelper) {
        if (control.helper != "nomethod") offered = {MethodId::CheckAndLoadMain};
    } else if (cls == "java/lang/Runtime") {
        offered = {MethodId::RuntimeGetRuntime};
    } else if (cls == "java/lang/String") {
        offered = {MethodId::StringValueOf};
    } else if (cls == "java/lang/System") {
        offered = {MethodId::SystemSetOut, MethodId::SystemSetErr, MethodId::SystemExit};
    } else if (const AppClass* app = appClass(cls)) {
        switch (app->kind) {
            case MainKind::BadInit:
                raise("java/lang/ExceptionInInitializerError", "static initializer of " + dotted(cls) + " threw");
                return nullptr;
            case MainKind::NoMain: break;
            case MainKind::NoMainQuiet: return nullptr;
            case MainKind::SecondaryVoid: offered = {MethodId::Main, MethodId::SecondaryMainVoid}; break;
            case MainKind::SecondaryInt: offered = {MethodId::Main, MethodId::SecondaryMainInt}; break;
            case MainKind::InstanceMain:
            case MainKind::InstanceNoArgs:
            case MainKind::BadConstructor: break;
            case MainKind::StaticNoArgs: offered = {MethodId::MainNoArgs}; break;
            default: offered = {MethodId::Main}; break;
        }
    }
    for (MethodId id : offered) {
        const Method* m = methodById(id);
        if (std::strcmp(m->name, name) == 0 && std::strcmp(m->signature, signature) == 0) return m;
    }
    raise("java/lang/NoSuchMethodError", name);
    return nullptr;
}

static const Method* TJ_CALL tj_GetMethodID(Env* env, Ref c, const char* name, const char* signature) {
    return lookUp(env, c, name, signature, false, "GetMethodID");
}

static const Method* TJ_CALL tj_GetStaticMethodID(Env* env, Ref c, const char* name, const char* signature) {
    return lookUp(env, c, name, signature, true, "GetStaticMethodID");
}

static Ref newObjectWith(Ref c, const Method* m, Arguments& args) {
    record("NewObject " + c->className);
    if (injectedFailure("NewObject")) {
        raise("java/lang/OutOfMemoryError", "injected failure of NewObject");
        return nullptr;
    }
    switch (m->id) {
        case MethodId::StringInit: {
            Ref chars = args.ref();
            if (!chars) {
                raise("java/lang/NullPointerException", "");
                return nullptr;
            }
            return makeString(chars->chars);
        }
        case MethodId::FileStreamInit: {
            Ref name = args.ref();
            bool append = args.boolean();
            std::string path = toUtf8(name->chars, false);
            record("FileOutputStream " + toUtf8(name->chars, true) + (append ? " append" : " truncate"));
            if (!openForWriting(path, append)) {
                raise("java/io/FileNotFoundException", path);
                return nullptr;
            }
            Ref stream = newObject(Kind::FileStream, c->className);
            stream->path = path;
            return stream;
        }
        case MethodId::PrintStreamInit:
        case MethodId::PrintStreamEncodingInit: {
            Ref stream = newObject(Kind::PrintStream, c->className);
            stream->target = args.ref();
            if (m->id == MethodId::PrintStreamEncodingInit) {
                (void)args.boolean();
                Ref encoding = args.ref();
                // The scripted streams write UTF-8 only.
                if (!encoding || toUtf8(encoding->chars, false) != "UTF-8") {
                    raise("java/io/UnsupportedEncodingException", encoding ? toUtf8(encoding->chars, true) : "");
                    return nullptr;
                }
            }
            return stream;
        }
        case MethodId::ByteStreamInit: return newObject(Kind::ByteStream, c->className);
        case MethodId::ThreadInit: return newObject(Kind::Plain, c->className);
        case MethodId::AppInit: {
            const AppClass* app = appClass(c->className);
            if (app && app->kind == MainKind::BadConstructor) {
                raise("java/lang/IllegalStateException", "thrown by the constructor of " + dotted(c->className));
                return nullptr;
            }
            record("constructed " + c->className);
            return newObject(Kind::Plain, c->className);
        }
        default:
            raise("java/lang/IllegalStateException", std::string("not a constructor: ") + m->name);
            return nullptr;
    }
}

static Ref tj_NewObject(Env*, Ref c, const Method* m, ...) {
    va_list list;
    va_start(list, m);
    Arguments args(&list);
    Ref result = newObjectWith(c, m, args);
    va_end(list);
    return result;
}

static Ref TJ_CALL tj_NewObjectV(Env*, Ref c, const Method* m, va_list list) {
    va_list copy;
    va_copy(copy, list);
    Arguments args(&copy);
    Ref result = newObjectWith(c, m, args);
    va_end(copy);
    return result;
}

static Ref TJ_CALL tj_NewObjectA(Env*, Ref c, const Method* m, const Value* values) {
    Arguments args(values);
    return newObjectWith(c, m, args);
}

// One write for the whole list, so that lists of calls running at the same time (the
// forwarded launches of single instance) never interleave in the log.
std::string recordArguments(const char* what, Ref array) {
    std::string line = std::string(what) + " args=" + std::to_string(array ? array->elements.size() : 0);
    std::string block = line;
    if (array) {
        for (size_t i = 0; i < array->elements.size(); ++i) {
            Ref s = array->elements[i];
            block += "\narg " + std::to_string(i) + ": " + (s ? toUtf8(s->chars, true) : std::string("(null)"));
        }
    }
    record(block);
    return line;
}

// A main that keeps its process alive for a while: until the stop file exists or the
// delay has passed.
void mainDelay() {
    const int delay = control.mainDelay;
    const std::string stop = control.mainStop;
    for (int waited = 0; waited < delay; waited += 20) {
        if (!stop.empty() && fileExists(stop)) break;
        sleepMilliseconds(20);
    }
}

// Runs a main: static ones on their class, instance ones on an object of it; a main
// without parameters has no argument array.
void runMain(Ref target, bool isStatic, bool withArguments, Ref array) {
    if (isStatic != (target->kind == Kind::Class)) {
        raise("java/lang/IllegalStateException", "main called on the wrong target");
        return;
    }
    const std::string what = (isStatic ? "main " : "instance main ") + target->className;
    if (withArguments) recordArguments(what.c_str(), array);
    else record(what + " without parameters");
    const AppClass* app = appClass(target->className);
    if (!app) return;
    switch (app->kind) {
        case MainKind::Exits: exitVm(control.exitCode);
        case MainKind::Throws:
            raise("java/lang/IllegalStateException", "thrown by " + dotted(target->className));
            break;
        case MainKind::ExitsLater: {
            const int delay = control.exitDelay;
            const Int code = control.exitCode;
            record("main started a non-daemon thread");
            vmState.nonDaemonThreads->emplace_back([delay, code] {
                sleepMilliseconds(delay);
                exitVm(code);
            });
            break;
        }
        default: mainDelay(); break;
    }
    record("main returns");
}

static void callVoid(Ref target, const Method* m, Arguments& args, bool isStatic) {
    switch (m->id) {
        case MethodId::Main: runMain(target, isStatic, true, args.ref()); break;
        case MethodId::MainNoArgs: runMain(target, isStatic, false, nullptr); break;
        case MethodId::SecondaryMainVoid: {
            const std::string line = recordArguments("secondaryMain void", args.ref());
            sleepMilliseconds(control.secondaryDelay);
            record(line + " returns");
            break;
        }
        case MethodId::SystemSetOut:
        case MethodId::SystemSetErr: {
            Ref stream = args.ref();
            Ref file = stream ? stream->target : nullptr;
            const bool out = m->id == MethodId::SystemSetOut;
            record(std::string(out ? "System.setOut " : "System.setErr ") + (file ? file->path : "?"));
            (out ? vmState.out : vmState.err) = stream;
            break;
        }
        case MethodId::SystemExit: exitVm(args.integer());
        case MethodId::RuntimeAddShutdownHook:
            // As a virtual machine whose shutdown has begun refuses new hooks.
            if (vmState.shuttingDown || control.shuttingDown) {
                raise("java/lang/IllegalStateException", "Shutdown in progress");
                break;
            }
            record("shutdown hook added");
            break;
        case MethodId::PrintStackTrace: {
            Ref printStream = args.ref();
            record("printStackTrace " + describe(target));
            writeThrough(printStream, stackTrace(target));
            break;
        }
        default:
            raise("java/lang/IllegalStateException", std::string("not a void method: ") + m->name);
            break;
    }
}

static Ref callObject(Ref target, const Method* m, Arguments& args) {
    if (m->id == MethodId::CheckAndLoadMain) {
        const bool toStderr = args.boolean();
        const Int mode = args.integer();
        Ref name = args.ref();
        std::string className = name ? toUtf8(name->chars, false) : std::string();
        record("checkAndLoadMain printToStderr=" + std::to_string(toStderr) + " mode=" + std::to_string(mode) +
               " name=" + className);
        if (injectedFailure("checkAndLoadMain") || control.helper == "null") {
            raise("java/lang/IllegalStateException", "checkAndLoadMain failed");
            return nullptr;
        }
        std::string slashed = className;
        for (char& ch : slashed) {
            if (ch == '.') ch = '/';
        }
        if (const AppClass* app = appClass(slashed)) {
            std::lock_guard<std::mutex> lock(stateMutex);
            vmState.staticMain = app->kind != MainKind::InstanceMain && app->kind != MainKind::InstanceNoArgs &&
                                 app->kind != MainKind::BadConstructor;
            vmState.noArgMain = app->kind == MainKind::InstanceNoArgs || app->kind == MainKind::StaticNoArgs;
            return classRef(slashed);
        }
        // What a runtime's helper does with a class it cannot load: explain and exit.
        writeThrough(vmState.err, "Error: Could not find or load main class " + className + "\n");
        exitVm(1);
    }
    if (m->id == MethodId::RuntimeGetRuntime) {
        static Ref runtime = newObject(Kind::Plain, "java/lang/Runtime");
        return runtime;
    }
    if (m->id == MethodId::StringValueOf) {
        Ref object = args.ref();
        return makeString(fromUtf8(object ? describe(object) : "null"));
    }
    if (m->id == MethodId::ByteStreamToString) return makeString(fromUtf8(target->bytes));
    if (m->id == MethodId::ByteStreamToStringEncoding) {
        Ref encoding = args.ref();
        if (!encoding || toUtf8(encoding->chars, false) != "UTF-8") {
            raise("java/io/UnsupportedEncodingException", encoding ? toUtf8(encoding->chars, true) : "");
            return nullptr;
        }
        return makeString(fromUtf8(target->bytes));
    }
    raise("java/lang/IllegalStateException", std::string("not an object method: ") + m->name);
    return nullptr;
}

static Int callInt(Ref, const Method* m, Arguments& args) {
    if (m->id == MethodId::SecondaryMainInt) {
        const std::string line = recordArguments("secondaryMain int", args.ref());
        sleepMilliseconds(control.secondaryDelay);
        record(line + " returns " + std::to_string(control.secondaryResult));
        return control.secondaryResult;
    }
    raise("java/lang/IllegalStateException", std::string("not an int method: ") + m->name);
    return 0;
}

static Boolean callBoolean(Ref, const Method* m, Arguments& args) {
    if (m->id == MethodId::RuntimeRemoveShutdownHook) {
        (void)args.ref();
        record("shutdown hook removed");
        return 1;
    }
    raise("java/lang/IllegalStateException", std::string("not a boolean method: ") + m->name);
    return 0;
}

#define TJ_CALL_FAMILY(Name, Result, body)                                                      \
    static Result tj_##Name(Env*, Ref target, const Method* m, ...) {                           \
        va_list list;                                                                           \
        va_start(list, m);                                                                      \
        Arguments args(&list);                                                                  \
        record(std::string(#Name " ") + m->name);                                               \
        Result result = body;                                                                   \
        va_end(list);                                                                           \
        return result;                                                                          \
    }                                                                                           \
    static Result TJ_CALL tj_##Name##V(Env*, Ref target, const Method* m, va_list list) {       \
        va_list copy;                                                                           \
        va_copy(copy, list);                                                                    \
        Arguments args(&copy);                                                                  \
        record(std::string(#Name "V ") + m->name);                                              \
        Result result = body;                                                                   \
        va_end(copy);                                                                           \
        return result;                                                                          \
    }                                                                                           \
    static Result TJ_CALL tj_##Name##A(Env*, Ref target, const Method* m, const Value* values) { \
        Arguments args(values);                                                                 \
        record(std::string(#Name "A ") + m->name);                                              \
        return body;                                                                            \
    }

TJ_CALL_FAMILY(CallObjectMethod, Ref, callObject(target, m, args))
TJ_CALL_FAMILY(CallBooleanMethod, Boolean, callBoolean(target, m, args))
TJ_CALL_FAMILY(CallStaticObjectMethod, Ref, callObject(target, m, args))
TJ_CALL_FAMILY(CallStaticIntMethod, Int, callInt(target, m, args))
#undef TJ_CALL_FAMILY

#define TJ_VOID_FAMILY(Name, isStatic)                                                        \
    static void tj_##Name(Env*, Ref target, const Method* m, ...) {                           \
        va_list list;                                                                         \
        va_start(list, m);                                                                    \
        Arguments args(&list);                                                                \
        record(std::string(#Name " ") + m->name);                                             \
        callVoid(target, m, args, isStatic);                                                  \
        va_end(list);                                                                         \
    }                                                                                         \
    static void TJ_CALL tj_##Name##V(Env*, Ref target, const Method* m, va_list list) {       \
        va_list copy;                                                                         \
        va_copy(copy, list);                                                                  \
        Arguments args(&copy);                                                                \
        record(std::string(#Name "V ") + m->name);                                            \
        callVoid(target, m, args, isStatic);                                                  \
        va_end(copy);                                                                         \
    }                                                                                         \
    static void TJ_CALL tj_##Name##A(Env*, Ref target, const Method* m, const Value* values) { \
        Arguments args(values);                                                               \
        record(std::string(#Name "A ") + m->name);                                            \
        callVoid(target, m, args, isStatic);                                                  \
    }

TJ_VOID_FAMILY(CallVoidMethod, false)
TJ_VOID_FAMILY(CallStaticVoidMethod, true)
#undef TJ_VOID_FAMILY

static const Field* TJ_CALL tj_GetStaticFieldID(Env*, Ref c, const char* name, const char* signature) {
    record(std::string("GetStaticFieldID ") + c->className + " " + name + " " + signature);
    if (injectedFailure("GetStaticFieldID")) {
        raise("java/lang/OutOfMemoryError", "injected failure of GetStaticFieldID");
        return nullptr;
    }
    if (c->className == kLauncherHelper && control.helper != "nofields" && std::strcmp(signature, "Z") == 0) {
        for (const Field* field : {&kIsStaticMain, &kNoArgMain}) {
            if (std::strcmp(field->name, name) == 0) return field;
        }
    }
    raise("java/lang/NoSuchFieldError", name);
    return nullptr;
}

static Boolean TJ_CALL tj_GetStaticBooleanField(Env*, Ref, const Field* field) {
    const bool value = field == &kIsStaticMain ? vmState.staticMain : vmState.noArgMain;
    record(std::string("GetStaticBooleanField ") + field->name + " " + (value ? "true" : "false"));
    return value ? 1 : 0;
}

static Ref TJ_CALL tj_NewString(Env*, const Char* chars, Int length) {
    return makeString(std::u16string(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length)));
}

static Int TJ_CALL tj_GetStringLength(Env*, Ref s) { return static_cast<Int>(s->chars.size()); }

static const Char* TJ_CALL tj_GetStringChars(Env*, Ref s, Boolean* isCopy) {
    if (injectedFailure("GetStringChars")) {
        raise("java/lang/OutOfMemoryError", "injected failure of GetStringChars");
        return nullptr;
    }
    if (isCopy) *isCopy = 0;
    return reinterpret_cast<const Char*>(s->chars.c_str());
}

static void TJ_CALL tj_ReleaseStringChars(Env*, Ref, const Char*) {}

static Ref TJ_CALL tj_NewStringUTF(Env*, const char* utf) { return makeString(fromUtf8(utf)); }

static Int TJ_CALL tj_GetStringUTFLength(Env*, Ref s) { return static_cast<Int>(toModifiedUtf8(s->chars).size()); }

static const char* TJ_CALL tj_GetStringUTFChars(Env*, Ref s, Boolean* isCopy) {
    if (injectedFailure("GetStringUTFChars")) {
        raise("java/lang/OutOfMemoryError", "injected failure of GetStringUTFChars");
        return nullptr;
    }
    std::string bytes = toModifiedUtf8(s->chars);
    char* copy = static_cast<char*>(std::malloc(bytes.size() + 1));
    std::memcpy(copy, bytes.c_str(), bytes.size() + 1);
    if (isCopy) *isCopy = 1;
    return copy;
}

static void TJ_CALL tj_ReleaseStringUTFChars(Env*, Ref, const char* chars) { std::free(const_cast<char*>(chars)); }

static Int TJ_CALL tj_GetArrayLength(Env*, Ref a) {
    return static_cast<Int>(a->kind == Kind::CharArray ? a->chars.size() : a->elements.size());
}

static Ref TJ_CALL tj_NewObjectArray(Env*, Int length, Ref elementClass, Ref initial) {
    record("NewObjectArray " + std::to_string(length) + " " + elementClass->className);
    if (injectedFailure("NewObjectArray")) {
        raise("java/lang/OutOfMemoryError", "injected failure of NewObjectArray");
        return nullptr;
    }
    Ref a = newObject(Kind::ObjectArray, "[L" + elementClass->className + ";");
    a->elements.assign(static_cast<size_t>(length), initial);
    return a;
}

static Ref TJ_CALL tj_GetObjectArrayElement(Env*, Ref a, Int index) {
    if (index < 0 || static_cast<size_t>(index) >= a->elements.size()) {
        raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
        return nullptr;
    }
    return a->elements[static_cast<size_t>(index)];
}

static void TJ_CALL tj_SetObjectArrayElement(Env*, Ref a, Int index, Ref value) {
    if (injectedFailure("SetObjectArrayElement")) {
        raise("java/lang/ArrayStoreException", "injected failure of SetObjectArrayElement");
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= a->elements.size()) {
        raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
        return;
    }
    a->elements[static_cast<size_t>(index)] = value;
}

static Ref TJ_CALL tj_NewCharArray(Env*, Int length) {
    if (injectedFailure("NewCharArray")) {
        raise("java/lang/OutOfMemoryError", "injected failure of NewCharArray");
        return nullptr;
    }
    if (length < 0) {
        raise("java/lang/NegativeArraySizeException", std::to_string(length));
        return nullptr;
    }
    Ref a = newObject(Kind::CharArray, "[C");
    a->chars.assign(static_cast<size_t>(length), u'\0');
    return a;
}

static bool inBounds(Ref a, Int start, Int length) {
    return start >= 0 && length >= 0 && static_cast<size_t>(start) + static_cast<size_t>(length) <= a->chars.size();
}

static void TJ_CALL tj_GetCharArrayRegion(Env*, Ref a, Int start, Int length, Char* buffer) {
    if (!inBounds(a, start, length)) {
        raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(start));
        return;
    }
    std::memcpy(buffer, a->chars.data() + start, static_cast<size_t>(length) * sizeof(Char));
}

static void TJ_CALL tj_SetCharArrayRegion(Env*, Ref a, Int start, Int length, const Char* buffer) {
    if (injectedFailure("SetCharArrayRegion") || !inBounds(a, start, length)) {
        raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(start));
        return;
    }
    std::memcpy(&a->chars[static_cast<size_t>(start)], buffer, static_cast<size_t>(length) * sizeof(Char));
}

static Int TJ_CALL tj_GetJavaVM(Env*, Vm** vm) {
    *vm = &theVm;
    return kOk;
}

static void TJ_CALL tj_GetStringRegion(Env*, Ref s, Int start, Int length, Char* buffer) {
    if (!inBounds(s, start, length)) {
        raise("java/lang/StringIndexOutOfBoundsException", std::to_string(start));
        return;
    }
    std::memcpy(buffer, s->chars.data() + start, static_cast<size_t>(length) * sizeof(Char));
}

static Boolean TJ_CALL tj_ExceptionCheck(Env*) { return pendingException != nullptr; }

// --- the JavaVM functions ---------------------------------------------------------

static Int TJ_CALL tj_DestroyJavaVM(Vm*) {
    const bool onCreator = currentThreadId() == vmState.creatorThread;
    record(std::string("DestroyJavaVM on-creating-thread=") + (onCreator ? "yes" : "no") +
           " attached=" + (attached ? "yes" : "no"));
    // As a real virtual machine does, wait for the program's non-daemon threads.
    for (std::thread& t : *vmState.nonDaemonThreads) t.join();
    vmState.nonDaemonThreads->clear();
    vmState.shuttingDown = true;
    attached = false;
    if (control.destroyDelay > 0) {
        vmState.exited = true;
        record("DestroyJavaVM exited");
        sleepMilliseconds(control.destroyDelay);
        vmState.exited = false;
    }
    vmState.destroyed = true;
    record("DestroyJavaVM done");
    return kOk;
}

// AttachCurrentThread and its daemon form.
static Int attachCurrentThread(void** env, const char* name) {
    if (vmState.exited) {
        record(std::string(name) + " blocked: the virtual machine has exited");
        for (;;) sleepMilliseconds(60000);
    }
    if (vmState.destroyed) {
        record(std::string(name) + " refused: the virtual machine was destroyed");
        *env = nullptr;
        return kErr;
    }
    record(name);
    if (injectedFailure(name)) return kErr;
    attached = true;
    *env = &theEnv;
    return kOk;
}
static Int TJ_CALL tj_AttachCurrentThread(Vm*, void** env, void*) {
    return attachCurrentThread(env, "AttachCurrentThread");
}
static Int TJ_CALL tj_AttachCurrentThreadAsDaemon(Vm*, void** env, void*) {
    return attachCurrentThread(env, "AttachCurrentThreadAsDaemon");
}

static Int TJ_CALL tj_DetachCurrentThread(Vm*) {
    record("DetachCurrentThread");
    if (injectedFailure("DetachCurrentThread")) return kErr;
    if (pendingException) {
        // An exception still pending when a thread leaves is the thread's uncaught exception.
        Ref e = pendingException;
        pendingException = nullptr;
        record("uncaught " + describe(e));
        writeThrough(vmState.err, "Exception in thread \"main\" " + stackTrace(e));
    }
    attached = false;
    return kOk;
}

static Int TJ_CALL tj_GetEnv(Vm*, void** env, Int) {
    if (!attached) {
        *env = nullptr;
        return kEDetached;
    }
    *env = &theEnv;
    return kOk;
}

// Any entry the launcher is not expected to call ends the process visibly.
template <int Index>
void TJ_CALL unimplemented() {
    record("unimplemented JNI function " + std::to_string(Index));
    endProcess(99);
}

template <int... Index>
void fillUnimplemented(void** table, std::integer_sequence<int, Index...>) {
    ((table[Index] = reinterpret_cast<void*>(&unimplemented<Index>)), ...);
}

void* envTable[fn::TableSize];
void* vmTable[vmfn::TableSize];

template <typename F>
void set(void** table, int index, F function) {
    table[index] = reinterpret_cast<void*>(function);
}

void buildTables() {
    fillUnimplemented(envTable, std::make_integer_sequence<int, fn::TableSize>());
    for (int i = 0; i < 4; ++i) envTable[i] = nullptr;
    set(envTable, fn::GetVersion, tj_GetVersion);
    set(envTable, fn::FindClass, tj_FindClass);
    set(envTable, fn::Throw, tj_Throw);
    set(envTable, fn::ThrowNew, tj_ThrowNew);
    set(envTable, fn::ExceptionOccurred, tj_ExceptionOccurred);
    set(envTable, fn::ExceptionDescribe, tj_ExceptionDescribe);
    set(envTable, fn::ExceptionClear, tj_ExceptionClear);
    set(envTable, fn::FatalError, tj_FatalError);
    set(envTable, fn::PushLocalFrame, tj_PushLocalFrame);
    set(envTable, fn::PopLocalFrame, tj_PopLocalFrame);
    set(envTable, fn::NewGlobalRef, tj_NewGlobalRef);
    set(envTable, fn::DeleteGlobalRef, tj_DeleteGlobalRef);
    set(envTable, fn::DeleteLocalRef, tj_DeleteLocalRef);
    set(envTable, fn::IsSameObject, tj_IsSameObject);
    set(envTable, fn::NewLocalRef, tj_NewLocalRef);
    set(envTable, fn::EnsureLocalCapacity, tj_EnsureLocalCapacity);
    set(envTable, fn::NewObject, tj_NewObject);
    set(envTable, fn::NewObjectV, tj_NewObjectV);
    set(envTable, fn::NewObjectA, tj_NewObjectA);
    set(envTable, fn::GetObjectClass, tj_GetObjectClass);
    set(envTable, fn::IsInstanceOf, tj_IsInstanceOf);
    set(envTable, fn::GetMethodID, tj_GetMethodID);
    set(envTable, fn::CallObjectMethod, tj_CallObjectMethod);
    set(envTable, fn::CallObjectMethodV, tj_CallObjectMethodV);
    set(envTable, fn::CallObjectMethodA, tj_CallObjectMethodA);
    set(envTable, fn::CallBooleanMethod, tj_CallBooleanMethod);
    set(envTable, fn::CallBooleanMethodV, tj_CallBooleanMethodV);
    set(envTable, fn::CallBooleanMethodA, tj_CallBooleanMethodA);
    set(envTable, fn::CallVoidMethod, tj_CallVoidMethod);
    set(envTable, fn::CallVoidMethodV, tj_CallVoidMethodV);
    set(envTable, fn::CallVoidMethodA, tj_CallVoidMethodA);
    set(envTable, fn::GetStaticMethodID, tj_GetStaticMethodID);
    set(envTable, fn::CallStaticObjectMethod, tj_CallStaticObjectMethod);
    set(envTable, fn::CallStaticObjectMethodV, tj_CallStaticObjectMethodV);
    set(envTable, fn::CallStaticObjectMethodA, tj_CallStaticObjectMethodA);
    set(envTable, fn::CallStaticIntMethod, tj_CallStaticIntMethod);
    set(envTable, fn::CallStaticIntMethodV, tj_CallStaticIntMethodV);
    set(envTable, fn::CallStaticIntMethodA, tj_CallStaticIntMethodA);
    set(envTable, fn::CallStaticVoidMethod, tj_CallStaticVoidMethod);
    set(envTable, fn::CallStaticVoidMethodV, tj_CallStaticVoidMethodV);
    set(envTable, fn::CallStaticVoidMethodA, tj_CallStaticVoidMethodA);
    set(envTable, fn::GetStaticFieldID, tj_GetStaticFieldID);
    set(envTable, fn::GetStaticBooleanField, tj_GetStaticBooleanField);
    set(envTable, fn::NewString, tj_NewString);
    set(envTable, fn::GetStringLength, tj_GetStringLength);
    set(envTable, fn::GetStringChars, tj_GetStringChars);
    set(envTable, fn::ReleaseStringChars, tj_ReleaseStringChars);
    set(envTable, fn::NewStringUTF, tj_NewStringUTF);
    set(envTable, fn::GetStringUTFLength, tj_GetStringUTFLength);
    set(envTable, fn::GetStringUTFChars, tj_GetStringUTFChars);
    set(envTable, fn::ReleaseStringUTFChars, tj_ReleaseStringUTFChars);
    set(envTable, fn::GetArrayLength, tj_GetArrayLength);
    set(envTable, fn::NewObjectArray, tj_NewObjectArray);
    set(envTable, fn::GetObjectArrayElement, tj_GetObjectArrayElement);
    set(envTable, fn::SetObjectArrayElement, tj_SetObjectArrayElement);
    set(envTable, fn::NewCharArray, tj_NewCharArray);
    set(envTable, fn::GetCharArrayRegion, tj_GetCharArrayRegion);
    set(envTable, fn::SetCharArrayRegion, tj_SetCharArrayRegion);
    set(envTable, fn::GetJavaVM, tj_GetJavaVM);
    set(envTable, fn::GetStringRegion, tj_GetStringRegion);
    set(envTable, fn::ExceptionCheck, tj_ExceptionCheck);

    for (void*& entry : vmTable) entry = nullptr;
    set(vmTable, vmfn::DestroyJavaVM, tj_DestroyJavaVM);
    set(vmTable, vmfn::AttachCurrentThread, tj_AttachCurrentThread);
    set(vmTable, vmfn::DetachCurrentThread, tj_DetachCurrentThread);
    set(vmTable, vmfn::GetEnv, tj_GetEnv);
    set(vmTable, vmfn::AttachCurrentThreadAsDaemon, tj_AttachCurrentThreadAsDaemon);
    theEnv.functions = envTable;
    theVm.functions = vmTable;
}

}  // namespace

Int getDefaultInitArgs(void* argsBlock) {
    readControl();
    Vm11InitArgs* args = static_cast<Vm11InitArgs*>(argsBlock);
    record("GetDefaultJavaVMInitArgs version=" + hex(args->version));
    if (args->version == kVersion1_1) {
        args->javaStackSize = control.defaultStack;
        args->version = kVersion1_2;
        return kOk;
    }
    return args->version == kVersion1_2 ? kOk : kEVersion;
}

Int createdVms(Vm** vms, Int size, Int* count) {
    const bool live = vmState.created && !vmState.destroyed;
    if (count) *count = live ? 1 : 0;
    if (live && vms && size > 0) vms[0] = &theVm;
    return kOk;
}

Int createVm(Vm** vm, void** env, void* argsBlock) {
    readControl();
    if (control.createDelay > 0) sleepMilliseconds(control.createDelay);
    const VmInitArgs* args = static_cast<const VmInitArgs*>(argsBlock);
    record("CreateJavaVM version=" + hex(args->version) + " options=" + std::to_string(args->nOptions) +
           " ignoreUnrecognized=" + std::to_string(args->ignoreUnrecognized));
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;
    for (Int i = 0; i < args->nOptions; ++i) {
        const VmOption& option = args->options[i];
        const std::string text = option.optionString ? option.optionString : "(null)";
        if (text == "exit" || text == "abort" || text == "vfprintf") {
            record("option " + text + " hook=" + (option.extraInfo ? "set" : "null"));
            if (text == "exit") exitHook = reinterpret_cast<ExitHook>(option.extraInfo);
            if (text == "abort") abortHook = reinterpret_cast<AbortHook>(option.extraInfo);
        } else {
            record("option " + text);
        }
    }
    record("stack " + std::to_string(currentStackSize()));
    if (control.createResult != kOk) {
        record("CreateJavaVM result " + std::to_string(control.createResult));
        return control.createResult;
    }
    if (vmState.created && !vmState.destroyed) {
        record("CreateJavaVM result " + std::to_string(kEExist));
        return kEExist;
    }
    buildTables();
    vmState.created = true;
    vmState.destroyed = false;
    vmState.shuttingDown = false;
    vmState.creatorThread = currentThreadId();
    vmState.exitHook = exitHook;
    vmState.abortHook = abortHook;
    vmState.out = nullptr;
    vmState.err = nullptr;
    vmState.staticMain = true;
    vmState.noArgMain = false;
    pendingException = nullptr;
    attached = true;
    *vm = &theVm;
    *env = &theEnv;
    record("CreateJavaVM result 0");
    return kOk;
}

Ref findClassFromBootLoader(Env*, const char* name) {
    record(std::string("FindClassFromBootLoader ") + name);
    if (control.helper == "missing") return nullptr;
    if (std::strcmp(name, kLauncherHelper) == 0 || isKnownClass(name)) return classRef(name);
    return nullptr;
}

}  // namespace testjvm

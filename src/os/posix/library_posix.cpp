// Loading the runtime's libraries and running the thread that hosts its virtual machine.
#include "os/os.h"

#include <dlfcn.h>
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jl::os {

namespace {

struct ThreadJob {
    int (*body)(void*);
    void* context;
    int result = 0;
};

void* threadMain(void* parameter) {
    ThreadJob* job = static_cast<ThreadJob*>(parameter);
    job->result = job->body(job->context);
    return nullptr;
}

size_t roundedStackSize(uint32_t requested) {
    const long page = ::sysconf(_SC_PAGESIZE);
    const size_t pageSize = page > 0 ? static_cast<size_t>(page) : 4096;
    size_t size = requested < PTHREAD_STACK_MIN ? PTHREAD_STACK_MIN : requested;
    return (size + pageSize - 1) / pageSize * pageSize;
}

}  // namespace

void* loadLibrary(const std::wstring& path) {
    const std::string file = toUtf8(path);
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        // dlopen reports in text only; tell a missing file from one that cannot be loaded.
        struct stat info;
        setLastError(::stat(file.c_str(), &info) == 0 ? uint32_t{kErrorBadExeFormat} : uint32_t{kErrorModNotFound});
    }
    return library;
}

void* libraryEntryPoint(void* library, const char* name) {
    void* entry = ::dlsym(library, name);
    if (!entry) setLastError(kErrorProcNotFound);
    return entry;
}

bool setLibrarySearchFolder(const std::wstring&) { return true; }

bool runThreadWithStack(uint32_t stackSize, int (*body)(void*), void* context, int& result) {
    ThreadJob job{body, context};
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) return false;
    // A size the system refuses leaves its default stack, as a zero size does.
    if (stackSize != 0) (void)::pthread_attr_setstacksize(&attributes, roundedStackSize(stackSize));
    pthread_t thread;
    const int rc = ::pthread_create(&thread, &attributes, threadMain, &job);
    ::pthread_attr_destroy(&attributes);
    if (rc != 0) return false;
    ::pthread_join(thread, nullptr);
    result = job.result;
    return true;
}

void sleepForever() {
    for (;;) ::pause();
}

}  // namespace jl::os

// How much memory the machine has, for the percentage form of the memory options.
#include "os/os.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdio>

namespace jl::os {

namespace {

// The user part of a 64-bit address space with four-level page tables.
constexpr uint64_t kUserAddressSpace = 1ull << 47;

uint64_t usedAddressSpace() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(statm, "%llu", &pages);
    std::fclose(statm);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return read == 1 && pageSize > 0 ? pages * static_cast<uint64_t>(pageSize) : 0;
}

}  // namespace

MemoryStatus memoryStatus() {
    MemoryStatus status;
    struct sysinfo info;
    if (::sysinfo(&info) == 0) {
        status.totalPhysical = static_cast<uint64_t>(info.totalram) * info.mem_unit;
    }
    uint64_t space = kUserAddressSpace;
    struct rlimit limit;
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) space = limit.rlim_cur;
    const uint64_t used = usedAddressSpace();
    status.availableVirtual = space > used ? space - used : 0;
    return status;
}

}  // namespace jl::os

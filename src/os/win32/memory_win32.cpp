// How much memory the machine has, for the percentage form of the memory options.
#include "os/os.h"

#include <windows.h>

namespace jl::os {

MemoryStatus memoryStatus() {
    MemoryStatus status;
#ifdef _WIN64
    // The 64-bit twin hosts runtimes that use memory beyond 4 GB, which only the
    // extended call reports.
    MEMORYSTATUSEX extended{};
    extended.dwLength = sizeof extended;
    if (GlobalMemoryStatusEx(&extended)) {
        status.totalPhysical = extended.ullTotalPhys;
        status.availableVirtual = extended.ullAvailVirtual;
    }
#else
    MEMORYSTATUS basic{};
    basic.dwLength = sizeof basic;
    GlobalMemoryStatus(&basic);
    status.totalPhysical = basic.dwTotalPhys;
    status.availableVirtual = basic.dwAvailVirtual;
#endif
    return status;
}

}  // namespace jl::os

// How the registry search grows with the number of registered runtimes: the search over
// 1,000 runtimes timed against the search over 10, in one run on one machine. The
// candidates are ordered by a quadratic sort, and every runtime costs a registry read
// and a file probe, so the ratio shows which of the two dominates (100 is linear).
//
//   build/linux/bench/bench_runtime_search
//   $JL_WINE build/win64/bench/bench_runtime_search.exe      (the real registry)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "os/os.h"
#include "runtime/registered_runtimes.h"
#include "runtime/runtime_search.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRepetitions = 7;

#ifdef _WIN32
constexpr wchar_t kLibrary[] = L"bin\\client\\jvm.dll";
constexpr wchar_t kBenchKey[] = L"Software\\JLaunchBench";
#else
constexpr wchar_t kLibrary[] = L"lib/client/libjvm.so";
#endif

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "not a library";
}

std::wstring versionOf(int i) { return L"1." + std::to_wstring(6 + i % 3) + L".0_" + std::to_wstring(i); }

// `count` runtimes, each in a folder of its own below `root`, registered as the platform
// registers them; returns the registry that lists them.
std::unique_ptr<jl::RuntimeRegistry> registerRuntimes(const fs::path& root, int count, const std::wstring& tag) {
    for (int i = 0; i < count; ++i) touch(root / std::to_wstring(i) / kLibrary);
#ifdef _WIN32
    const std::wstring software = std::wstring(kBenchKey) + L"\\" + tag + L"\\";
    for (int i = 0; i < count; ++i) {
        const std::wstring key = software + L"JavaSoft\\Java Runtime Environment\\" + versionOf(i);
        const std::wstring home = (root / std::to_wstring(i)).wstring();
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(handle, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                           static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(handle);
        }
    }
    return jl::runtimeRegistryBelow(software, jl::os::RegistryView::Default);
#else
    (void)tag;
    for (int i = 0; i < count; ++i) {
        std::ofstream(root / std::to_wstring(i) / "release") << "JAVA_VERSION=\"" << jl::os::toUtf8(versionOf(i))
                                                              << "\"\n";
    }
    return jl::runtimeRegistryOver({root.wstring()});
#endif
}

// The fastest of several searches, in microseconds.
double timeSearch(jl::RuntimeRegistry& registry, const jl::LaunchSettings& settings) {
    double best = 0;
    for (int r = 0; r < kRepetitions; ++r) {
        jl::RuntimeCandidate selected;
        const auto start = std::chrono::steady_clock::now();
        const bool found = jl::searchRegistry(registry, settings, selected);
        const auto end = std::chrono::steady_clock::now();
        if (!found) std::fprintf(stderr, "no runtime selected\n");
        const double micros = std::chrono::duration<double, std::micro>(end - start).count();
        best = r == 0 ? micros : std::min(best, micros);
    }
    return best;
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("jl-bench-" + std::to_string(
                                                           std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::wstring tag = root.filename().wstring();
    jl::LaunchSettings settings;  // both kinds, JavaSoft, no bounds: every runtime qualifies
    settings.preferredVersions = {L"1.7"};

    const std::unique_ptr<jl::RuntimeRegistry> small = registerRuntimes(root / "10", 10, tag + L"-10");
    const std::unique_ptr<jl::RuntimeRegistry> large = registerRuntimes(root / "1000", 1000, tag + L"-1000");
    const double smallTime = timeSearch(*small, settings);
    const double largeTime = timeSearch(*large, settings);
    std::printf("runtime search: 10 runtimes %.0f us, 1000 runtimes %.0f us, ratio %.1f (linear: 100)\n", smallTime,
                largeTime, smallTime > 0 ? largeTime / smallTime : 0.0);

#ifdef _WIN32
    HKEY bench = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBenchKey, 0, KEY_ALL_ACCESS, &bench) == ERROR_SUCCESS) {
        RegDeleteTreeW(bench, (tag + L"-10").c_str());
        RegDeleteTreeW(bench, (tag + L"-1000").c_str());
        RegCloseKey(bench);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kBenchKey);
    }
#endif
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}

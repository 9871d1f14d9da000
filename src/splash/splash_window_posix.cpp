// Linux has no own splash window: the runtime's native splash is the only one.
#include "splash/splash_window.h"

namespace jl {

const wchar_t kSplashWindowClass[] = L"SplashScreenWindow";

void SplashWindowThread::start(const std::wstring&, bool) {}

void SplashWindowThread::close() {}

}  // namespace jl

#include <windows.h>

#include "core/launcher_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return jl::runLauncher(); }

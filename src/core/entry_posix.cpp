#include <clocale>

#include "core/launcher_app.h"
#include "os/os.h"

int main(int argc, char** argv) {
    // Message texts are chosen and printed in the user's locale.
    std::setlocale(LC_ALL, "");
    jl::os::storeArgumentVector(argc, argv);
    return jl::runLauncher();
}

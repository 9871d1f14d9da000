// jlpack: turns a built launcher into a product's executable (see command_line.h).
#include "command_line.h"
#include "product.h"
#include "tool_io.h"

#include "os/os.h"

#include <string>
#include <vector>

namespace {

int run(const std::vector<std::wstring>& arguments) {
    jlpack::Options options;
    std::wstring error;
    if (!jlpack::parseCommandLine(arguments, options, error)) {
        jlpack::printError(error);
        jlpack::printOut(jlpack::kUsage, true);
        return jlpack::kExitUsage;
    }
    if (options.help) {
        jlpack::printOut(jlpack::kUsage);
        return jlpack::kExitSuccess;
    }
    return options.describe.empty() ? jlpack::pack(options) : jlpack::describe(options.describe);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(jl::os::fromUtf8(argv[i]));
    return run(arguments);
}
#endif

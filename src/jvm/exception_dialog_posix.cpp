// Linux has no dialog for an uncaught exception: the stack trace goes to standard error,
// where the user of a terminal sees it, and the program goes on as after Ignore.
#include "jvm/exception_dialog.h"

#include "os/os.h"

namespace jl {

ExceptionChoice presentJavaException(const std::wstring& text) {
    os::showErrorMessage(nullptr, text);
    return ExceptionChoice::Ignore;
}

}  // namespace jl

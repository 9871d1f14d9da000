// Linux has no dialog to offer: the user is told which runtime is needed and where to
// get it, and the launch ends as if the dialog had been cancelled.
#include "runtime/missing_runtime_dialog.h"

#include "runtime/missing_runtime_ids.h"
#include "support/messages.h"

namespace jl {

bool showMissingRuntimeDialog(const std::wstring& message, JvmType, std::wstring&, std::wstring&) {
    reportError(message + L"\n" L"" JL_RUNTIME_DOWNLOAD_ADDRESS);
    return false;
}

}  // namespace jl

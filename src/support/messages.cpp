#include "support/messages.h"
#include "support/text.h"

#include <atomic>

#include "os/os.h"

namespace jl {

namespace {
std::atomic<void*> ownerWindow{nullptr};
std::atomic<ErrorBoxSink> errorBoxSink{nullptr};

void appendArgument(std::wstring& out, const MessageArg& arg) {
    if (arg.text) out += *arg.text;
    else if (arg.literal) out += arg.literal;
}
}  // namespace

bool loadMessage(unsigned id, std::wstring& text) {
    text.clear();
    return os::loadString(id, text) && !text.empty();
}

std::wstring loadMessage(unsigned id) {
    std::wstring text;
    (void)loadMessage(id, text);
    return text;
}

std::wstring formatMessageText(const std::wstring& format, std::initializer_list<MessageArg> args) {
    std::wstring out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c != L'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        wchar_t spec = format[i + 1];
        if (spec == L'%') {
            out += L'%';
            ++i;
        } else if (spec == L's' && next != args.end() && !next->isNumber) {
            appendArgument(out, *next++);
            ++i;
        } else if (spec == L'd' && next != args.end() && next->isNumber) {
            out += decimalText(next->number);
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void setErrorOwnerWindow(void* window) { ownerWindow.store(window); }
void* errorOwnerWindow() { return ownerWindow.load(); }

void setErrorBoxSink(ErrorBoxSink sink) { errorBoxSink.store(sink); }

int showErrorBox(void* owner, const std::wstring& text) {
    if (ErrorBoxSink sink = errorBoxSink.load()) return sink(owner, text);
    return os::showErrorMessage(owner, text);
}

void reportError(unsigned id) { showErrorBox(errorOwnerWindow(), loadMessage(id)); }

void reportError(const std::wstring& text) { showErrorBox(errorOwnerWindow(), text); }

void reportError(unsigned formatId, const std::wstring& arg) {
    showErrorBox(errorOwnerWindow(), formatMessageText(loadMessage(formatId), {arg}));
}

void reportError(unsigned formatId, const std::wstring& arg1, const std::wstring& arg2) {
    showErrorBox(errorOwnerWindow(), formatMessageText(loadMessage(formatId), {arg1, arg2}));
}

void reportError(unsigned formatId, const std::wstring& arg, uint32_t systemErrorCode) {
    showErrorBox(errorOwnerWindow(), formatMessageText(loadMessage(formatId), {arg, systemErrorCode}));
}

}  // namespace jl

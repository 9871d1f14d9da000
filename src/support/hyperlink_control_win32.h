// A static control of a dialog turned into a link: its text drawn underlined in the link
// colour, a hand cursor and a tooltip naming the target over the text, the keyboard
// focus, and the target opened with the shell on a click or on Enter or Space.
// Everything the link does not handle goes to the control's own window procedure.
#pragma once

#include <windows.h>

#include <string>

#include "os/win32/unique_handle.h"
#include "support/hyperlink.h"

namespace jl {

// Opens a link target; true when it was opened. The default is the shell's "open" verb;
// tests put their own in place, null restores the shell's.
using LinkOpener = bool (*)(const std::wstring& target);
void setLinkOpener(LinkOpener opener);

class HyperlinkControl {
public:
    HyperlinkControl() = default;
    ~HyperlinkControl();
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Set by the owner before attach.
    void setColours(const LinkColours& colours) { colours_ = colours; }
    // The owner's font; the control draws with it but never deletes it.
    void setNormalFont(HFONT font) { normalFont_ = font; }
    bool hasNormalFont() const { return normalFont_ != nullptr; }

    // Takes over the control's messages and sets up cursor, fonts, tooltip, text,
    // target and colours. The link's text and target are the control's text unless
    // set otherwise before. False when the control cannot be subclassed.
    [[nodiscard]] bool attach(HWND control);

    HWND window() const { return window_; }
    HWND tooltip() const { return tooltip_.get(); }
    const std::wstring& target() const { return target_; }
    const LinkColours& colours() const { return colours_; }
    const LinkRect& linkRect() const { return linkRect_; }
    bool visited() const { return visited_; }

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data) noexcept;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void initialise();
    void setTarget(const std::wstring& target);
    void registerTool();
    void updateLinkRect();
    void readBrowserColours();
    void createLinkFont();
    void paint(HDC dc);
    void navigate();
    const std::wstring& shownText() const { return label_.empty() ? target_ : label_; }
    UINT alignmentFlags() const;
    bool isInsideLink(LPARAM point) const;

    HWND window_ = nullptr;
    std::wstring label_;
    std::wstring target_;
    HCURSOR cursor_ = nullptr;
    HFONT normalFont_ = nullptr;
    os::UniqueGdiObject ownedNormalFont_;
    os::UniqueGdiObject linkFont_;  // always the control's own
    LinkRect linkRect_;
    os::UniqueWindow tooltip_;
    bool toolRegistered_ = false;
    LinkColours colours_;
    bool paintsText_ = true;
    bool visited_ = false;
};

}  // namespace jl

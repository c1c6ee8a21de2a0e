// Nubilux's About window (frm_NubiluxInfo): what the program is, the pictures' credits,
// and the maker's site as a link.
#pragma once

#include <windows.h>

#include <memory>

#include "common/win32/form.h"

namespace nubilux::win32 {

class AboutWindow final : public ::win32::Form {
public:
    explicit AboutWindow(HINSTANCE instance);

private:
    void OnCreate() override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    HFONT boldFont_ = nullptr, font_ = nullptr;
    bool visited_ = false;
};

// Shows the About window over owner, made anew unless it is open already.
void ShowAbout(std::unique_ptr<AboutWindow>& about, HINSTANCE instance, HWND owner);

// Keeps a window above the others, as Nubilux's windows stay.
inline void KeepOnTop(HWND hwnd) { ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

}  // namespace nubilux::win32

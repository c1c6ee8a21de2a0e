#include "app/window_rules.h"

namespace nubilux {

TrayAction OnTrayMessage(unsigned mouseMessage) {
    switch (mouseMessage) {
    case 0x203: return TrayAction::ShowWindow;  // WM_LBUTTONDBLCLK
    case 0x205: return TrayAction::ShowMenu;    // WM_RBUTTONUP
    case 0x202:                                 // WM_LBUTTONUP
    case 0x206: return TrayAction::Nothing;     // WM_RBUTTONDBLCLK
    default: return TrayAction::PassToDefault;
    }
}

CloseAction OnCloseRequest(CloseCause cause) {
    switch (cause) {
    case CloseCause::User: return CloseAction::Hide;
    case CloseCause::FromOutside: return CloseAction::HideAndAsk;
    case CloseCause::SessionEnd:
    case CloseCause::Exit: break;
    }
    return CloseAction::End;
}

}  // namespace nubilux

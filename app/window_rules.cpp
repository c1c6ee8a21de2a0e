#include "app/window_rules.h"

namespace nubilux {

TrayAction OnTrayMessage(TrayEvent event) {
    switch (event) {
    case TrayEvent::LeftDoubleClick:
    case TrayEvent::KeySelect: return TrayAction::ShowWindow;
    case TrayEvent::ContextMenu: return TrayAction::ShowMenu;
    case TrayEvent::LeftUp:
    case TrayEvent::RightUp:
    case TrayEvent::RightDoubleClick: return TrayAction::Nothing;
    case TrayEvent::Other: break;
    }
    return TrayAction::PassToDefault;
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

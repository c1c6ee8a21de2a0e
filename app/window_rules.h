// How the main window answers its notification icon and close requests.
#pragma once

namespace nubilux {

// The icon's callback message: WM_USER + 257.
inline constexpr unsigned kTrayCallback = 0x400 + 257;

enum class TrayAction {
    ShowWindow,   // left double click
    ShowMenu,     // right button released: Update (Manual mode) and Exit
    Nothing,      // left button released, right double click
    PassToDefault // anything else goes to the default window procedure
};

// mouseMessage: the lParam of the icon's callback.
TrayAction OnTrayMessage(unsigned mouseMessage);

enum class CloseCause {
    User,         // close box, Alt+F4, system menu
    SessionEnd,   // Windows shutting down, the user logging off
    FromOutside,  // a plain close request from another program, as Task Manager sends
    Exit          // the program's own Exit command
};

enum class CloseAction {
    Hide,         // hide the window and keep running in the notification area
    HideAndAsk,   // hide, then ask whether to quit
    End           // end without a question
};

CloseAction OnCloseRequest(CloseCause cause);

}  // namespace nubilux

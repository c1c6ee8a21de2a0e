// How the main window answers its notification icon and close requests.
#pragma once

namespace nubilux {

// What the user did to the notification icon, as the window translates it.
enum class TrayEvent { LeftUp, LeftDoubleClick, RightUp, RightDoubleClick, Other };

enum class TrayAction {
    ShowWindow,   // left double click
    ShowMenu,     // right button released: Update (Manual mode) and Exit
    Nothing,      // left button released, right double click
    PassToDefault // anything else goes to the default window procedure
};

TrayAction OnTrayMessage(TrayEvent event);

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

// How the main window answers its notification icon and close requests.
#pragma once

namespace nubilux {

// What the user did to the notification icon, as the window translates it. The shell's
// version 4 follows a right click with ContextMenu, and brings the keyboard's Enter or
// Space (KeySelect) and the context key or Shift+F10 (ContextMenu); the older protocol
// has only the mouse's messages, and a right click's RightUp stands for ContextMenu.
enum class TrayEvent { LeftUp, LeftDoubleClick, RightUp, RightDoubleClick, ContextMenu, KeySelect, Other };

enum class TrayAction {
    ShowWindow,   // left double click, Enter or Space on the icon
    ShowMenu,     // right click, context key: show the window, Update (Manual mode), Exit
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

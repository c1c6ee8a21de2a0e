#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/window_rules.h"

namespace {

// The keyboard reaches what the mouse does: Enter or Space shows the window as a double
// click does, the context key the menu as a right click; a right button's release is
// followed by the context menu's own message, so it opens one menu, not two.
TEST(TrayRules, TheKeyboardReachesWhatTheMouseDoes) {
    using nubilux::OnTrayMessage;
    using nubilux::TrayAction;
    using nubilux::TrayEvent;
    EXPECT_EQ(OnTrayMessage(TrayEvent::KeySelect), OnTrayMessage(TrayEvent::LeftDoubleClick));
    EXPECT_EQ(OnTrayMessage(TrayEvent::KeySelect), TrayAction::ShowWindow);
    EXPECT_EQ(OnTrayMessage(TrayEvent::ContextMenu), TrayAction::ShowMenu);
    EXPECT_EQ(OnTrayMessage(TrayEvent::RightUp), TrayAction::Nothing);
    EXPECT_EQ(OnTrayMessage(TrayEvent::LeftUp), TrayAction::Nothing);
    EXPECT_EQ(OnTrayMessage(TrayEvent::Other), TrayAction::PassToDefault);
}

// The window's close box only hides it (Nubilux goes on in the notification area); a
// close sent by another program hides it and asks; the session's end and Exit end it
// without a question, so Windows is never kept waiting.
TEST(CloseRules, OnlyTheUsersOwnCloseKeepsItRunningWithoutAsking) {
    using nubilux::CloseAction;
    using nubilux::CloseCause;
    using nubilux::OnCloseRequest;
    EXPECT_EQ(OnCloseRequest(CloseCause::User), CloseAction::Hide);
    EXPECT_EQ(OnCloseRequest(CloseCause::FromOutside), CloseAction::HideAndAsk);
    EXPECT_EQ(OnCloseRequest(CloseCause::SessionEnd), CloseAction::End);
    EXPECT_EQ(OnCloseRequest(CloseCause::Exit), CloseAction::End);
}

}  // namespace

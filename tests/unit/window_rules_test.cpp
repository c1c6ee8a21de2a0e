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

}  // namespace

// The popup's font is 16 points at whatever resolution the system reports: checked at 120 dpi in a
// child process, since the setting only reaches processes started after it changes.
#include <gtest/gtest.h>

#include <windows.h>

#include "CDlgNotify.h"
#include "DensityChild.h"

namespace {

TEST(PopupDpiTest, FontHeightIsSixteenPointsAt120Dpi)
{
    if (density::IsChild()) {
        // The child: the system reports 120 dpi and the popup follows it.
        ASSERT_EQ(120, density::ScreenDpi());
        int countdown = 0;
        CDlgNotify popup(countdown);
        ASSERT_TRUE(popup.CreateModeless(GetModuleHandleA(nullptr), nullptr, SW_HIDE));
        LOGFONTA font = {};
        ASSERT_TRUE(GetObjectA(g_popupFont, sizeof(font), &font));
        EXPECT_EQ(-27, font.lfHeight);
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        DestroyWindow(popup.m_hWnd);
        return;
    }
    EXPECT_EQ(0u, density::RunChild(120)) << "the child's checks failed; its output is above";
}

}  // namespace

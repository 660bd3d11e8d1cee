// The popup's font is 16 points at whatever resolution the system reports: checked at each density
// in a child process, since the setting only reaches processes started after it changes.
#include <gtest/gtest.h>

#include <windows.h>

#include "CDlgNotify.h"
#include "DensityChild.h"

namespace {

// Sixteen points in pixels at each density, as a negative (character) height.
struct Density
{
    int dpi;
    LONG height;
};
const Density kDensities[] = {{120, -27}, {144, -32}, {168, -37}, {192, -43}};

TEST(PopupDpiTest, FontHeightIsSixteenPointsAtEveryDensity)
{
    if (density::IsChild()) {
        // The child: the system reports the density it was started for, and the popup follows it.
        const int dpi = density::RequestedDpi();
        ASSERT_EQ(dpi, density::ScreenDpi());
        const Density* expected = nullptr;
        for (const Density& row : kDensities)
            if (row.dpi == dpi)
                expected = &row;
        ASSERT_NE(nullptr, expected) << dpi << " dpi is not in the table";
        int countdown = 0;
        CDlgNotify popup(countdown);
        ASSERT_TRUE(popup.CreateModeless(GetModuleHandleA(nullptr), nullptr, SW_HIDE));
        LOGFONTA font = {};
        ASSERT_TRUE(GetObjectA(g_popupFont, sizeof(font), &font));
        EXPECT_EQ(expected->height, font.lfHeight) << "at " << dpi << " dpi";
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        DestroyWindow(popup.m_hWnd);
        return;
    }
    for (const Density& row : kDensities)
        EXPECT_EQ(0u, density::RunChild(row.dpi)) << "at " << row.dpi << " dpi; the child's output is above";
}

}  // namespace

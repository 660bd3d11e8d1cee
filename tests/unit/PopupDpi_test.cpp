// The popup's font is 16 points at whatever resolution the system reports: checked at 120 dpi in a
// child process, since the setting only reaches processes started after it changes.
#include <gtest/gtest.h>

#include <windows.h>

#include "CDlgNotify.h"
#include "FreshProcess.h"

namespace {

const char kChildVariable[] = "FENLOW_DPI_CHILD";
const char kDesktopKey[] = "Control Panel\\Desktop";

// Sets LogPixels for the processes started from now on, and puts the old value back.
class LogPixelsSetting
{
public:
    explicit LogPixelsSetting(DWORD dpi)
    {
        DWORD size = sizeof(m_old);
        m_had = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &m_old, &size) ==
                ERROR_SUCCESS;
        RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    ~LogPixelsSetting()
    {
        if (m_had)
            RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &m_old, sizeof(m_old));
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
    }

private:
    DWORD m_old = 0;
    bool m_had = false;
};

TEST(PopupDpiTest, FontHeightIsSixteenPointsAt120Dpi)
{
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0)) {
        // The child: the system reports 120 dpi and the popup follows it.
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(120, dpi);
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

    LogPixelsSetting setting(120);
    EXPECT_EQ(0u, freshprocess::RunCurrentTest(kChildVariable)) << "the child's checks failed; its output is above";
}

}  // namespace

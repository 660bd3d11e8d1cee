// Runs one test of this program again in a child process that sees another screen density.
// Wine reads the density from the registry when a process starts (Windows only at sign-in), so a
// child started after the setting has it whole: fonts, dialog units, caption and menu heights.
#pragma once

#include <windows.h>

#include "FreshProcess.h"

namespace density {

const char kChildVariable[] = "FENLOW_DPI_CHILD";
const char kDesktopKey[] = "Control Panel\\Desktop";

// Whether this process is such a child.
inline bool IsChild()
{
    return GetEnvironmentVariableA(kChildVariable, nullptr, 0) != 0;
}

// The density the desktop settings ask for now (the one a child was started for).
inline int RequestedDpi()
{
    DWORD dpi = 0;
    DWORD size = sizeof(dpi);
    RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &dpi, &size);
    return static_cast<int>(dpi);
}

// The density the screen reports to this process.
inline int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Sets LogPixels where the desktop and the font system read it, and puts the old values back.
class LogPixelsSetting
{
public:
    explicit LogPixelsSetting(DWORD dpi)
    {
        for (Value& value : m_values) {
            DWORD size = sizeof(value.old);
            value.had = RegGetValueA(value.root, value.path, "LogPixels", RRF_RT_REG_DWORD, nullptr, &value.old,
                                     &size) == ERROR_SUCCESS;
            RegSetKeyValueA(value.root, value.path, "LogPixels", REG_DWORD, &dpi, sizeof(dpi));
        }
    }
    ~LogPixelsSetting()
    {
        for (Value& value : m_values) {
            if (value.had)
                RegSetKeyValueA(value.root, value.path, "LogPixels", REG_DWORD, &value.old, sizeof(value.old));
            else
                RegDeleteKeyValueA(value.root, value.path, "LogPixels");
        }
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

private:
    struct Value
    {
        HKEY root;
        const char* path;
        DWORD old;
        bool had;
    };
    Value m_values[2] = {
        {HKEY_CURRENT_USER, kDesktopKey, 0, false},
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", 0, false},
    };
};

// Runs the current test again in a child process at `dpi`; its exit code, 0 when it passed there.
inline DWORD RunChild(int dpi)
{
    LogPixelsSetting setting(static_cast<DWORD>(dpi));
    return freshprocess::RunCurrentTest(kChildVariable);
}

}  // namespace density

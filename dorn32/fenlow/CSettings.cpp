#include "CSettings.h"

#include "resource.h"
#include "version.h"

const char CSettings::kKeyPath[] = "SOFTWARE\\" FENLOW_COMPANY "\\" FENLOW_PRODUCT_NAME;

// The names are what users' stored settings are found by: renamed, a setting reads as 0 again.
const CSettings::Flag CSettings::kFlags[kFlagCount] = {
    {&CSettings::Init, "Init", 0},
    {&CSettings::Tray, "Tray", IDC_HIDE_TRAY},
    {&CSettings::CapLock, "CapLock", IDC_ICON_CAPS},
    {&CSettings::ScrLock, "ScrLock", IDC_ICON_SCROLL},
    {&CSettings::NumLock, "NumLock", IDC_ICON_NUM},
    {&CSettings::CapLockMsg, "CapLockMsg", IDC_MSG_CAPS},
    {&CSettings::ScrLockMsg, "ScrLockMsg", IDC_MSG_SCROLL},
    {&CSettings::NumLockMsg, "NumLockMsg", IDC_MSG_NUM},
};

CSettings::CSettings()
    : Init(0), Tray(1), CapLock(1), ScrLock(1), NumLock(1), CapLockMsg(0), ScrLockMsg(0), NumLockMsg(0)
{
}

void CSettings::Load()
{
    BYTE buffer[256];
    buffer[0] = 0;
    for (const Flag& flag : kFlags) {
        // 255, not 256: a value longer than that fails the query and reads as 0.
        ReadValue(HKEY_CURRENT_USER, kKeyPath, flag.name, buffer, 255);
        this->*flag.member = buffer[0] ? 1 : 0;
        buffer[0] = 0;
    }
}

bool CSettings::Save()
{
    // Each write goes ahead even after a failure, so that whatever can be stored is.
    bool stored = CreateKey(HKEY_CURRENT_USER, kKeyPath) == 0;
    for (const Flag& flag : kFlags) {
        BYTE value = this->*flag.member;
        stored = WriteValue(HKEY_CURRENT_USER, kKeyPath, flag.name, &value, 1) == 0 && stored;
    }
    return stored;
}

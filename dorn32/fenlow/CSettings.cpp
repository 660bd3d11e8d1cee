#include "CSettings.h"

#include "version.h"

const char CSettings::kKeyPath[] = "SOFTWARE\\" FENLOW_COMPANY "\\" FENLOW_PRODUCT_NAME;

namespace {

struct Flag
{
    BYTE CSettings::*member;
    const char* name;
};

const Flag kFlags[] = {
    {&CSettings::Init, "Init"},
    {&CSettings::Tray, "Tray"},
    {&CSettings::CapLock, "CapLock"},
    {&CSettings::ScrLock, "ScrLock"},
    {&CSettings::NumLock, "NumLock"},
    {&CSettings::CapLockMsg, "CapLockMsg"},
    {&CSettings::ScrLockMsg, "ScrLockMsg"},
    {&CSettings::NumLockMsg, "NumLockMsg"},
};

}  // namespace

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

// The user's eight choices, one byte each, kept under HKCU\SOFTWARE\Tavrin\Fenlow.
#pragma once

#include "CRegistry.h"

class CSettings : public CRegistry
{
public:
    CSettings();

    // Whatever is missing or unreadable reads as 0: there is nothing to report.
    void Load();
    // True when the registry took all eight values; the record is kept either way.
    bool Save();

    // In this order: the order of loading, saving and of the options dialog's boxes.
    BYTE Init;
    BYTE Tray;
    BYTE CapLock;
    BYTE ScrLock;
    BYTE NumLock;
    BYTE CapLockMsg;
    BYTE ScrLockMsg;
    BYTE NumLockMsg;

    static const char kKeyPath[];

    // Each flag's registry value and its box in the options dialog (0: none): one row per flag, in
    // the record's order. Adding a setting is a member and a row here.
    struct Flag
    {
        BYTE CSettings::*member;
        const char* name;
        int box;
    };
    static constexpr size_t kFlagCount = 8;
    static const Flag kFlags[kFlagCount];
};

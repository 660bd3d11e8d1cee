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
};

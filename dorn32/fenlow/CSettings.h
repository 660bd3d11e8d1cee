// The user's eight choices, one byte each, kept under HKCU\SOFTWARE\Tavrin\Fenlow.
#pragma once

#include "CRegistry.h"

class CSettings : public CRegistry
{
public:
    CSettings();

    int Load();
    int Save();

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

// What the tests expect of the settings store: where it lives and the eight values by name.
// Every test and the benchmark take the names from here; CSettings_test holds the program to them.
#pragma once

#include <windows.h>

#include "CSettings.h"

namespace settings_flags {

// Written out, not built from version.h: users' stored settings depend on this path staying put.
const char kParentPath[] = "SOFTWARE\\Tavrin";
const char kKeyPath[] = "SOFTWARE\\Tavrin\\Fenlow";

// Name and member of each flag, in the order of the record. Written out, not taken from
// CSettings.cpp's table, for the same reason: users' stored settings are found by these names.
struct FlagRef
{
    const char* name;
    BYTE CSettings::*member;
};

const FlagRef kFlags[] = {
    {"Init", &CSettings::Init},
    {"Tray", &CSettings::Tray},
    {"CapLock", &CSettings::CapLock},
    {"ScrLock", &CSettings::ScrLock},
    {"NumLock", &CSettings::NumLock},
    {"CapLockMsg", &CSettings::CapLockMsg},
    {"ScrLockMsg", &CSettings::ScrLockMsg},
    {"NumLockMsg", &CSettings::NumLockMsg},
};

}  // namespace settings_flags

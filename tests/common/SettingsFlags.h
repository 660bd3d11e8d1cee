// What the tests expect of the settings store: where it lives and its values by name.
// Every test and the benchmark take the names and their count from here.
#pragma once

#include <windows.h>

#include "CSettings.h"

namespace settings_flags {

// Written out, not built from version.h: users' stored settings depend on this path staying put.
const char kParentPath[] = "SOFTWARE\\Tavrin";
const char kKeyPath[] = "SOFTWARE\\Tavrin\\Fenlow";

// Name and member of each flag, in the order of the record: the program's own table, so that a
// new setting reaches every test. CSettingsTest.TheStoredNamesStayPut pins the names users' settings are stored under.
using FlagRef = CSettings::Flag;
inline constexpr const FlagRef (&kFlags)[CSettings::kFlagCount] = CSettings::kFlags;

}  // namespace settings_flags

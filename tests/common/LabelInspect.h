// Looking inside a label control of this process: its record and the fonts it holds.
#pragma once

#include <windows.h>

#include "LabelControl.h"

namespace labels {

inline Dorn32::Windows::LabelData* DataOf(HWND label)
{
    return reinterpret_cast<Dorn32::Windows::LabelData*>(GetWindowLongPtrA(label, 0));
}

inline LOGFONTA LogFontOf(HGDIOBJ font)
{
    LOGFONTA logFont = {};
    GetObjectA(font, sizeof(logFont), &logFont);
    return logFont;
}

}  // namespace labels

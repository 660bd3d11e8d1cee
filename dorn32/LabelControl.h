// The "Text" and "Link" label controls: a line of text, or one icon-font glyph, on a see-through background.
#pragma once

#include <windows.h>

#include "LabelMessages.h"

namespace Dorn32 {
namespace Windows {

// One per label window, from WM_NCCREATE to WM_NCDESTROY, at extra-byte index 0.
struct LabelData
{
    HWND window;
    COLORREF textColor;
    HFONT font;       // null: the stock default GUI font
    WCHAR glyph[8];   // empty: the window text is drawn instead
    HFONT ownedFont;  // the latest font the control made itself; deleted with the control or its successor
    BOOL pressed;     // a "Link" holds the mouse from a left-button press on it until the release
};

LRESULT CALLBACK LabelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace Windows
}  // namespace Dorn32

// Messages an owner sends to a "Text" or "Link" label control.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

constexpr UINT LCM_SETCOLOR = WM_USER + 1;     // lParam: text colour
constexpr UINT LCM_SETGLYPH = WM_USER + 2;     // wParam: font or 0 for a new "typicons" one; lParam: code point or 0
constexpr UINT LCM_SETFONTTEXT = WM_USER + 3;  // wParam: font or 0; lParam: ANSI text or null

}  // namespace Windows
}  // namespace Dorn32

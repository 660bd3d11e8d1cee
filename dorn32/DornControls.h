// The framework's custom controls: one start-up call registers them and adds the icon font.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

// Label control ("Text", "Link") messages.
constexpr UINT LCM_SETCOLOR = WM_USER + 1;     // lParam: text colour
constexpr UINT LCM_SETGLYPH = WM_USER + 2;     // wParam: font or 0 for a new "typicons" one; lParam: code point or 0
constexpr UINT LCM_SETFONTTEXT = WM_USER + 3;  // wParam: font or 0; lParam: ANSI text or null

// Splitter control messages.
constexpr UINT SPM_SETPANE = WM_USER + 1;   // wParam: 0 first pane, else second; lParam: the pane
constexpr UINT SPM_SETSPLIT = WM_USER + 2;  // wParam: 0 side by side, else stacked; lParam: position
constexpr UINT SPM_LAYOUT = WM_USER + 3;

// The icon font, resource type "BINARY", in the program file.
constexpr int IDR_DORN_ICONFONT = 101;

// Registers "Link", "Text" and "Splitter" and adds the icon font to this process. Always returns 0.
int RegisterCustomControls();

}  // namespace Windows
}  // namespace Dorn32

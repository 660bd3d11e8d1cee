// Messages an owner sends to a "Splitter" control.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

constexpr UINT SPM_SETPANE = WM_USER + 1;   // wParam: 0 first pane, else second; lParam: the pane
constexpr UINT SPM_SETSPLIT = WM_USER + 2;  // wParam: 0 side by side, else stacked; lParam: position
constexpr UINT SPM_LAYOUT = WM_USER + 3;

}  // namespace Windows
}  // namespace Dorn32

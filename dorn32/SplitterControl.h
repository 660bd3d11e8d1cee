// The "Splitter" control: two child panes side by side or stacked, divided by a bar the user drags.
#pragma once

#include <windows.h>

#include "SplitterMessages.h"

namespace Dorn32 {
namespace Windows {

// One per splitter window, from WM_NCCREATE to WM_NCDESTROY, at extra-byte index 0.
struct SplitterData
{
    HWND firstPane;   // left, or top when stacked
    HWND secondPane;  // right, or bottom when stacked
    int stacked;      // 0: side by side, vertical bar; 1: one above the other, horizontal bar
    int position;     // size of the first pane along the split, in client pixels
    int barSize;      // gap between the panes
    HWND window;
    int trackY;  // tracking bar, window-relative, while stacked
    int trackX;  // tracking bar, window-relative, while side by side
    BOOL dragging;
};

LRESULT CALLBACK SplitterWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Inverts a one-pixel checkerboard over the rectangle; doing it twice restores the pixels.
void InvertTrackBar(HDC dc, int x, int y, int width, int height);

}  // namespace Windows
}  // namespace Dorn32

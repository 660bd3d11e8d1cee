// The duty floor's per-refresh work, shared by duty_floor.exe and the in-process benchmark so
// that both time the same code: three key states read, six NIM_MODIFY and three SB_SETTEXTA,
// nothing cached or compared first.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace duty {

extern HHOOK g_hook;

// The three lock icons (ids 1 to 3) owned by `owner`, their six pictures from `instance`, and the
// status bar whose panes 1 to 3 the refresh writes.
void SetUp(HINSTANCE instance, HWND owner, HWND statusBar, UINT callbackMessage, const char* tip);
// NIM_ADD of the three icons, with their off pictures.
void AddIcons();
void DeleteIcons();
void Refresh();

}  // namespace duty

// Refreshes on the three lock keys, passes every event on.
extern "C" __declspec(dllexport) LRESULT CALLBACK DutyFloorKeyboardProc(int code, WPARAM wParam, LPARAM lParam);

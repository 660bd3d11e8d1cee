// The floor's keyboard hook: it passes every event on and does nothing else. floor_hook.cpp is
// compiled into floor.exe and into the in-process benchmark, so both time the same function.
#pragma once

#include <windows.h>

extern HHOOK g_floorHook;

extern "C" __declspec(dllexport) LRESULT CALLBACK FloorKeyboardProc(int code, WPARAM wParam, LPARAM lParam);

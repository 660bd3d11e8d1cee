#include "floor_hook.h"

HHOOK g_floorHook = nullptr;

LRESULT CALLBACK FloorKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(g_floorHook, code, wParam, lParam);
}

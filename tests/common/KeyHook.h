// Key events handed straight to the program's low-level keyboard hook, as the system hands them.
#pragma once

#include <windows.h>

#include "CFenlowApp.h"

namespace inprocess {

// A release of `vk` as the system reports it to a low-level hook; what the hook returns.
inline LRESULT CallHookWithKeyUp(DWORD vk)
{
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = vk;
    event.scanCode = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    event.flags = LLKHF_UP;
    event.time = GetTickCount();
    return LowLevelKeyboardProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&event));
}

}  // namespace inprocess

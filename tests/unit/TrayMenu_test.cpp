// The tray menu of the real application object, opened in this process and closed from its own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include "InProcessApp.h"

namespace {

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

TEST(TrayMenuTest, AMessageWaitsInTheQueueWhenTheMenuHasClosed)
{
    ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
    g_app.LoadTrayResources();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);

    UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseMenu);
    g_app.OnTrayNotify(g_app.m_hWnd, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);

    // The menu needs the message posted, so that the next click finds the queue moving.
    bool queued = false;
    while (PeekMessageA(&msg, g_app.m_hWnd, 0, 0, PM_REMOVE))
        queued |= msg.message == WM_NULL;
    EXPECT_TRUE(queued);
}

}  // namespace

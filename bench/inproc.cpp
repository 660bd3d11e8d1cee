// In-process figures of the real code: the keyboard hook against the floors', and one refresh
// of the application object against the duty floor's, split into its tray and status-bar calls.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "CFenlowApp.h"
#include "Dorn32.h"
#include "DornControls.h"
#include "ProductInfo.h"
#include "bench_util.h"
#include "duty_floor.h"
#include "floor_hook.h"
#include "version.h"

using namespace Dorn32::Windows;

namespace {

// Called through a volatile pointer, as the system calls a hook: nothing is inlined or hoisted.
double NsPerCall(HOOKPROC proc, int calls, KBDLLHOOKSTRUCT* event)
{
    HOOKPROC volatile target = proc;
    LPARAM lParam = reinterpret_cast<LPARAM>(event);
    int64_t start = bench::Ticks();
    for (int i = 0; i < calls; ++i)
        target(HC_ACTION, WM_KEYDOWN, lParam);
    return bench::Us(bench::Ticks() - start) * 1000.0 / calls;
}

LRESULT CALLBACK EmptyProc(int, WPARAM, LPARAM)
{
    return 0;
}

void HookCost(int runs, int calls)
{
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = 'A';
    event.scanCode = MapVirtualKeyA('A', MAPVK_VK_TO_VSC);
    const int kChunk = 10000;
    int chunks = std::max(1, calls / kChunk);

    // One untimed chunk each first: page faults and cold caches belong to neither.
    NsPerCall(LowLevelKeyboardProc, kChunk, &event);
    NsPerCall(FloorKeyboardProc, kChunk, &event);
    NsPerCall(DutyFloorKeyboardProc, kChunk, &event);

    std::vector<double> fenlow, floor, duty, empty;
    for (int run = 0; run < runs; ++run) {
        // Each run is made of alternating chunks, so drifts of the machine fall on both alike.
        double fenlowNs = 0, floorNs = 0, dutyNs = 0, emptyNs = 0;
        for (int chunk = 0; chunk < chunks; ++chunk) {
            fenlowNs += NsPerCall(LowLevelKeyboardProc, kChunk, &event);
            floorNs += NsPerCall(FloorKeyboardProc, kChunk, &event);
            dutyNs += NsPerCall(DutyFloorKeyboardProc, kChunk, &event);
            emptyNs += NsPerCall(EmptyProc, kChunk, &event);
        }
        fenlow.push_back(fenlowNs / chunks);
        floor.push_back(floorNs / chunks);
        duty.push_back(dutyNs / chunks);
        empty.push_back(emptyNs / chunks);
    }
    bench::Note("hook: %d runs of %d calls each, key 'A' (not a lock key)", runs, chunks * kChunk);
    bench::Note("hook ns/call fenlow: min %.1f median %.1f max %.1f", bench::Quantile(fenlow, 0), bench::Median(fenlow),
                bench::Quantile(fenlow, 1));
    bench::Note("hook ns/call floor:  min %.1f median %.1f max %.1f", bench::Quantile(floor, 0), bench::Median(floor),
                bench::Quantile(floor, 1));
    bench::Note("hook ns/call duty floor: min %.1f median %.1f max %.1f", bench::Quantile(duty, 0), bench::Median(duty),
                bench::Quantile(duty, 1));
    bench::Note("hook ns/call of an empty function (the call itself): median %.1f", bench::Median(empty));
    bench::Result("hook_ns_fenlow", bench::Median(fenlow));
    bench::Result("hook_ns_floor", bench::Median(floor));
    bench::Result("hook_ns_duty", bench::Median(duty));
    bench::Result("hook_runs", runs);
    bench::Result("hook_calls", chunks * kChunk);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The application object set up as AppMain does, with all three icons chosen and the window hidden.
bool SetUpApp()
{
    g_hInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    // Start-up work of Fenlow's that the duty floor does not do, timed once each as at a start.
    int64_t t0 = bench::Ticks();
    RegisterCustomControls();
    int64_t t1 = bench::Ticks();
    g_productInfo.Load(FENLOW_PRODUCT_NAME, g_disclaimer);
    int64_t t2 = bench::Ticks();
    g_app.m_settings.Load();
    int64_t t3 = bench::Ticks();
    bench::Note(
        "start-up steps: control classes and icon font %.0f us, version resource (five lookups) %.0f us, "
        "settings %.0f us",
        bench::Us(t1 - t0), bench::Us(t2 - t1), bench::Us(t3 - t2));
    bench::Result("startup_classes_us", bench::Us(t1 - t0));
    bench::Result("startup_version_us", bench::Us(t2 - t1));
    bench::Result("startup_settings_us", bench::Us(t3 - t2));
    if (!g_app.RegisterWindowClass() || !g_app.CreateMainWindow())
        return false;
    // No key event may wait on this thread while it is busy timing.
    UnhookWindowsHookEx(g_app.m_hook);
    g_app.m_hook = nullptr;

    g_app.CreateStatusPanes();
    g_app.m_dlgNotify.CreateModeless(g_hInstance, g_app.m_hWnd, SW_HIDE);
    CSettings& s = g_app.m_settings;
    s.Init = 1;
    s.CapLock = s.ScrLock = s.NumLock = 1;
    s.CapLockMsg = s.ScrLockMsg = s.NumLockMsg = 1;
    g_app.ShowWindow(SW_HIDE);
    int64_t t4 = bench::Ticks();
    g_app.LoadTrayResources();
    int64_t t5 = bench::Ticks();
    // The same layout again: four deletes, three adds, and nothing else.
    g_app.LayoutTrayIcons();
    int64_t t6 = bench::Ticks();
    bench::Note("start-up steps: tray resources, layout and first refresh %.0f us; the layout alone %.0f us",
                bench::Us(t5 - t4), bench::Us(t6 - t5));
    bench::Result("startup_layout_us", bench::Us(t6 - t5));
    PumpMessages();
    return true;
}

void RefreshCost(int rounds)
{
    if (!SetUpApp()) {
        bench::Note("refresh: the main window could not be created");
        return;
    }
    bool realTray = FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
    bench::Note("refresh: tray calls go to %s",
                realTray ? "Wine's own notification area (explorer)" : "no notification area");
    // The duty floor's refresh on the same three icons and the same status bar.
    duty::SetUp(g_hInstance, g_app.m_hWnd, g_app.m_hStatusBar, WM_TRAYNOTIFY, g_productInfo.productName);
    duty::Refresh();

    DornTrayIcon* trays[] = {&g_app.m_trayCaps, &g_app.m_trayScroll, &g_app.m_trayNum};
    const int panes[] = {1, 2, 3};
    const int keys[] = {VK_CAPITAL, VK_SCROLL, VK_NUMLOCK};

    std::vector<double> total, dutyTotal, tray, status, keyState, tick, hide, hideMove, hideShow;
    for (int round = 0; round < rounds; ++round) {
        int64_t d0 = bench::Ticks();
        duty::Refresh();
        dutyTotal.push_back(bench::Us(bench::Ticks() - d0));
        int64_t t0 = bench::Ticks();
        g_app.RefreshLockStates();
        int64_t t1 = bench::Ticks();

        // The refresh's own calls again, one kind at a time, with the values it has just set.
        char tips[3][sizeof(NOTIFYICONDATAA::szTip)];
        char texts[3][16];
        for (int k = 0; k < 3; ++k) {
            std::memcpy(tips[k], trays[k]->szTip, sizeof tips[k]);
            texts[k][0] = '\0';
            if (LOWORD(SendMessageA(g_app.m_hStatusBar, SB_GETTEXTLENGTHA, panes[k], 0)) < sizeof texts[k])
                SendMessageA(g_app.m_hStatusBar, SB_GETTEXTA, panes[k], reinterpret_cast<LPARAM>(texts[k]));
        }
        int64_t t2 = bench::Ticks();
        for (int k = 0; k < 3; ++k) {
            trays[k]->SetIcon(trays[k]->hIcon);
            trays[k]->SetTip(tips[k]);
        }
        int64_t t3 = bench::Ticks();
        for (int k = 0; k < 3; ++k)
            SendMessageA(g_app.m_hStatusBar, SB_SETTEXTA, panes[k], reinterpret_cast<LPARAM>(texts[k]));
        int64_t t4 = bench::Ticks();
        volatile SHORT sink = 0;
        for (int k = 0; k < 3; ++k)
            sink = sink + GetKeyState(keys[k]);
        int64_t t5 = bench::Ticks();
        // What a timer tick adds to the refresh: the popup, already hidden, is hidden again.
        g_app.OnTimerTick();
        int64_t t6 = bench::Ticks();
        g_app.m_dlgNotify.Hide();
        int64_t t7 = bench::Ticks();
        // The hide's two calls apart, on the popup it has just hidden.
        HWND popup = g_app.m_dlgNotify.m_hWnd;
        MoveWindow(popup, 0, 0, 0, 0, TRUE);
        int64_t t8 = bench::Ticks();
        ShowWindow(popup, SW_HIDE);
        int64_t t9 = bench::Ticks();
        hideMove.push_back(bench::Us(t8 - t7));
        hideShow.push_back(bench::Us(t9 - t8));

        total.push_back(bench::Us(t1 - t0));
        tray.push_back(bench::Us(t3 - t2));
        status.push_back(bench::Us(t4 - t3));
        keyState.push_back(bench::Us(t5 - t4));
        tick.push_back(bench::Us(t6 - t5));
        hide.push_back(bench::Us(t7 - t6));
        PumpMessages();
    }
    bench::Note("refresh: %d rounds; medians in microseconds", rounds);
    bench::Note(
        "refresh total %.1f (p10 %.1f, p90 %.1f); 6 tray calls %.1f; 3 status-bar calls %.2f; 3 GetKeyState %.2f",
        bench::Median(total), bench::Quantile(total, 0.1), bench::Quantile(total, 0.9), bench::Median(tray),
        bench::Median(status), bench::Median(keyState));
    bench::Note("refresh of the duty floor %.1f (p10 %.1f, p90 %.1f)", bench::Median(dutyTotal),
                bench::Quantile(dutyTotal, 0.1), bench::Quantile(dutyTotal, 0.9));
    bench::Result("refresh_us", bench::Median(total));
    bench::Result("refresh_us_duty", bench::Median(dutyTotal));
    bench::Result("refresh_tray_us", bench::Median(tray));
    bench::Result("refresh_status_us", bench::Median(status));
    bench::Result("refresh_keystate_us", bench::Median(keyState));
    bench::Note("timer tick (refresh and popup countdown) %.1f; hiding the hidden popup alone %.1f",
                bench::Median(tick), bench::Median(hide));
    bench::Note("hiding the hidden popup: MoveWindow to 0, 0, 0 x 0 %.1f; ShowWindow(SW_HIDE) %.1f",
                bench::Median(hideMove), bench::Median(hideShow));
    bench::Result("inproc_hide_move_us", bench::Median(hideMove));
    bench::Result("inproc_hide_show_us", bench::Median(hideShow));
    bench::Result("inproc_tick_us", bench::Median(tick));
    bench::Result("inproc_hide_us", bench::Median(hide));
    bench::Result("refresh_rounds", rounds);
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = bench::IntArg(argc, argv, "--runs", 3);
    int calls = bench::IntArg(argc, argv, "--calls", 1000000);
    int rounds = bench::IntArg(argc, argv, "--refreshes", 200);
    HookCost(runs, calls);
    RefreshCost(rounds);
    return 0;
}

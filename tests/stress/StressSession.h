// The end-to-end fixture for the stress tests, with the measurements they share.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "FenlowSession.h"
#include "StressProbe.h"
#include "StressTray.h"

namespace e2e {

struct LockView
{
    WORD vk;
    UINT trayId;
    int pane;
    const char* paneOn;
    const char* tipOn;
    const char* tipOff;
    int iconOn;
    int iconOff;
};

const LockView kLockViews[] = {
    {VK_CAPITAL, 1, 1, "CAP", "Capital: ON", "Capital: OFF", IDI_CAPSLOCK_ON, IDI_CAPSLOCK_OFF},
    {VK_SCROLL, 2, 2, "SCR", "Scroll: ON", "Scroll: OFF", IDI_SCROLLLOCK_ON, IDI_SCROLLLOCK_OFF},
    {VK_NUMLOCK, 3, 3, "NUM", "Nunlock: ON", "Nunlock: OFF", IDI_NUMLOCK_ON, IDI_NUMLOCK_OFF},
};

class StressFenlow : public FenlowTest
{
protected:
    void TearDown() override
    {
        lean.reset();
        FenlowTest::TearDown();
    }

    // The settings key with every icon and every popup chosen, Init set: starts in the tray.
    void StoreAllOn()
    {
        StoreFlags({{"Init", 1}, {"Tray", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}, {"CapLockMsg", 1},
                    {"ScrLockMsg", 1}, {"NumLockMsg", 1}});
    }

    // For long runs: the lean notification area in place of the recording one. Before Start.
    void UseLeanTray()
    {
        tray.reset();
        lean = std::make_unique<StressTray>();
    }

    // Starts the program with `args` and waits for its first refresh, with either tray.
    Fenlow StartStress(const std::wstring& args = L"")
    {
        Fenlow f;
        f.process = Launch(L"fenlow.exe", args);
        if (!f.process)
            return f;
        f.main = WaitForWindow(f.process.Pid(), L"dorncapplication");
        if (!f.main)
            return f;
        WaitUntil([&] { return (f.status = FindChildByClass(f.main, L"msctls_statusbar32")) != nullptr; });
        f.options = FindChildByClass(f.main, L"#32770");
        DWORD pid = f.process.Pid();
        WaitUntil([&] { return StatusBarText(f.status, 3).size() == 3 && IconCount(pid) > 0; }, 5000);
        for (HWND top : TopWindows(pid, L"#32770"))
            if (FindChild(top, IDC_NOTIFY_TEXT))
                f.popup = top;
        return f;
    }

    size_t IconCount(DWORD pid) const { return lean ? lean->IconsOf(pid).size() : TrayIconsOf(pid).size(); }

    std::optional<std::string> TipOf(DWORD pid, UINT id) const
    {
        if (lean) {
            if (auto icon = lean->FindByPid(pid, id))
                return icon->tip;
        } else if (auto icon = tray->FindByPid(pid, id)) {
            return icon->tip;
        }
        return std::nullopt;
    }

    IconPicture PictureOfIcon(DWORD pid, UINT id) const
    {
        if (lean)
            return lean->Picture(pid, id);
        auto icon = tray->FindByPid(pid, id);
        return icon ? icon->picture : IconPicture();
    }

    bool PictureIs(DWORD pid, UINT id, int resId) const
    {
        IconPicture got = PictureOfIcon(pid, id);
        return !got.Empty() && ResourcePicture(FenlowPath(), resId, got.width, got.height) == got;
    }

    // What differs between the program's panes and tray tooltips and the states `on` (Caps,
    // Scroll, Num); empty when all agree.
    std::string Mismatches(const Fenlow& f, const bool on[3]) const
    {
        std::string wrong;
        for (int k = 0; k < 3; ++k) {
            const LockView& view = kLockViews[k];
            std::string pane = StatusBarText(f.status, view.pane);
            if (pane != (on[k] ? view.paneOn : "   "))
                wrong += "pane " + std::to_string(view.pane) + " '" + pane + "'; ";
            std::optional<std::string> tip = TipOf(f.process.Pid(), view.trayId);
            if (!tip)
                wrong += "tray icon " + std::to_string(view.trayId) + " missing; ";
            else if (*tip != (on[k] ? view.tipOn : view.tipOff))
                wrong += "tip '" + *tip + "'; ";
        }
        return wrong;
    }

    // A figure for the log and for the test's XML properties.
    static void Figure(const std::string& name, long long value, const char* unit = "")
    {
        std::printf("  %s = %lld%s\n", name.c_str(), value, unit);
        RecordProperty(name, std::to_string(value));
    }

    std::unique_ptr<StressTray> lean;
};

}  // namespace e2e

// The end-to-end fixture for the stress tests, with the measurements they share.
#pragma once

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FenlowSession.h"
#include "SettingsFlags.h"
#include "StressProbe.h"

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
    // The settings key with every icon and every popup chosen, Init set: starts in the tray.
    void StoreAllOn()
    {
        for (const settings_flags::FlagRef& flag : settings_flags::kFlags)
            ASSERT_TRUE(registry.SetBinary(flag.name, {1}));
    }

    // Caps Lock's and Num Lock's icons chosen, Scroll Lock's not, so three of the four slots stay
    // empty; started in the tray with Num Lock turned on afterwards. Call in ASSERT_NO_FATAL_FAILURE.
    void StartWithCapsAndNum(Fenlow& f)
    {
        StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 0}, {"NumLock", 1}});
        f = Start();
        ASSERT_TRUE(f.main);
        ASSERT_EQ((std::vector<UINT>{1, 3}), TrayIdsOf(f.process.Pid()));
        ASSERT_TRUE(SetLock(VK_NUMLOCK, true));
    }

    std::vector<UINT> SortedTrayIds(DWORD pid) const
    {
        std::vector<UINT> ids = TrayIdsOf(pid);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // The adds logged from call `from` on, and how many of them were refused; each must be for
    // Caps Lock's or Num Lock's icon.
    std::pair<int, int> AddsOfCapsAndNum(size_t from = 0) const
    {
        int adds = 0, refused = 0;
        std::vector<TrayCall> calls = tray->Calls();
        for (size_t i = from; i < calls.size(); ++i) {
            if (calls[i].op != NIM_ADD)
                continue;
            ++adds;
            refused += !calls[i].result;
            EXPECT_TRUE(calls[i].id == 1 || calls[i].id == 3) << "icon " << calls[i].id << " added";
        }
        return {adds, refused};
    }

    // For long runs: a tray that counts calls and decodes pictures only when asked. Before Start.
    void UseLeanTray()
    {
        tray.reset();  // first: only one window of the class at a time
        tray = std::make_unique<FakeTray>(TrayRecording::Lean);
    }

    std::optional<std::string> TipOf(DWORD pid, UINT id) const
    {
        if (auto icon = tray->FindByPid(pid, id))
            return icon->tip;
        return std::nullopt;
    }

    bool PictureIs(DWORD pid, UINT id, int resId) const
    {
        return PictureMatchesResource(tray->Picture(pid, id), FenlowPath(), resId);
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
};

}  // namespace e2e

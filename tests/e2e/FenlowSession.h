// A running fenlow.exe under test, with a clean settings key and a stand-in notification area.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FenlowDriver.h"
#include "resource.h"

namespace e2e {

struct Fenlow
{
    Process process;
    HWND main = nullptr;
    HWND status = nullptr;
    HWND options = nullptr;
    HWND popup = nullptr;

    HWND Box(int id) const { return FindChild(options, id); }
};

// A click on a button of another process: BM_CLICK works across processes, the button sends its
// own WM_COMMAND.
inline void Click(HWND button)
{
    SendTimeout(button, BM_CLICK, 0, 0);
}

class FenlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tray = std::make_unique<FakeTray>();
        ASSERT_TRUE(AllLocksOff());
    }

    void TearDown() override { tray.reset(); }

    // The eight flags in stored order, each one byte.
    void StoreFlags(const std::vector<std::pair<const char*, uint8_t>>& flags)
    {
        for (const auto& flag : flags)
            ASSERT_TRUE(registry.SetBinary(flag.first, {flag.second}));
    }

    // Starts the program (the one built, or `exe`) and waits until start-up has run its first refresh.
    Fenlow Start(const std::wstring& exe = L"fenlow.exe")
    {
        Fenlow f;
        f.process = Launch(exe);
        if (!f.process)
            return f;
        f.main = WaitForMainWindow(f.process.Pid());
        if (!f.main)
            return f;
        // The status bar and the popup come after the main window: wait for the first refresh.
        WaitUntil([&] { return (f.status = FindChildByClass(f.main, L"msctls_statusbar32")) != nullptr; });
        f.options = FindChildByClass(f.main, L"#32770");
        DWORD pid = f.process.Pid();
        WaitUntil([&] { return StatusBarText(f.status, 3).size() == 3 && !TrayIconsOf(pid).empty(); }, 5000);
        for (HWND top : TopWindows(pid, L"#32770"))
            if (FindChild(top, IDC_NOTIFY_TEXT))
                f.popup = top;
        return f;
    }

    std::vector<TrayIcon> TrayIconsOf(DWORD pid) const { return tray->IconsOf(pid); }

    std::vector<UINT> TrayIdsOf(DWORD pid) const
    {
        std::vector<UINT> ids;
        for (const TrayIcon& icon : TrayIconsOf(pid))
            ids.push_back(icon.id);
        return ids;
    }

    static std::wstring FenlowPath() { return ExeNextToMe(L"fenlow.exe"); }

    // Constructed before the tray so that the key is clean before anything starts.
    RegistryFixture registry;
    std::unique_ptr<FakeTray> tray;
};

}  // namespace e2e

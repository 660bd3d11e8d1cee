// A lean stand-in for the notification area, for runs of tens of thousands of tray calls.
// Like FakeTray (and under Wine only, for the same reason) it takes every Shell_NotifyIcon call
// and answers as the shell does, but it keeps each picture as the bits that were sent and
// decodes one only when asked: decoding every call costs more than the program under test.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeTray.h"

namespace e2e {

class StressTray {
public:
    struct Icon {
        HWND owner = nullptr;
        UINT id = 0;
        DWORD pid = 0;
        std::string tip;
    };

    StressTray();
    ~StressTray();
    StressTray(const StressTray&) = delete;
    StressTray& operator=(const StressTray&) = delete;

    std::vector<Icon> Icons() const;
    std::vector<Icon> IconsOf(DWORD pid) const;
    std::optional<Icon> FindByPid(DWORD pid, UINT id) const;
    // The icon's current picture, decoded now; empty if there is none.
    IconPicture Picture(DWORD pid, UINT id) const;
    // Calls received since construction, and how many of them failed.
    size_t Calls() const;
    size_t FailedCalls() const;
    // Forgets all icons as a restarted taskbar does, then broadcasts "TaskbarCreated".
    void Restart();

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace e2e

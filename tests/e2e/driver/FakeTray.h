// A stand-in for the shell's notification area, so tests can see every tray icon call.
// It works under Wine only: there Shell_NotifyIcon sends WM_COPYDATA to the first top-level
// "Shell_TrayWnd" window in z-order, which is this one once it exists.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "IconPicture.h"

namespace e2e {

using pictures::IconPicture;
using pictures::PictureOf;

// Icon resource `resId` of the module file `exePath`, loaded at width x height.
IconPicture ResourcePicture(const std::wstring& exePath, int resId, int width, int height);

struct TrayIcon
{
    HWND owner = nullptr;
    UINT id = 0;
    DWORD pid = 0;   // owner's process when the icon was added
    UINT flags = 0;  // every NIF_ flag any call for this icon has carried
    UINT callbackMessage = 0;
    UINT version = 0;  // from NIM_SETVERSION
    DWORD state = 0;   // NIS_ bits
    std::string tip;   // ANSI code page
    std::string info;  // balloon text and title
    std::string infoTitle;
    IconPicture picture;
};

struct TrayCall
{
    DWORD op = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION, ...
    HWND owner = nullptr;
    UINT id = 0;
    UINT flags = 0;
    bool result = false;          // what Shell_NotifyIcon returned to the caller
    std::string tip;              // as sent, with NIF_TIP
    IconPicture picture;          // as sent, with NIF_ICON on NIM_ADD and NIM_MODIFY
    bool watchedVisible = false;  // WatchVisibility's window, as the call came
};

// What a FakeTray keeps of the calls it is sent.
enum class TrayRecording {
    Full,  // every call logged, every picture decoded as it comes
    // Counts only, and each picture kept as the bits that were sent until Picture() asks:
    // for runs of tens of thousands of calls, where decoding each one costs more than the
    // program under test and a growing log would read as a leak in-process.
    Lean,
};

// Starts a thread with a visible 20-pixel "Shell_TrayWnd" strip at the bottom of the screen
// (the work area of programs started afterwards stays as with the real taskbar). It answers
// as the shell does: adding a present icon or modifying/deleting an absent one fails.
class FakeTray
{
public:
    explicit FakeTray(TrayRecording recording = TrayRecording::Full);
    ~FakeTray();  // closes the window and joins the thread
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;

    HWND Window() const;
    // Current icons in order of addition; with TrayRecording::Lean their `picture` stays empty.
    std::vector<TrayIcon> Icons() const;
    std::vector<TrayIcon> IconsOf(DWORD pid) const;
    std::optional<TrayIcon> Find(HWND owner, UINT id) const;
    std::optional<TrayIcon> FindByPid(DWORD pid, UINT id) const;
    size_t Count() const;
    // The icon's current picture (with TrayRecording::Lean decoded now); empty if there is none.
    IconPicture Picture(DWORD pid, UINT id) const;
    // Every call received since construction or ClearLog, in order; always empty with
    // TrayRecording::Lean.
    std::vector<TrayCall> Calls() const;
    // Calls received since construction, and how many of them failed (in either mode).
    size_t CallCount() const;
    size_t FailedCallCount() const;
    void ClearLog();
    // Forgets all icons as a restarted taskbar does, then broadcasts "TaskbarCreated".
    void Restart();
    // Forgets all icons and tells nobody, as a shell that lost them does.
    void Forget();
    // The next `count` NIM_ADD calls for icon `id` (any owner) fail as with a busy shell: the
    // icon is not added or, if `landAnyway`, added all the same (an add that timed out late).
    void RefuseAdds(UINT id, int count, bool landAnyway = false);
    // NIM_ADD calls that came for an icon already there (in either recording mode).
    size_t DuplicateAddCount() const;
    // Sends the icon's callback message to its owner as the shell does on a mouse event
    // (`mouseMsg` e.g. WM_LBUTTONDBLCLK, WM_RBUTTONUP); posted unless `send`. True on success.
    bool Click(const TrayIcon& icon, UINT mouseMsg, bool send = false) const;
    // Once, on the next NIM_MODIFY for icon `id`: runs `before` on the tray's thread ahead of
    // answering, while the caller still waits in Shell_NotifyIcon (and may be re-entered).
    void BeforeNextModify(UINT id, std::function<void()> before);
    // From now on each call is answered `ms` late, as by a shell busy at sign-in or under load.
    void AnswerLate(DWORD ms);
    // From now on each logged call notes whether `window` was visible as the call came, while its
    // sender still waited: the sender's state at that step of its work, whatever the clock says.
    void WatchVisibility(HWND window);

    struct State;

private:
    std::unique_ptr<State> m_state;
};

// True if `got` is not empty and equals icon resource `resId` of `exePath` at the same size.
bool PictureMatchesResource(const IconPicture& got, const std::wstring& exePath, int resId);
// The same for the icon's picture.
bool IconMatchesResource(const TrayIcon& icon, const std::wstring& exePath, int resId);

}  // namespace e2e

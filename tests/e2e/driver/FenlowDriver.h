// Helpers for end-to-end tests: start programs, find and read their windows (also across
// processes), press keys, prepare the settings key, and observe the notification area.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "version.h"

namespace e2e {

// ------------------------------------------------------------------------------------------
// Processes

// Full path of `name` in the directory of the running executable.
std::wstring ExeNextToMe(const std::wstring& name);

// A started process. If it still runs when this object goes away, it is terminated and
// waited for, so that no test leaves a process behind.
class Process
{
public:
    Process() = default;
    Process(HANDLE process, DWORD pid) : m_handle(process), m_pid(pid) {}
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE Handle() const { return m_handle; }
    DWORD Pid() const { return m_pid; }
    bool Running() const;
    // True if the process has ended within `ms`; its exit code then goes to *code.
    bool WaitExit(DWORD ms, DWORD* code = nullptr) const;
    // Terminates it (exit code 1) and waits until it is gone.
    void Kill();

private:
    void Close();
    HANDLE m_handle = nullptr;
    DWORD m_pid = 0;
};

// Starts `exe` (a name without a directory means: next to the running executable) with the
// command-line arguments `args`. An empty Process on failure; GetLastError() tells why.
Process Launch(const std::wstring& exe, const std::wstring& args = L"");

// ------------------------------------------------------------------------------------------
// Waiting

// Calls `pred` about every 10 ms, dispatching this thread's messages in between, until it
// returns true (result true) or `timeoutMs` has passed (result false).
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);
// Dispatches this thread's messages for `ms`.
void Pump(DWORD ms);

// ------------------------------------------------------------------------------------------
// Windows, also those of other processes

// Top-level windows of process `pid`, hidden ones included, in z-order; only those of
// window class `cls` unless it is empty.
std::vector<HWND> TopWindows(DWORD pid, const std::wstring& cls = L"");
// Waits for a top-level window of `pid` and class `cls` (visible if `visible`); null on timeout.
// It may be found while still in WM_CREATE: wait for its controls with WaitForChild.
HWND WaitForWindow(DWORD pid, const std::wstring& cls, DWORD timeoutMs = 5000, bool visible = false);
// The class of Fenlow's main window, as the framework registers it.
extern const wchar_t kMainWindowClass[];
// Waits for Fenlow's main window in `pid`, as WaitForWindow does.
HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs = 5000, bool visible = false);
// All descendants of `parent`, depth first.
std::vector<HWND> Children(HWND parent);
// First descendant with control id `id`, or null.
HWND FindChild(HWND parent, int id);
// Waits for FindChild to find one; null on timeout.
HWND WaitForChild(HWND parent, int id, DWORD timeoutMs = 5000);
// The `index`-th descendant of class `cls`, or null.
HWND FindChildByClass(HWND parent, const std::wstring& cls, int index = 0);
std::wstring ClassName(HWND hwnd);
// The window's text through WM_GETTEXT, in the ANSI code page.
std::string GetText(HWND hwnd);
// The same as Unicode: the letters themselves, whatever the code page.
std::wstring GetWideText(HWND hwnd);
// SendMessageTimeout that gives up after `timeoutMs` or when the target hangs (result 0).
LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs = 5000);
// The window with the keyboard focus in the thread of `window` (any process), or null.
HWND FocusOfThreadOf(HWND window);
// BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int CheckState(HWND button);
// SB_GETPARTS of a status bar in any process: the right edge of each pane (-1: to the end).
std::vector<int> StatusBarParts(HWND statusBar);
// SB_GETTEXTA of pane `pane` of a status bar in any process.
std::string StatusBarText(HWND statusBar, int pane);
inline RECT WindowRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
inline DWORD Style(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
}
inline DWORD ExStyle(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
}

// ------------------------------------------------------------------------------------------
// Keyboard, through SendInput: reaches the foreground window and every low-level hook.

// True for the keys whose events carry the extended-key flag (KF_EXTENDED), Num Lock among them.
bool IsExtendedKey(WORD vk);
// One key event as SendInput takes it: virtual key, its scan code and, where due, the extended flag.
INPUT KeyInput(WORD vk, bool up);
void KeyDown(WORD vk);
void KeyUp(WORD vk);
// Down and up in one SendInput.
void PressKey(WORD vk);
// All keys down in order, then up in reverse order, e.g. {VK_MENU, VK_F4}.
void PressChord(std::initializer_list<WORD> keys);
void PressChord(const std::vector<WORD>& keys);
// A left click at a point of the screen, through SendInput.
void ClickAt(POINT screen);
// Characters as KEYEVENTF_UNICODE input (WM_CHAR in the focused window).
void TypeText(const std::wstring& text);

// Lock keys (VK_CAPITAL, VK_NUMLOCK, VK_SCROLL). Seen under Wine 8: every thread keeps its own
// key state, zeroed at its start, and takes the desktop's state of a key only when it reads
// key states (GetKeyState, GetKeyboardState) and that key has changed since its previous read.
// So a program started while Caps Lock is on reads it off, and two toggles between two reads
// go unseen. SendInput returns after every low-level hook has run (a hook reading GetKeyState
// sees each change: the old toggle at key-down, the new one at key-up), and GetKeyState here
// shows the new state at once, without dispatching messages. Hence SyncLocks: toggle, pause
// 100 ms so that polling programs notice, toggle back. Windows needs none of it; it is harmless.

// Toggles each lock key twice, 100 ms apart (running programs see two changes per key).
void SyncLocks();
// The true toggle state. Syncs that key first (two toggles) if this thread has not yet.
bool IsLockOn(WORD vk);
// Presses the key if needed; true when the state is `on` afterwards.
bool SetLock(WORD vk, bool on);
// Every lock key off (syncs first); true on success. Programs started afterwards then see
// the true state under Wine too.
bool AllLocksOff();

// ------------------------------------------------------------------------------------------
// The settings key, HKCU\SOFTWARE\<company>\<product name>

struct RegValue
{
    std::string name;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

// Deletes the key with its subkeys on construction and on destruction.
class RegistryFixture
{
public:
    static constexpr const char* kPath = "SOFTWARE\\" FENLOW_COMPANY "\\" FENLOW_PRODUCT_NAME;

    RegistryFixture();
    ~RegistryFixture();
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;

    // Deletes the key now; true if it is gone.
    bool Delete();
    bool KeyExists() const;
    // Each setter creates the key if needed; true on success.
    bool SetRaw(const std::string& name, DWORD type, const std::vector<uint8_t>& data);
    bool SetBinary(const std::string& name, const std::vector<uint8_t>& data);
    bool SetDword(const std::string& name, DWORD value);
    bool SetString(const std::string& name, const std::string& value);
    bool CreateSubkey(const std::string& name);
    // Every value in enumeration order; empty if the key does not exist.
    std::vector<RegValue> ReadAll() const;
    std::optional<RegValue> Read(const std::string& name) const;
};

}  // namespace e2e

#include "FakeTray.h"

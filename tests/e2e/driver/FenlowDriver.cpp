#include "FenlowDriver.h"

#include <commctrl.h>

#include <set>
#include <utility>

#include "DornApp.h"

namespace e2e {

const wchar_t kMainWindowClass[] = L"" DORN_DEFAULT_CLASS_NAME;

// ------------------------------------------------------------------------------------------
// Processes

std::wstring ExeNextToMe(const std::wstring& name)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name;
}

Process::~Process()
{
    Kill();
}

Process::Process(Process&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_pid(std::exchange(other.m_pid, 0))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_pid = std::exchange(other.m_pid, 0);
    }
    return *this;
}

bool Process::Running() const
{
    return m_handle && WaitForSingleObject(m_handle, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD ms, DWORD* code) const
{
    if (!m_handle || WaitForSingleObject(m_handle, ms) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(m_handle, code);
    return true;
}

void Process::Kill()
{
    if (!m_handle)
        return;
    if (Running()) {
        TerminateProcess(m_handle, 1);
        WaitForSingleObject(m_handle, 10000);
    }
    Close();
}

void Process::Close()
{
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_pid = 0;
}

Process Launch(const std::wstring& exe, const std::wstring& args)
{
    std::wstring path = exe.find_first_of(L"\\/:") == std::wstring::npos ? ExeNextToMe(exe) : exe;
    std::wstring cmd = L"\"" + path + L"\"";
    if (!args.empty())
        cmd += L" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return Process();
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

// ------------------------------------------------------------------------------------------
// Waiting

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return pred();
        Pump(10);
    }
}

// ------------------------------------------------------------------------------------------
// Windows

namespace {

// A buffer inside another process, for messages whose pointer arguments are not marshalled.
class RemoteMemory
{
public:
    RemoteMemory(HWND hwnd, size_t size) : m_size(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory()
    {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    explicit operator bool() const { return m_address != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
    bool Read(void* out, size_t size) const
    {
        SIZE_T done = 0;
        return size <= m_size && ReadProcessMemory(m_process, m_address, out, size, &done) && done == size;
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size;
};

DWORD PidOf(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

}  // namespace

namespace {

struct WindowSearch
{
    DWORD pid;
    const std::wstring* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp)
{
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    if (PidOf(hwnd) == s->pid && (s->cls->empty() || ClassName(hwnd) == *s->cls))
        s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp)
{
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::wstring& cls)
{
    WindowSearch search{pid, &cls, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& cls, DWORD timeoutMs, bool visible)
{
    HWND result = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopWindows(pid, cls)) {
                if (!visible || IsWindowVisible(hwnd)) {
                    result = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return result;
}

HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs, bool visible)
{
    return WaitForWindow(pid, kMainWindowClass, timeoutMs, visible);
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindChild(HWND parent, int id)
{
    for (HWND hwnd : Children(parent))
        if (GetDlgCtrlID(hwnd) == id)
            return hwnd;
    return nullptr;
}

HWND WaitForChild(HWND parent, int id, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindChild(parent, id)) != nullptr; }, timeoutMs);
    return found;
}

HWND FindChildByClass(HWND parent, const std::wstring& cls, int index)
{
    for (HWND hwnd : Children(parent))
        if (ClassName(hwnd) == cls && index-- == 0)
            return hwnd;
    return nullptr;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t name[256] = {};
    int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, n > 0 ? n : 0);
}

LRESULT SendTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

namespace {

// WM_GETTEXT through the A or the W message, across processes too.
template <typename Char, typename Send>
std::basic_string<Char> WindowText(HWND hwnd, Send send)
{
    DWORD_PTR length = 0;
    if (!send(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::basic_string<Char> text(length + 1, Char());
    DWORD_PTR copied = 0;
    if (!send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000, &copied))
        return {};
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

}  // namespace

std::string GetText(HWND hwnd)
{
    // The A message makes the system convert to the ANSI code page, across processes too.
    return WindowText<char>(hwnd, SendMessageTimeoutA);
}

std::wstring GetWideText(HWND hwnd)
{
    return WindowText<wchar_t>(hwnd, SendMessageTimeoutW);
}

HWND FocusOfThreadOf(HWND window)
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui))
        return nullptr;
    return gui.hwndFocus;
}

int CheckState(HWND button)
{
    return static_cast<int>(SendTimeout(button, BM_GETCHECK, 0, 0));
}

std::vector<int> StatusBarParts(HWND statusBar)
{
    const int maxParts = 256;  // the control's own limit
    RemoteMemory remote(statusBar, maxParts * sizeof(int));
    if (!remote)
        return {};
    int count = static_cast<int>(SendTimeout(statusBar, SB_GETPARTS, maxParts, remote.Address()));
    if (count <= 0 || count > maxParts)
        return {};
    std::vector<int> rights(count);
    if (!remote.Read(rights.data(), count * sizeof(int)))
        return {};
    return rights;
}

std::string StatusBarText(HWND statusBar, int pane)
{
    size_t length = LOWORD(SendTimeout(statusBar, SB_GETTEXTLENGTHA, pane, 0));
    RemoteMemory remote(statusBar, length + 1);
    if (!remote)
        return {};
    size_t copied = LOWORD(SendTimeout(statusBar, SB_GETTEXTA, pane, remote.Address()));
    std::string text(copied < length ? copied : length, '\0');
    if (!text.empty() && !remote.Read(&text[0], text.size()))
        return {};
    return text;
}

// ------------------------------------------------------------------------------------------
// Keyboard

bool IsExtendedKey(WORD vk)
{
    switch (vk) {
        case VK_NUMLOCK:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_DIVIDE:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_SNAPSHOT:
            return true;
        default:
            return false;
    }
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

namespace {

void Send(std::vector<INPUT> inputs)
{
    if (!inputs.empty())
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool ToggledHere(WORD vk)
{
    return (GetKeyState(vk) & 1) != 0;
}

// Lock keys whose state this thread has seen change since it started (see the header).
thread_local std::set<WORD> g_synced;

// One press, then wait until this thread sees the toggle flip (it is immediate in practice).
bool Toggle(WORD vk)
{
    bool before = ToggledHere(vk);
    PressKey(vk);
    return WaitUntil([&] { return ToggledHere(vk) != before; }, 2000);
}

// Threads notice a change only if they read the key state while it lasts: pause in between.
const DWORD kSyncPauseMs = 100;

void SyncKeys(std::initializer_list<WORD> keys)
{
    // The first press may not show as a flip here: it is what makes this thread catch up.
    for (WORD vk : keys)
        PressKey(vk);
    Pump(kSyncPauseMs);
    for (WORD vk : keys) {
        Toggle(vk);
        g_synced.insert(vk);
    }
}

}  // namespace

void KeyDown(WORD vk)
{
    Send({KeyInput(vk, false)});
}

void KeyUp(WORD vk)
{
    Send({KeyInput(vk, true)});
}

void PressKey(WORD vk)
{
    Send({KeyInput(vk, false), KeyInput(vk, true)});
}

void PressChord(std::initializer_list<WORD> keys)
{
    PressChord(std::vector<WORD>(keys));
}

void PressChord(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs;
    for (WORD vk : keys)
        inputs.push_back(KeyInput(vk, false));
    for (auto it = keys.end(); it != keys.begin();)
        inputs.push_back(KeyInput(*--it, true));
    Send(inputs);
}

void ClickAt(POINT screen)
{
    // Absolute mouse coordinates run from 0 to 65535 over the primary screen.
    const int kAbsoluteSpan = 65535;
    INPUT in[3] = {};
    for (INPUT& one : in) {
        one.type = INPUT_MOUSE;
        one.mi.dx = MulDiv(screen.x, kAbsoluteSpan, GetSystemMetrics(SM_CXSCREEN) - 1);
        one.mi.dy = MulDiv(screen.y, kAbsoluteSpan, GetSystemMetrics(SM_CYSCREEN) - 1);
        one.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    in[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    Send(std::vector<INPUT>(in, in + 3));
}

void TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    Send(inputs);
}

void SyncLocks()
{
    SyncKeys({VK_CAPITAL, VK_NUMLOCK, VK_SCROLL});
}

bool IsLockOn(WORD vk)
{
    if (!g_synced.count(vk))
        SyncKeys({vk});
    return ToggledHere(vk);
}

bool SetLock(WORD vk, bool on)
{
    if (IsLockOn(vk) != on)
        Toggle(vk);
    return IsLockOn(vk) == on;
}

bool AllLocksOff()
{
    SyncLocks();
    bool ok = true;
    for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
        ok = SetLock(vk, false) && ok;
    return ok;
}

// ------------------------------------------------------------------------------------------
// Settings key

namespace {

HKEY OpenKey(REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RegistryFixture::kPath, 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CreateKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RegistryFixture::kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

RegistryFixture::RegistryFixture()
{
    Delete();
}

RegistryFixture::~RegistryFixture()
{
    Delete();
}

bool RegistryFixture::Delete()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPath);
    return !KeyExists();
}

bool RegistryFixture::KeyExists() const
{
    HKEY key = OpenKey(KEY_READ);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

bool RegistryFixture::SetRaw(const std::string& name, DWORD type, const std::vector<uint8_t>& data)
{
    HKEY key = CreateKey();
    if (!key)
        return false;
    LONG rc = RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                             static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistryFixture::SetBinary(const std::string& name, const std::vector<uint8_t>& data)
{
    return SetRaw(name, REG_BINARY, data);
}

bool RegistryFixture::SetDword(const std::string& name, DWORD value)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    return SetRaw(name, REG_DWORD, std::vector<uint8_t>(p, p + sizeof value));
}

bool RegistryFixture::SetString(const std::string& name, const std::string& value)
{
    const auto* p = reinterpret_cast<const uint8_t*>(value.c_str());
    return SetRaw(name, REG_SZ, std::vector<uint8_t>(p, p + value.size() + 1));
}

bool RegistryFixture::CreateSubkey(const std::string& name)
{
    HKEY key = CreateKey();
    if (!key)
        return false;
    HKEY sub = nullptr;
    LONG rc = RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
    if (sub)
        RegCloseKey(sub);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

std::vector<RegValue> RegistryFixture::ReadAll() const
{
    std::vector<RegValue> values;
    HKEY key = OpenKey(KEY_READ);
    if (!key)
        return values;
    DWORD count = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData, nullptr,
                     nullptr);
    for (DWORD i = 0; i < count; ++i) {
        std::string name(maxName + 1, '\0');
        std::vector<uint8_t> data(maxData + 1);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, i, &name[0], &nameLength, nullptr, &type, data.data(), &dataLength) != ERROR_SUCCESS)
            break;
        name.resize(nameLength);
        data.resize(dataLength);
        values.push_back({name, type, data});
    }
    RegCloseKey(key);
    return values;
}

std::optional<RegValue> RegistryFixture::Read(const std::string& name) const
{
    for (RegValue& value : ReadAll())
        if (lstrcmpiA(value.name.c_str(), name.c_str()) == 0)
            return value;
    return std::nullopt;
}

}  // namespace e2e

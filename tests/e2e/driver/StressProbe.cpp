#include "StressProbe.h"

#include <psapi.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "FenlowDriver.h"

namespace e2e {

namespace {

// GetGuiResources, or 0 where the system does not count (Wine 8).
DWORD GuiResources(HANDLE process, DWORD which)
{
    return GetGuiResources(process, which);
}

// ---- Wine's GDI handle table (dlls/win32u: GDI_SHARED_MEMORY, one per process) ----

#pragma pack(push, 4)
struct WineGdiEntry
{
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;  // 0: free
    uint8_t flags;
    uint64_t user;
};
#pragma pack(pop)
static_assert(sizeof(WineGdiEntry) == 24, "Wine's GDI_HANDLE_ENTRY is 24 bytes");
const size_t kWineGdiEntries = 0x10000;

struct BasicInformation
{  // PROCESS_BASIC_INFORMATION
    LONG exitStatus;
    void* peb;
    ULONG_PTR affinity;
    LONG basePriority;
    ULONG_PTR pid;
    ULONG_PTR parentPid;
};

void* PebOf(HANDLE process)
{
    using Query = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation info = {};
    ULONG length = 0;
    if (!query || query(process, 0 /* ProcessBasicInformation */, &info, sizeof info, &length) != 0)
        return nullptr;
    return info.peb;
}

long WineGdiTableCount(HANDLE process)
{
#if defined(_WIN64)
    const size_t kTableOffset = 0xF8;
#else
    const size_t kTableOffset = 0x94;                      // PEB.GdiSharedHandleTable
#endif
    auto* peb = static_cast<uint8_t*>(PebOf(process));
    void* table = nullptr;
    SIZE_T done = 0;
    if (!peb || !ReadProcessMemory(process, peb + kTableOffset, &table, sizeof table, &done) || !table)
        return -1;
    std::vector<WineGdiEntry> entries(kWineGdiEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(WineGdiEntry), &done) ||
        done != entries.size() * sizeof(WineGdiEntry))
        return -1;
    long used = 0;
    for (const WineGdiEntry& entry : entries)
        if (entry.type != 0)
            ++used;
    return used;
}

// ---- windows of a process ----

struct WindowTally
{
    DWORD pid;
    long count;
};

BOOL CALLBACK TallyChild(HWND hwnd, LPARAM lp)
{
    auto* tally = reinterpret_cast<WindowTally*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == tally->pid)
        ++tally->count;
    return TRUE;
}

BOOL CALLBACK TallyTop(HWND hwnd, LPARAM lp)
{
    TallyChild(hwnd, lp);
    EnumChildWindows(hwnd, TallyChild, lp);
    return TRUE;
}

long WindowsOf(DWORD pid)
{
    WindowTally tally{pid, 0};
    EnumWindows(TallyTop, reinterpret_cast<LPARAM>(&tally));
    for (HWND hwnd = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr))
        TallyTop(hwnd, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

// ---- Wine's user handle table: slot i has the handle 0x20 + 2 i (any generation in the
// high word is accepted when it is 0) ----

const UINT_PTR kFirstUserHandle = 0x0020;
const UINT_PTR kLastUserHandle = 0xFFEF;

}  // namespace

ObjectCount GdiObjects(HANDLE process)
{
    if (DWORD n = GuiResources(process, GR_GDIOBJECTS))
        return {static_cast<long>(n), "GetGuiResources(GR_GDIOBJECTS)"};
    return {WineGdiTableCount(process), "used entries of the process's GDI handle table (Wine)"};
}

ObjectCount UserObjects(HANDLE process)
{
    if (DWORD n = GuiResources(process, GR_USEROBJECTS))
        return {static_cast<long>(n), "GetGuiResources(GR_USEROBJECTS)"};
    DWORD pid = GetProcessId(process);
    if (!pid)
        return {};
    return {WindowsOf(pid), "windows of the process (Wine: its menus and icons cannot be seen from outside)"};
}

ObjectCount OwnUserObjects()
{
    if (DWORD n = GuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return {static_cast<long>(n), "GetGuiResources(GR_USEROBJECTS)"};
    DWORD me = GetCurrentProcessId();
    long count = 0;
    for (UINT_PTR h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(h))) {
            ++count;
        } else if (IsWindow(reinterpret_cast<HWND>(h))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(reinterpret_cast<HWND>(h), &pid);
            count += pid == me;
        } else {
            ICONINFO info;
            if (GetIconInfo(reinterpret_cast<HICON>(h), &info)) {
                ++count;
                if (info.hbmColor)
                    DeleteObject(info.hbmColor);
                if (info.hbmMask)
                    DeleteObject(info.hbmMask);
            }
        }
    }
    return {count, "windows, menus, icons and cursors in Wine's user handle table"};
}

SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// ------------------------------------------------------------------------------------------

NullProbe::NullProbe(HWND target, DWORD periodMs, DWORD giveUpMs)
    : m_target(target), m_periodMs(periodMs), m_giveUpMs(giveUpMs), m_thread([this] { Run(); })
{
}

NullProbe::~NullProbe()
{
    Stop();
}

void NullProbe::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void NullProbe::Run()
{
    while (!m_stop) {
        if (IsHungAppWindow(m_target))
            ++m_hung;
        auto start = std::chrono::steady_clock::now();
        DWORD_PTR result = 0;
        bool answered = SendMessageTimeoutW(m_target, WM_NULL, 0, 0, SMTO_NORMAL, m_giveUpMs, &result) != 0;
        auto ms = static_cast<DWORD>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        ++m_sends;
        if (!answered)
            ++m_misses;
        if (ms > m_maxMs)
            m_maxMs = ms;
        Sleep(m_periodMs);
    }
}

// ------------------------------------------------------------------------------------------

Process LaunchWithCommandLine(const std::wstring& exe, const std::wstring& commandLine)
{
    std::wstring path = exe.find_first_of(L"\\/:") == std::wstring::npos ? ExeNextToMe(exe) : exe;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return Process();
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

std::optional<std::wstring> CommandLineOf(HANDLE process)
{
#if defined(_WIN64)
    const size_t kParameters = 0x20, kCommandLine = 0x70;
#else
    const size_t kParameters = 0x10, kCommandLine = 0x40;  // PEB.ProcessParameters, its CommandLine
#endif
    auto* peb = static_cast<uint8_t*>(PebOf(process));
    uint8_t* parameters = nullptr;
    SIZE_T done = 0;
    if (!peb || !ReadProcessMemory(process, peb + kParameters, &parameters, sizeof parameters, &done))
        return std::nullopt;
    struct
    {
        USHORT length;
        USHORT maximum;
        wchar_t* buffer;
    } text = {};
    if (!ReadProcessMemory(process, parameters + kCommandLine, &text, sizeof text, &done))
        return std::nullopt;
    std::wstring line(text.length / sizeof(wchar_t), L'\0');
    if (!line.empty() && !ReadProcessMemory(process, text.buffer, &line[0], text.length, &done))
        return std::nullopt;
    return line;
}

namespace {

void Collect(const std::wstring& folder, bool recursive, std::map<std::wstring, FileEntry>& out)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = folder + L"\\" + name;
        FileEntry entry;
        entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entry.written =
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        bool folderEntry = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (folderEntry)
            entry.size = 0;
        out[path] = entry;
        if (folderEntry && recursive && !link)
            Collect(path, recursive, out);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

std::map<std::wstring, FileEntry> FileSnapshot(const std::wstring& root, bool recursive)
{
    std::map<std::wstring, FileEntry> files;
    std::wstring folder = root;
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    Collect(folder, recursive, files);
    return files;
}

std::wstring FileChanges(const std::map<std::wstring, FileEntry>& before,
                         const std::map<std::wstring, FileEntry>& after)
{
    std::wstring changes;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end())
            changes += L"added " + entry.first + L"\n";
        else if (old->second != entry.second)
            changes += L"changed " + entry.first + L"\n";
    }
    for (const auto& entry : before)
        if (!after.count(entry.first))
            changes += L"removed " + entry.first + L"\n";
    return changes;
}

RegistryWatch::RegistryWatch(const std::wstring& path)
{
    if (!path.empty()) {
        Watch(path);
        return;
    }
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"", 0, KEY_ENUMERATE_SUB_KEYS, &root) != ERROR_SUCCESS)
        return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        Watch(name);
    }
    RegCloseKey(root);
}

void RegistryWatch::Watch(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS)
        return;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const DWORD filter =
        REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;
    if (!event || RegNotifyChangeKeyValue(key, TRUE, filter, event, TRUE) != ERROR_SUCCESS) {
        if (event)
            CloseHandle(event);
        RegCloseKey(key);
        return;
    }
    m_keys.push_back(key);
    m_events.push_back(event);
}

RegistryWatch::~RegistryWatch()
{
    for (HANDLE event : m_events)
        CloseHandle(event);
    for (HKEY key : m_keys)
        RegCloseKey(key);
}

bool RegistryWatch::Changed() const
{
    for (HANDLE event : m_events)
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0)
            return true;
    return false;
}

// ------------------------------------------------------------------------------------------

uint64_t SplitMix::Next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t SplitMix::Below(uint32_t bound)
{
    return static_cast<uint32_t>(Next() % bound);
}

uint64_t SeedFromEnvironment(const char* name)
{
    char text[64] = {};
    DWORD n = GetEnvironmentVariableA(name, text, sizeof text);
    if (n > 0 && n < sizeof text)
        return std::strtoull(text, nullptr, 0);
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 32);
}

}  // namespace e2e

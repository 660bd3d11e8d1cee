// Measurements for the stress tests: GUI object counts and private memory of a process (also
// another one), a watchdog that keeps asking a window for WM_NULL, and a seeded generator.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FenlowDriver.h"

namespace e2e {

// ------------------------------------------------------------------------------------------
// Object counts. GetGuiResources is the count on Windows. Wine 8 answers it with 0 (and
// ERROR_CALL_NOT_IMPLEMENTED for the own process), so under Wine these fall back to:
//   GDI: the used entries of the process's GDI handle table (Wine keeps one per process and
//        points PEB->GdiSharedHandleTable at it; read with ReadProcessMemory);
//   USER, another process: its windows (top-level, child and message-only); menus and icons
//        live in that process alone under Wine and cannot be counted from outside;
//   USER, this process: its windows, menus, icons and cursors, found by probing every slot
//        of Wine's user handle table.

struct ObjectCount
{
    long value = -1;     // -1: could not be counted
    std::string source;  // what was counted, for the test log
};

// `process` needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
ObjectCount GdiObjects(HANDLE process);
ObjectCount UserObjects(HANDLE process);
// USER objects of the calling process: with menus and icons also under Wine (takes ~0.5 s there).
ObjectCount OwnUserObjects();

// Private (committed, not shared) bytes: PrivateUsage, or PagefileUsage where that is 0 (Wine 8
// reports PrivateUsage as 0; PagefileUsage is the same commit charge on Windows). 0 on failure.
SIZE_T PrivateBytes(HANDLE process);

// ------------------------------------------------------------------------------------------
// Responsiveness: a thread that sends WM_NULL to `target` every `periodMs` and records how
// long each answer took. A send that gets no answer within `giveUpMs` counts as a miss. Before
// each send it also asks the system whether it calls the target hung (IsHungAppWindow: no
// message taken for 5 s, the "Not Responding" of Windows; Wine 8 decides it the same way).

class NullProbe
{
public:
    NullProbe(HWND target, DWORD periodMs = 20, DWORD giveUpMs = 5000);
    ~NullProbe();  // stops the thread
    NullProbe(const NullProbe&) = delete;
    NullProbe& operator=(const NullProbe&) = delete;

    void Stop();
    DWORD MaxMs() const { return m_maxMs; }
    unsigned Sends() const { return m_sends; }
    unsigned Misses() const { return m_misses; }
    unsigned HungVerdicts() const { return m_hung; }

private:
    void Run();
    HWND m_target;
    DWORD m_periodMs;
    DWORD m_giveUpMs;
    std::atomic<bool> m_stop{false};
    std::atomic<DWORD> m_maxMs{0};
    std::atomic<unsigned> m_sends{0};
    std::atomic<unsigned> m_misses{0};
    std::atomic<unsigned> m_hung{0};
    std::thread m_thread;
};

// ------------------------------------------------------------------------------------------
// Processes with a command line of the caller's making

// Starts `exe` (a name without a directory: next to the running executable) with exactly
// `commandLine` as its command line, program name included or not. Empty Process on failure.
Process LaunchWithCommandLine(const std::wstring& exe, const std::wstring& commandLine);
// The command line another process was given, read from its process parameters.
std::optional<std::wstring> CommandLineOf(HANDLE process);

// ------------------------------------------------------------------------------------------
// Watching for writes

// Every file and folder under `root` (recursively) with its size and last write time.
struct FileEntry
{
    uint64_t size = 0;
    uint64_t written = 0;
    bool operator==(const FileEntry& o) const { return size == o.size && written == o.written; }
    bool operator!=(const FileEntry& o) const { return !(*this == o); }
};
std::map<std::wstring, FileEntry> FileSnapshot(const std::wstring& root, bool recursive = true);
// Paths added, removed or changed between two snapshots, one a line.
std::wstring FileChanges(const std::map<std::wstring, FileEntry>& before,
                         const std::map<std::wstring, FileEntry>& after);

// Signalled by any change of values or subkeys under HKCU\`path`; with an empty path, under
// every key of HKEY_CURRENT_USER (one watch per top-level key: under Wine 8 a watch on the root
// itself never fires). Wine skips a write that stores the same type and data again, and then
// signals nothing: a test that must see every write has to store values that a write changes.
class RegistryWatch
{
public:
    explicit RegistryWatch(const std::wstring& path = L"");
    ~RegistryWatch();
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

    bool Armed() const { return !m_events.empty(); }
    size_t Watches() const { return m_events.size(); }
    bool Changed() const;

private:
    void Watch(const std::wstring& path);
    std::vector<HKEY> m_keys;
    std::vector<HANDLE> m_events;
};

// ------------------------------------------------------------------------------------------
// Seeds: the same sequence from the same seed on every compiler (no <random> distributions).

class SplitMix
{
public:
    explicit SplitMix(uint64_t seed) : m_state(seed) {}
    uint64_t Next();
    // Uniform in [0, bound); bound > 0.
    uint32_t Below(uint32_t bound);

private:
    uint64_t m_state;
};

// The seed from environment variable `name` (decimal or 0x hex) if set, else a fresh one.
uint64_t SeedFromEnvironment(const char* name);

}  // namespace e2e

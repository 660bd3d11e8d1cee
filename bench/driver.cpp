// Figures of the running programs, driven from outside as the end-to-end tests do: start-up,
// key-to-screen latency, idle CPU, memory, and timer ticks sent to the main window; for Fenlow,
// the duty floor (the same described work, written plainly) and the bare floor.
// Needs the Wine virtual desktop (the stand-in notification area works under Wine only).
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "FenlowDriver.h"
#include "SettingsFlags.h"
#include "bench_util.h"

using namespace e2e;

namespace {

struct Program
{
    const wchar_t* exe;
    const char* name;
    const wchar_t* windowClass;
    size_t trayAdds;  // icons it adds at start-up
    const char* key;  // suffix of its figures
    bool statusBar;   // lock panes 1 to 3 to read
};

// All three icons chosen: the most start-up and refresh work.
const Program kFenlow = {L"fenlow.exe", "fenlow.exe", kMainWindowClass, 3, "fenlow", true};
const Program kDuty = {L"duty_floor.exe", "duty_floor.exe", L"FenlowDutyFloor", 3, "duty", true};
const Program kFloor = {L"floor.exe", "floor.exe", L"FenlowFloor", 1, "floor", false};
// The same program without the icon font, to tell how much of a cost the font is.
const Program kNoFont = {L"fenlow_nofont.exe", "fenlow_nofont.exe", kMainWindowClass, 3, "nofont", false};

// ------------------------------------------------------------------------------------------
// Every call the stand-in notification area receives, stamped when it arrives.

struct TrayEvent
{
    int64_t ticks;
    DWORD op;
    DWORD pid;
    bool ok;
};

std::mutex g_eventsLock;
std::vector<TrayEvent> g_events;
WNDPROC g_trayProc = nullptr;
HWND g_trayWindow = nullptr;
// NIM_MODIFY calls of one process, counted as they arrive.
std::atomic<DWORD> g_countedPid{0};
std::atomic<size_t> g_countedModifies{0};

// Shell_NotifyIcon goes to the first "Shell_TrayWnd" in z-order: a figure taken while that is
// not the stand-in would time Wine's own notification area instead.
void CheckTrayRouting(const char* phase)
{
    HWND first = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (first != g_trayWindow)
        bench::Note("%s: the stand-in is not the first notification area; tray calls go elsewhere", phase);
}

LRESULT CALLBACK StampingTrayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_COPYDATA)
        return CallWindowProcW(g_trayProc, hwnd, msg, wParam, lParam);
    int64_t arrived = bench::Ticks();
    LRESULT result = CallWindowProcW(g_trayProc, hwnd, msg, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &pid);  // the sender waits: its window is alive
    if (pid == g_countedPid && data && data->dwData == NIM_MODIFY)
        ++g_countedModifies;
    std::lock_guard<std::mutex> guard(g_eventsLock);
    g_events.push_back({arrived, data ? static_cast<DWORD>(data->dwData) : 0, pid, result != FALSE});
    return result;
}

size_t EventCount()
{
    std::lock_guard<std::mutex> guard(g_eventsLock);
    return g_events.size();
}

std::vector<TrayEvent> EventsSince(size_t first)
{
    std::lock_guard<std::mutex> guard(g_eventsLock);
    return std::vector<TrayEvent>(g_events.begin() + std::min(first, g_events.size()), g_events.end());
}

// ------------------------------------------------------------------------------------------
// CPU and memory of another process

// Under Wine, GetProcessTimes gives 0 for the times, and thread times come in 10 ms steps; the
// kernel's own per-thread run time (nanoseconds) is read through Z:\proc when the process can
// be found there. Wine only; elsewhere the Windows figures are used.
std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The Linux process that runs `exeName` in this Wine prefix, or 0 if there is not exactly one.
unsigned UnixPidOf(const char* exeName)
{
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
        return 0;
    std::string wantEnv = std::string("WINEPREFIX=") + prefix;
    std::string suffix = Lower(std::string("\\") + exeName);
    std::vector<unsigned> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string cmdline = ReadWholeFile("Z:\\proc\\" + name + "\\cmdline");
        std::string first = Lower(cmdline.substr(0, cmdline.find('\0')));
        if (first.size() < suffix.size() || first.compare(first.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::string environment = ReadWholeFile("Z:\\proc\\" + name + "\\environ");
        if ((std::string(1, '\0') + environment).find(std::string(1, '\0') + wantEnv + '\0') == std::string::npos)
            continue;
        found.push_back(static_cast<unsigned>(std::stoul(name)));
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found.size() == 1 ? found[0] : 0;
}

// Sum of the first field of /proc/<pid>/task/*/schedstat (time on a CPU, ns); negative on failure.
double KernelCpuSeconds(unsigned unixPid)
{
    std::string tasks = "Z:\\proc\\" + std::to_string(unixPid) + "\\task\\";
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    double ns = 0;
    bool any = false;
    do {
        std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string stat = ReadWholeFile(tasks + name + "\\schedstat");
        if (!stat.empty()) {
            ns += std::strtod(stat.c_str(), nullptr);
            any = true;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return any ? ns / 1e9 : -1;
}

// Kernel's view of the memory: "VmRSS" and "RssAnon" lines of /proc/<pid>/status, in MiB.
std::string KernelMemoryNote(unsigned unixPid)
{
    std::string status = ReadWholeFile("Z:\\proc\\" + std::to_string(unixPid) + "\\status");
    std::string note;
    for (const char* field : {"VmRSS:", "RssAnon:", "RssFile:"}) {
        size_t at = status.find(field);
        if (at != std::string::npos) {
            double kib = std::strtod(status.c_str() + at + std::strlen(field), nullptr);
            char part[64];
            std::snprintf(part, sizeof part, "%s %.2f MiB ", field, kib / 1024);
            note += part;
        }
    }
    return note;
}

// SYSTEM_THREAD_INFORMATION
struct ThreadTimes
{
    LARGE_INTEGER kernel, user, create;
    ULONG waitTime;
    PVOID start;
    CLIENT_ID clientId;
    LONG priority, basePriority;
    ULONG switches, state, waitReason;
};

// Sum of the times of the process's threads from the system's process list; negative on failure.
double ThreadCpuSeconds(DWORD pid)
{
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // too small
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    for (const char* at = buffer.data();;) {
        const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->UniqueProcessId)) == pid) {
            const auto* threads = reinterpret_cast<const ThreadTimes*>(process + 1);
            double total = 0;
            for (ULONG i = 0; i < process->NumberOfThreads; ++i)
                total += (threads[i].kernel.QuadPart + threads[i].user.QuadPart) / 1e7;
            return total;
        }
        if (!process->NextEntryOffset)
            return -1;
        at += process->NextEntryOffset;
    }
}

struct Cpu
{
    double seconds = -1;
    const char* source = "none";
};

Cpu CpuOf(const Program& program, HANDLE process, DWORD pid)
{
    Cpu cpu;
    unsigned unixPid = UnixPidOf(program.name);
    if (unixPid && (cpu.seconds = KernelCpuSeconds(unixPid)) >= 0) {
        cpu.source = "Linux schedstat of the process's threads (ns)";
        return cpu;
    }
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        auto value = [](FILETIME t) {
            return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
        };
        cpu.seconds = value(kernel) + value(user);
        cpu.source = "GetProcessTimes";
        if (cpu.seconds > 0)
            return cpu;
    }
    cpu.seconds = ThreadCpuSeconds(pid);
    cpu.source = "thread times from NtQuerySystemInformation";
    return cpu;
}

struct Memory
{
    double privateMiB = -1;
    double workingSetMiB = -1;
};

Memory MemoryOf(const Program& program, HANDLE process, const char* when)
{
    Memory memory;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return memory;
    // Wine leaves PrivateUsage at 0 for other processes; its PagefileUsage is the same figure on Windows.
    SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    memory.privateMiB = privateBytes / 1048576.0;
    memory.workingSetMiB = counters.WorkingSetSize / 1048576.0;
    unsigned unixPid = UnixPidOf(program.name);
    bench::Note("memory %s %s: PrivateUsage %.2f MiB, PagefileUsage %.2f MiB, WorkingSetSize %.2f MiB; kernel: %s",
                program.name, when, counters.PrivateUsage / 1048576.0, counters.PagefileUsage / 1048576.0,
                memory.workingSetMiB, unixPid ? KernelMemoryNote(unixPid).c_str() : "not found");
    return memory;
}

// "BENCH <key>_<program> <value>"
void Record(const char* key, const char* program, double value)
{
    std::string name = std::string(key) + "_" + program;
    bench::Result(name.c_str(), value);
}

// ------------------------------------------------------------------------------------------
// Start-up

struct StartUpTimes
{
    double lastAddMs = -1;    // the figure: the last tray icon added, its main window existing by then
    double firstCallMs = -1;  // the program's first call to the notification area
};

// Milliseconds from just before CreateProcess to the arrival of the program's tray calls.
StartUpTimes StartUpMs(const Program& program)
{
    StartUpTimes times;
    size_t first = EventCount();
    int64_t start = bench::Ticks();
    Process process = Launch(program.exe);
    if (!process)
        return times;
    DWORD pid = process.Pid();
    int64_t lastAdd = 0, firstCall = 0;
    bool added = WaitUntil(
        [&] {
            size_t adds = 0;
            for (const TrayEvent& e : EventsSince(first)) {
                if (e.pid != pid)
                    continue;
                if (!firstCall)
                    firstCall = e.ticks;
                if (e.op == NIM_ADD && e.ok) {
                    ++adds;
                    lastAdd = e.ticks;
                }
            }
            return adds >= program.trayAdds;
        },
        10000);
    bool window = !TopWindows(pid, program.windowClass).empty();
    process.Kill();
    if (added && window) {
        times.lastAddMs = bench::Ms(lastAdd - start);
        times.firstCallMs = bench::Ms(firstCall - start);
    }
    return times;
}

void StartUp(int launches)
{
    const Program* programs[] = {&kFenlow, &kDuty, &kFloor, &kNoFont};
    const int kPrograms = 4;
    // One untimed start of each: the first reads the files from disk.
    for (const Program* program : programs)
        StartUpMs(*program);
    std::vector<double> lastAdd[kPrograms], firstCall[kPrograms];
    for (int i = 0; i < launches; ++i) {
        for (int p = 0; p < kPrograms; ++p) {
            StartUpTimes times = StartUpMs(*programs[p]);
            if (times.lastAddMs < 0) {
                bench::Note("start-up: %s did not show its window and tray icons", programs[p]->name);
                continue;
            }
            lastAdd[p].push_back(times.lastAddMs);
            firstCall[p].push_back(times.firstCallMs);
            Sleep(200);
        }
    }
    bench::Note("start-up: %d launches each, ms from process creation to the last tray icon added", launches);
    for (int p = 0; p < kPrograms; ++p)
        bench::Note("start-up %s: min %.1f median %.1f max %.1f; first tray call at median %.1f", programs[p]->name,
                    bench::Quantile(lastAdd[p], 0), bench::Median(lastAdd[p]), bench::Quantile(lastAdd[p], 1),
                    bench::Median(firstCall[p]));
    for (int p = 0; p < kPrograms; ++p)
        Record("startup_ms", programs[p]->key, bench::Median(lastAdd[p]));
    bench::Result("startup_launches", launches);
}

// Memory of the variant without the font, one second after its start, as the pair's is taken.
void NoFontMemory()
{
    Process process = Launch(kNoFont.exe);
    if (!process || !WaitUntil([&] { return !TopWindows(process.Pid(), kNoFont.windowClass).empty(); }, 10000))
        return;
    Pump(2000);
    Memory memory = MemoryOf(kNoFont, process.Handle(), "after start-up");
    bench::Result("private_start_mib_nofont", memory.privateMiB);
    bench::Result("ws_start_mib_nofont", memory.workingSetMiB);
}

// ------------------------------------------------------------------------------------------
// The long-running pair

struct Running
{
    Process process;
    HWND main = nullptr;
    HWND status = nullptr;
};

bool StartAndSettle(const Program& program, Running& running)
{
    running.process = Launch(program.exe);
    if (!running.process)
        return false;
    running.main = WaitForWindow(running.process.Pid(), program.windowClass, 10000);
    if (!running.main)
        return false;
    if (program.statusBar) {
        WaitUntil([&] { return (running.status = FindChildByClass(running.main, L"msctls_statusbar32")) != nullptr; });
        // The first refresh has run once pane 3 holds its three characters.
        if (!running.status || !WaitUntil([&] { return StatusBarText(running.status, 3).size() == 3; }))
            return false;
    }
    return true;
}

// Caps Lock pressed through SendInput, then status pane 1 read at once and until it shows the
// new state. SendInput returns after the low-level hooks have run; a hook that hands the key to
// its program's loop makes no tray call inside it, and the pane follows a few milliseconds later.
// One right only after more than 500 ms was left to a later tick of the 1000 ms timer.
void KeyToScreen(const Program& program, const Running& running, int presses)
{
    const char* key = program.key;
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pause(20, 120);  // presses fall anywhere in the timer's period
    std::vector<double> onMs, offMs, sendMs, callsDuringSend, readUs;
    int firstReadOn = 0, firstReadOff = 0, failures = 0;
    DWORD pid = running.process.Pid();

    // The pane read alone, for reference.
    for (int i = 0; i < 20; ++i) {
        int64_t t = bench::Ticks();
        StatusBarText(running.status, 1);
        readUs.push_back(bench::Us(bench::Ticks() - t));
    }

    for (int i = 0; i < presses && failures < 3; ++i) {
        for (bool on : {true, false}) {
            Sleep(pause(random));
            size_t first = EventCount();
            int64_t t0 = bench::Ticks();
            PressKey(VK_CAPITAL);
            int64_t t1 = bench::Ticks();
            int reads = 0;
            int64_t shown = 0;
            while (bench::Ms(bench::Ticks() - t0) < 3000) {
                ++reads;
                if ((StatusBarText(running.status, 1) == "CAP") == on) {
                    shown = bench::Ticks();
                    break;
                }
            }
            if (!shown) {
                ++failures;
                bench::Note("latency: pane 1 did not turn %s within 3 s", on ? "on" : "off");
                continue;
            }
            (on ? onMs : offMs).push_back(bench::Ms(shown - t0));
            double calls = 0;
            for (const TrayEvent& e : EventsSince(first))
                if (e.pid == pid && e.ticks >= t0 && e.ticks <= t1)
                    ++calls;
            if (reads == 1)
                ++(on ? firstReadOn : firstReadOff);
            else
                bench::Note(
                    "latency %s: press %d (%s) was right only after %d reads, %.1f ms; SendInput took %.1f ms, "
                    "with %.0f tray calls by it inside it",
                    key, i + 1, on ? "on" : "off", reads, bench::Ms(shown - t0), bench::Ms(t1 - t0), calls);
            if (on) {
                sendMs.push_back(bench::Ms(t1 - t0));
                callsDuringSend.push_back(calls);
            }
        }
    }
    SetLock(VK_CAPITAL, false);
    bench::Note("latency %s: %zu presses to on, %zu to off; ms from SendInput to pane 1 right", key, onMs.size(),
                offMs.size());
    bench::Note("latency %s on:  min %.2f p10 %.2f median %.2f p90 %.2f p99 %.2f max %.2f", key,
                bench::Quantile(onMs, 0), bench::Quantile(onMs, 0.1), bench::Median(onMs), bench::Quantile(onMs, 0.9),
                bench::Quantile(onMs, 0.99), bench::Quantile(onMs, 1));
    bench::Note("latency %s off: min %.2f p10 %.2f median %.2f p90 %.2f p99 %.2f max %.2f", key,
                bench::Quantile(offMs, 0), bench::Quantile(offMs, 0.1), bench::Median(offMs),
                bench::Quantile(offMs, 0.9), bench::Quantile(offMs, 0.99), bench::Quantile(offMs, 1));
    bench::Note("latency %s: right at the first read after SendInput returned: %d/%zu on, %d/%zu off", key, firstReadOn,
                onMs.size(), firstReadOff, offMs.size());
    bench::Note("latency %s: SendInput itself took median %.2f ms; its tray calls inside it: median %.0f per press",
                key, bench::Median(sendMs), bench::Median(callsDuringSend));
    bench::Note("latency %s: one cross-process read of pane 1 takes median %.0f us", key, bench::Median(readUs));
    // Both directions together: each press is one sample, on or off.
    std::vector<double> allMs = onMs;
    allMs.insert(allMs.end(), offMs.begin(), offMs.end());
    Record("latency_ms", key, bench::Median(onMs));
    Record("latency_ms_p90", key, bench::Quantile(onMs, 0.9));
    Record("latency_ms_p99", key, bench::Quantile(allMs, 0.99));
    Record("latency_ms_max", key, bench::Quantile(allMs, 1));
    Record("latency_off_ms", key, bench::Median(offMs));
    // Longer than half the timer's period: only a later tick can have shown it.
    double lateOn = 0, lateOff = 0;
    for (double ms : onMs)
        lateOn += ms > 500;
    for (double ms : offMs)
        lateOff += ms > 500;
    Record("latency_first_read", key, firstReadOn);
    Record("latency_late", key, lateOn);
    Record("latency_late_off", key, lateOff);
    Record("latency_presses_off", key, static_cast<double>(offMs.size()));
    Record("latency_presses", key, static_cast<double>(onMs.size()));
    Record("latency_tray_calls_per_press", key, bench::Median(callsDuringSend));
}

// WM_TIMER sent to the main window: every one runs the tick handler, as the timer does.
std::vector<double> Ticking(HWND window, int count)
{
    std::vector<double> us;
    us.reserve(count);
    for (int i = 0; i < count; ++i) {
        DWORD_PTR result = 0;
        int64_t t = bench::Ticks();
        SendMessageTimeoutW(window, WM_TIMER, 1, 0, SMTO_NORMAL, 5000, &result);
        us.push_back(bench::Us(bench::Ticks() - t));
    }
    return us;
}

// Refreshes as the notification area sees them: six NIM_MODIFY calls each. A tick sent while the
// program's own timer has a refresh waiting on the shell runs nested inside that refresh: the
// duty floor refreshes again there and then, Fenlow only makes the running refresh go round
// again. Such ticks are not timed, and the next is sent only once the running refresh is over,
// so that every program's figure is the round trip of a tick that made exactly one refresh.
struct Refreshing
{
    size_t refreshes = 0;
    size_t ticksSent = 0;
    size_t nested = 0;
    double seconds = 0;
    std::vector<double> us;  // round trip of each tick that made one refresh
};

void Refresh(const Running& running, size_t count, Refreshing& done)
{
    const size_t kTrayCallsPerRefresh = 6;
    g_countedModifies = 0;
    g_countedPid = running.process.Pid();
    int64_t start = bench::Ticks();
    size_t timed = 0;
    while (timed < count && bench::Ms(bench::Ticks() - start) < 300000) {
        DWORD_PTR result = 0;
        size_t before = g_countedModifies;
        int64_t t = bench::Ticks();
        SendMessageTimeoutW(running.main, WM_TIMER, 1, 0, SMTO_NORMAL, 5000, &result);
        int64_t elapsed = bench::Ticks() - t;
        ++done.ticksSent;
        if (g_countedModifies - before == kTrayCallsPerRefresh) {
            done.us.push_back(bench::Us(elapsed));
            ++timed;
        } else {
            ++done.nested;
            Sleep(50);  // let the running refresh end
        }
    }
    done.seconds += bench::Ms(bench::Ticks() - start) / 1000;
    done.refreshes += g_countedModifies / kTrayCallsPerRefresh;
    g_countedPid = 0;
}

// Key to screen for one program running alone: SendInput returns only after every low-level
// hook has run, so another program's hook would add its work to this one's figure.
void Latency(const Program& program, int presses)
{
    Running running;
    if (!StartAndSettle(program, running)) {
        bench::Note("latency: %s did not start", program.name);
        return;
    }
    Sleep(1000);
    CheckTrayRouting("latency");
    KeyToScreen(program, running, presses);
}

void LongRunning(int idleSeconds, int refreshes)
{
    // Side by side: the same machine load falls on all three.
    const Program* programs[] = {&kFenlow, &kDuty, &kFloor};
    const int kPrograms = 3;
    Running running[kPrograms];
    for (int p = 0; p < kPrograms; ++p) {
        if (!StartAndSettle(*programs[p], running[p])) {
            bench::Note("long run: %s did not start", programs[p]->name);
            return;
        }
    }
    Sleep(1000);
    Memory start[kPrograms], beforeTicks[kPrograms], end[kPrograms];
    for (int p = 0; p < kPrograms; ++p)
        start[p] = MemoryOf(*programs[p], running[p].process.Handle(), "after start-up");

    Sleep(1000);
    Cpu before[kPrograms], after[kPrograms];
    for (int p = 0; p < kPrograms; ++p)
        before[p] = CpuOf(*programs[p], running[p].process.Handle(), running[p].process.Pid());
    int64_t idleStart = bench::Ticks();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    double idleWall = bench::Ms(bench::Ticks() - idleStart) / 1000;
    for (int p = 0; p < kPrograms; ++p)
        after[p] = CpuOf(*programs[p], running[p].process.Handle(), running[p].process.Pid());
    bench::Note("idle: %.1f s; CPU from %s", idleWall, after[0].source);
    bench::Result("idle_seconds", idleWall);
    for (int p = 0; p < kPrograms; ++p)
        Record("idle_cpu_s", programs[p]->key, after[p].seconds - before[p].seconds);

    for (int p = 0; p < kPrograms; ++p)
        beforeTicks[p] = MemoryOf(*programs[p], running[p].process.Handle(), "before the ticks");
    CheckTrayRouting("ticks");
    // In alternating chunks, so that drifts of the machine's load fall on each program alike.
    const size_t kChunk = 100;
    Refreshing done[kPrograms];
    std::vector<double> floorTicks;
    for (size_t sent = 0; sent < static_cast<size_t>(refreshes); sent += kChunk) {
        size_t chunk = std::min(kChunk, static_cast<size_t>(refreshes) - sent);
        for (int p = 0; p < kPrograms; ++p) {
            if (programs[p] == &kFloor) {
                std::vector<double> ticks = Ticking(running[p].main, static_cast<int>(chunk));
                floorTicks.insert(floorTicks.end(), ticks.begin(), ticks.end());
                continue;
            }
            Refresh(running[p], chunk, done[p]);
        }
    }
    for (int p = 0; p < kPrograms; ++p) {
        if (programs[p] == &kFloor) {
            bench::Note("floor: %d WM_TIMER sent, round trip median %.1f us", refreshes, bench::Median(floorTicks));
            Record("tick_us", programs[p]->key, bench::Median(floorTicks));
            continue;
        }
        bench::Note(
            "refreshes %s: %zu seen by the stand-in (6 tray calls each) for %zu WM_TIMER sent in %.1f s; "
            "%zu ticks ran nested in the program's own refresh and were not timed; round trip of the "
            "others: p10 %.0f median %.0f p90 %.0f us",
            programs[p]->key, done[p].refreshes, done[p].ticksSent, done[p].seconds, done[p].nested,
            bench::Quantile(done[p].us, 0.1), bench::Median(done[p].us), bench::Quantile(done[p].us, 0.9));
        Record("refreshes", programs[p]->key, static_cast<double>(done[p].refreshes));
        Record("refresh_ticks_sent", programs[p]->key, static_cast<double>(done[p].ticksSent));
        Record("tick_us", programs[p]->key, bench::Median(done[p].us));
    }
    Sleep(500);
    for (int p = 0; p < kPrograms; ++p) {
        const char* key = programs[p]->key;
        end[p] = MemoryOf(*programs[p], running[p].process.Handle(), "after the ticks");
        Record("private_start_mib", key, start[p].privateMiB);
        Record("ws_start_mib", key, start[p].workingSetMiB);
        Record("private_end_mib", key, end[p].privateMiB);
        Record("ws_end_mib", key, end[p].workingSetMiB);
        Record("private_growth_mib", key, end[p].privateMiB - beforeTicks[p].privateMiB);
        Record("ws_growth_mib", key, end[p].workingSetMiB - beforeTicks[p].workingSetMiB);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int launches = bench::IntArg(argc, argv, "--launches", 10);
    int presses = bench::IntArg(argc, argv, "--presses", 50);
    int idleSeconds = bench::IntArg(argc, argv, "--idle-seconds", 60);
    int refreshes = bench::IntArg(argc, argv, "--refreshes", 10000);

    // Before any program starts, so that every tray call of theirs arrives here.
    // Counts only: decoding every picture of 120,000 calls would time the stand-in, not the programs.
    FakeTray tray(TrayRecording::Lean);
    g_trayWindow = tray.Window();
    g_trayProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_trayWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StampingTrayProc)));
    if (!g_trayProc) {
        bench::Note("the stand-in notification area could not be observed");
        return 1;
    }

    // Every icon and every popup chosen, settings saved once: Fenlow starts quietly in the tray.
    RegistryFixture registry;
    for (const settings_flags::FlagRef& flag : settings_flags::kFlags)
        registry.SetBinary(flag.name, {flag.member == &CSettings::Tray ? BYTE{0} : BYTE{1}});
    // Programs started after this see every lock off, under Wine too.
    if (!AllLocksOff())
        bench::Note("the lock keys could not all be turned off");

    CheckTrayRouting("start-up");
    StartUp(launches);
    Latency(kFenlow, presses);
    Latency(kDuty, presses);
    LongRunning(idleSeconds, refreshes);
    NoFontMemory();
    return 0;
}

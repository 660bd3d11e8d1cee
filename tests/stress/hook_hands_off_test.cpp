// The keyboard hook only watches: thousands of ordinary keys typed into another window all
// arrive there as sent, and the program writes nothing while they pass.
#include "StressSession.h"

#include <iterator>

#include "SettingsFlags.h"

using namespace e2e;

namespace {

class StressHook : public StressFenlow
{
};

const int kKeys = 10000;

struct KeyEvent
{
    UINT msg;
    WPARAM vk;
    UINT scan;
    bool extended;
};

std::vector<KeyEvent>* g_received = nullptr;
int g_chars = 0;

LRESULT CALLBACK TypingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (g_received)
                g_received->push_back({msg, wp, static_cast<UINT>((lp >> 16) & 0xFF), ((lp >> 24) & 1) != 0});
            return 0;
        case WM_CHAR:
            ++g_chars;
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Keys that type or move and nothing more: no locks, no modifiers, no menu or system keys.
const WORD kOrdinary[] = {'A',          'B',           'C',          'D',       'E',       'F',       'G',      'H',
                          'I',          'J',           'K',          'L',       'M',       'N',       'O',      'P',
                          'Q',          'R',           'S',          'T',       'U',       'V',       'W',      'X',
                          'Y',          'Z',           '0',          '1',       '2',       '3',       '4',      '5',
                          '6',          '7',           '8',          '9',       VK_SPACE,  VK_RETURN, VK_BACK,  VK_TAB,
                          VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_MINUS, VK_OEM_1,  VK_OEM_2,  VK_LEFT,   VK_RIGHT, VK_UP,
                          VK_DOWN,      VK_HOME,       VK_END,       VK_DELETE, VK_INSERT, VK_PRIOR,  VK_NEXT};

// A focused top-level window of this process that records the key messages it gets.
HWND TypingTarget()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TypingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"StressTypingTarget";
    RegisterClassW(&wc);
    HWND target = CreateWindowExW(0, wc.lpszClassName, L"typing", WS_POPUP | WS_VISIBLE, 100, 100, 300, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!target)
        return nullptr;
    SetForegroundWindow(target);
    SetFocus(target);
    Pump(200);
    return target;
}

// Appends a press of `vk` (down, then up) to `inputs`, and the key messages it should bring to `sent`.
void AddPress(WORD vk, std::vector<INPUT>& inputs, std::vector<KeyEvent>& sent)
{
    for (bool up : {false, true}) {
        inputs.push_back(KeyInput(vk, up));
        sent.push_back({up ? static_cast<UINT>(WM_KEYUP) : static_cast<UINT>(WM_KEYDOWN), vk, inputs.back().ki.wScan,
                        IsExtendedKey(vk)});
    }
}

// Where received differs from sent (message, key, scan code, extended bit); sent.size() if nowhere.
size_t FirstDifference(const std::vector<KeyEvent>& sent, const std::vector<KeyEvent>& received, size_t* count)
{
    size_t first = sent.size();
    *count = 0;
    for (size_t i = 0; i < sent.size() && i < received.size(); ++i) {
        const KeyEvent& s = sent[i];
        const KeyEvent& r = received[i];
        if (s.msg != r.msg || s.vk != r.vk || s.scan != r.scan || s.extended != r.extended) {
            ++*count;
            if (first == sent.size())
                first = i;
        }
    }
    return first;
}

TEST_F(StressHook, TenThousandKeysPassUnchangedAndNothingIsWritten)
{
    // Every value in a form that any save would change (Wine does not count a write of the same
    // data as a change): two bytes, the first deciding, so that a save's single byte differs.
    const uint8_t firsts[] = {0x03, 0x00, 0x07, 0x02, 0x09, 0x04, 0x00, 0x05};
    static_assert(std::size(firsts) == std::size(settings_flags::kFlags), "one byte for each value");
    for (size_t i = 0; i < std::size(firsts); ++i)
        ASSERT_TRUE(registry.SetBinary(settings_flags::kFlags[i].name, {firsts[i], 0x5A}));
    UseLeanTray();
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    const std::vector<RegValue> storedBefore = registry.ReadAll();
    ASSERT_EQ(std::size(settings_flags::kFlags), storedBefore.size());

    // A window of this process takes the typing; the program's hook sees every key first.
    HWND target = TypingTarget();
    ASSERT_TRUE(target);
    ASSERT_EQ(target, GetForegroundWindow());

    // Everything the program could write to: the registry of this user, the drive, its own folder.
    const std::wstring exeFolder = FenlowPath().substr(0, FenlowPath().find_last_of(L"\\/"));
    std::map<std::wstring, FileEntry> driveBefore = FileSnapshot(L"C:\\");
    std::map<std::wstring, FileEntry> folderBefore = FileSnapshot(exeFolder, false);
    RegistryWatch userRegistry;
    ASSERT_TRUE(userRegistry.Armed());
    Figure("registry_watches", static_cast<long long>(userRegistry.Watches()));
    HKEY machine = nullptr;
    HANDLE machineEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool machineArmed = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_NOTIFY, &machine) == ERROR_SUCCESS &&
                        RegNotifyChangeKeyValue(machine, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                machineEvent, TRUE) == ERROR_SUCCESS;

    const uint64_t seed = SeedFromEnvironment("FENLOW_STRESS_SEED");
    std::printf("typing: seed 0x%016llX, %d keys\n", static_cast<unsigned long long>(seed), kKeys);
    SplitMix rng(seed);
    std::vector<KeyEvent> sent, received;
    g_received = &received;
    g_chars = 0;
    DWORD start = GetTickCount();
    for (int typed = 0; typed < kKeys;) {
        int burst = 1 + static_cast<int>(rng.Below(50));
        if (burst > kKeys - typed)
            burst = kKeys - typed;
        std::vector<INPUT> inputs;
        for (int i = 0; i < burst; ++i) {
            AddPress(kOrdinary[rng.Below(sizeof kOrdinary / sizeof kOrdinary[0])], inputs, sent);
        }
        ASSERT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
        typed += burst;
        // Taken off this thread's queue as they come, as a window that is being typed into does.
        Pump(0);
    }
    WaitUntil([&] { return received.size() >= sent.size(); }, 10000);
    Pump(100);
    DWORD typingMs = GetTickCount() - start;
    g_received = nullptr;

    std::printf("typing: %u key events sent, %u received, %d characters, in %lu ms\n",
                static_cast<unsigned>(sent.size()), static_cast<unsigned>(received.size()), g_chars,
                static_cast<unsigned long>(typingMs));
    Figure("keys_typed", kKeys);
    Figure("key_events_received", static_cast<long long>(received.size()));
    Figure("typing_ms", typingMs, " ms");

    // All of them, in order, each as it was sent.
    ASSERT_EQ(sent.size(), received.size());
    size_t differing = 0;
    size_t first = FirstDifference(sent, received, &differing);
    EXPECT_EQ(0u, differing) << "first at event " << first;
    EXPECT_GT(g_chars, 0);
    EXPECT_TRUE(f.process.Running());

    // Nothing written: the settings as they were, no change anywhere in the registry, no file.
    std::vector<RegValue> storedAfter = registry.ReadAll();
    ASSERT_EQ(storedBefore.size(), storedAfter.size());
    for (size_t i = 0; i < storedBefore.size(); ++i) {
        EXPECT_EQ(storedBefore[i].name, storedAfter[i].name);
        EXPECT_EQ(storedBefore[i].type, storedAfter[i].type);
        EXPECT_EQ(storedBefore[i].data, storedAfter[i].data);
    }
    EXPECT_FALSE(userRegistry.Changed()) << "something wrote under HKEY_CURRENT_USER";
    Figure("hklm_software_watched", machineArmed ? 1 : 0);
    if (machineArmed) {
        EXPECT_NE(WAIT_OBJECT_0, WaitForSingleObject(machineEvent, 0)) << "something wrote under HKLM\\SOFTWARE";
    }
    std::wstring driveChanges = FileChanges(driveBefore, FileSnapshot(L"C:\\"));
    std::wstring folderChanges = FileChanges(folderBefore, FileSnapshot(exeFolder, false));
    EXPECT_TRUE(driveChanges.empty()) << "files changed on C:\n"
                                      << std::string(driveChanges.begin(), driveChanges.end());
    EXPECT_TRUE(folderChanges.empty()) << std::string(folderChanges.begin(), folderChanges.end());
    Figure("files_watched", static_cast<long long>(driveBefore.size() + folderBefore.size()));

    if (machine)
        RegCloseKey(machine);
    CloseHandle(machineEvent);
    DestroyWindow(target);
}

// Lock keys pressed while typing: the popup that announces them must not take the keyboard, or
// the keys typed after (and those still on their way) would go to it instead of the window.
TEST_F(StressHook, LockKeysAmidTypingLeaveTheKeyboardWithTheWindow)
{
    StoreAllOn();
    UseLeanTray();
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);
    HWND target = TypingTarget();
    ASSERT_TRUE(target);
    ASSERT_EQ(target, GetForegroundWindow());

    const uint64_t seed = SeedFromEnvironment("FENLOW_STRESS_SEED");
    std::printf("typing with locks: seed 0x%016llX\n", static_cast<unsigned long long>(seed));
    SplitMix rng(seed);
    const WORD locks[] = {VK_CAPITAL, VK_SCROLL, VK_NUMLOCK};
    const char* const texts[][2] = {{"Caps. Lock: OFF", "Caps. Lock: ON"},
                                    {"Scr. Lock: OFF", "Scr. Lock: ON"},
                                    {"Num. Lock: OFF", "Num. Lock: ON"}};
    bool on[3] = {false, false, false};  // all off since SetUp
    HWND popupText = FindChild(f.popup, IDC_NOTIFY_TEXT);
    ASSERT_TRUE(popupText);
    std::vector<KeyEvent> sent, received;
    g_received = &received;
    int popups = 0, lockPresses = 0;
    for (int word = 0; word < 40; ++word) {
        std::vector<INPUT> inputs;
        for (int i = 0; i < 10; ++i) {
            AddPress(kOrdinary[rng.Below(26)], inputs, sent);  // letters
        }
        int k = static_cast<int>(rng.Below(3));
        WORD lock = locks[k];
        on[k] = !on[k];
        AddPress(lock, inputs, sent);
        ++lockPresses;
        ASSERT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
        // Each lock press is watched: the popup comes up with its text.
        popups += WaitUntil([&] { return IsWindowVisible(f.popup) && GetText(popupText) == texts[k][on[k]]; });
        Pump(20);
    }
    WaitUntil([&] { return received.size() >= sent.size(); }, 5000);
    g_received = nullptr;
    std::printf("typing with locks: %u key events sent, %u received; %d lock presses, popup showed each one %d times\n",
                static_cast<unsigned>(sent.size()), static_cast<unsigned>(received.size()), lockPresses, popups);

    EXPECT_EQ(lockPresses, popups);
    EXPECT_EQ(target, GetForegroundWindow()) << "the keyboard went elsewhere";
    EXPECT_EQ(sent.size(), received.size());
    size_t differing = 0;
    size_t first = FirstDifference(sent, received, &differing);
    EXPECT_EQ(0u, differing) << "first at event " << first;
    DestroyWindow(target);
    ASSERT_TRUE(AllLocksOff());
}

}  // namespace

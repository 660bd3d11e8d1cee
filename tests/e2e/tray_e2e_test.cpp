// The real fenlow.exe in the notification area: the tray callback and menu, minimise and restore,
// taskbar restarts, the pictures it gets, and icons the shell refused or lost coming back by
// themselves within a tick or two, each added once. Time there is counted in the program's
// refreshes, as the stand-in sees them, not in seconds: a loaded machine stretches seconds, not
// the order of calls.
#include "FenlowSession.h"

#include <algorithm>

using namespace e2e;

namespace {

class TrayTest : public FenlowTest
{
};

HWND WaitForTrayMenu()
{
    HWND menu = nullptr;
    WaitUntil([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    return menu;
}

TEST_F(TrayTest, MinimiseHidesAndTheTrayBringsTheWindowBack)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1}; }));
    TrayIcon caps = *tray->FindByPid(pid, 1);
    EXPECT_FALSE(IsWindowVisible(f.main));

    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));

    // Minimised means gone: hidden, so off the taskbar too.
    PostMessageW(f.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    EXPECT_TRUE(IsIconic(f.main));

    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) && !IsIconic(f.main); }));
    RECT rc = WindowRect(f.main);
    EXPECT_EQ(320, rc.right - rc.left);
    EXPECT_EQ(356, rc.bottom - rc.top);

    // Other mouse messages on the icon do nothing.
    PostMessageW(f.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    ASSERT_TRUE(tray->Click(caps, WM_MOUSEMOVE));
    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONUP));
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(f.main));
    HWND menu = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
}

TEST_F(TrayTest, TrayMenuShowsTheWindowAndExitEndsAtOnce)
{
    StoreFlags({{"Init", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{2, 3}; }));

    // A right press on one icon opens the menu; its default item shows the window.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 3), WM_RBUTTONDOWN));
    ASSERT_TRUE(WaitForTrayMenu());
    PressKey('F');
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));

    // A left press on the other opens the same menu; "&Exit" ends the program without asking.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 2), WM_LBUTTONDOWN));
    ASSERT_TRUE(WaitForTrayMenu());
    PressKey('E');
    DWORD code = 1234;
    ASSERT_TRUE(f.process.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(TrayIconsOf(pid).empty());
}

TEST_F(TrayTest, TaskbarRestartBringsTheChosenIconsBackOnce)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1, 2, 3}; }));
    ASSERT_TRUE(SetLock(VK_CAPITAL, true));
    ASSERT_TRUE(WaitUntil([&] { return tray->FindByPid(pid, 1)->tip == "Capital: ON"; }));

    for (int restart = 0; restart < 3; ++restart) {
        tray->Restart();
        ASSERT_TRUE(WaitUntil([&] {
            std::vector<TrayIcon> icons = TrayIconsOf(pid);
            return icons.size() == 3 && icons[0].tip == "Capital: ON" && icons[2].tip == "Nunlock: OFF";
        }));
        EXPECT_EQ((std::vector<UINT>{1, 2, 3}), TrayIdsOf(pid));
        TrayIcon caps = *tray->FindByPid(pid, 1), scroll = *tray->FindByPid(pid, 2), num = *tray->FindByPid(pid, 3);
        EXPECT_TRUE(IconMatchesResource(caps, FenlowPath(), IDI_CAPSLOCK_ON));
        EXPECT_EQ("Scroll: OFF", scroll.tip);
        EXPECT_TRUE(IconMatchesResource(scroll, FenlowPath(), IDI_SCROLLLOCK_OFF));
        EXPECT_EQ("Nunlock: OFF", num.tip);
        EXPECT_TRUE(IconMatchesResource(num, FenlowPath(), IDI_NUMLOCK_OFF));
    }
    // Nothing failed on the way back: no add was refused.
    for (const TrayCall& call : tray->Calls()) {
        if (call.op == NIM_ADD) {
            EXPECT_TRUE(call.result);
        }
    }
}

// The tray menu makes the hidden main window the foreground one so that the menu can close. Closed
// without a choice, it gives the foreground back to the window the user was typing in; where that
// window has gone, keys typed at the hidden window must reach none of its controls, menus or
// questions.
TEST_F(TrayTest, KeysAfterTheTrayMenuReachNoControlOfTheHiddenWindow)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"NumLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.options);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1}; }));
    ASSERT_FALSE(IsWindowVisible(f.main));

    // What a key reaching the dialog would change: the ticks, the stored values, the tray layout; and
    // a question or menu of the hidden window.
    struct State
    {
        std::vector<int> ticks;
        size_t storedValues = 0;
        size_t addsAndDeletes = 0;
    };
    auto now = [&] {
        State s;
        for (int box : {IDC_ICON_CAPS, IDC_ICON_SCROLL, IDC_ICON_NUM, IDC_MSG_CAPS, IDC_MSG_SCROLL, IDC_MSG_NUM})
            s.ticks.push_back(CheckState(f.Box(box)));
        s.storedValues = registry.ReadAll().size();
        for (const TrayCall& call : tray->Calls())
            s.addsAndDeletes += call.op == NIM_ADD || call.op == NIM_DELETE;
        return s;
    };
    auto question = [&] {
        for (HWND top : TopWindows(pid, L"#32770"))
            if (IsWindowVisible(top) && top != f.popup)
                return top;
        return HWND();
    };

    struct Close
    {
        const char* how;
        std::function<void()> close;
    };
    const Close closes[] = {
        {"Esc", [] { PressKey(VK_ESCAPE); }},
    };
    struct Keys
    {
        const char* name;
        std::vector<WORD> chord;
    };
    // Enter and Space press the default button; the letters are the dialog's and the menu bar's; F10
    // and Alt alone open the menu bar, Alt+F4 asks to quit.
    const Keys keys[] = {
        {"Enter", {VK_RETURN}},       {"Space", {VK_SPACE}},     {"Alt+O", {VK_MENU, 'O'}}, {"Alt+C", {VK_MENU, 'C'}},
        {"Alt+S", {VK_MENU, 'S'}},    {"Alt+N", {VK_MENU, 'N'}}, {"Alt+P", {VK_MENU, 'P'}}, {"Alt+L", {VK_MENU, 'L'}},
        {"Alt+M", {VK_MENU, 'M'}},    {"Alt+F", {VK_MENU, 'F'}}, {"F10", {VK_F10}},         {"Alt", {VK_MENU}},
        {"Alt+F4", {VK_MENU, VK_F4}},
    };
    const State start = now();
    for (bool earlierGone : {false, true}) {
        for (const Close& c : closes) {
            SCOPED_TRACE(std::string(c.how) +
                         (earlierGone ? ", the earlier window gone" : ", the earlier window there"));
            // The window the user types in.
            HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 300, 300,
                                        300, 30, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            ASSERT_TRUE(edit);
            SetForegroundWindow(edit);
            SetFocus(edit);
            Pump(200);
            ASSERT_EQ(edit, GetForegroundWindow());

            ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 1), WM_RBUTTONDOWN));
            ASSERT_TRUE(WaitForTrayMenu());
            ASSERT_EQ(f.main, GetForegroundWindow()) << "the menu's window is not the foreground one";
            if (earlierGone) {
                DestroyWindow(edit);
                Pump(200);
            }
            // Esc only: under Wine a click outside did not close a menu opened after another
            // program's window had the foreground; how the menu closed does not matter here.
            c.close();
            ASSERT_TRUE(WaitUntil([] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
            Pump(200);  // the menu's own clean-up runs after it has gone
            HWND focus = FocusOfThreadOf(f.main);
            EXPECT_FALSE(focus && IsChild(f.options, focus)) << "the focus is on a hidden control";

            if (!earlierGone) {
                // Back where the user was typing: the next keys land there.
                EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == edit; }))
                    << "the foreground is " << GetForegroundWindow();
                PressKey('O');
                PressKey('K');
                Pump(200);
                wchar_t text[16] = {};
                GetWindowTextW(edit, text, 16);
                EXPECT_EQ(std::wstring(L"ok"), text);
                DestroyWindow(edit);
                continue;
            }
            // Nothing to give it back to: the hidden window holds the keys, and they must do nothing.
            ASSERT_EQ(f.main, GetForegroundWindow());
            for (const Keys& k : keys) {
                SCOPED_TRACE(k.name);
                State before = now();
                PressChord(k.chord);
                Pump(200);
                HWND menu = FindWindowW(L"#32768", nullptr);
                if (menu && IsWindowVisible(menu)) {
                    ADD_FAILURE() << "a menu of the hidden window opened";
                    PressKey(VK_ESCAPE);
                    PressKey(VK_ESCAPE);
                    Pump(200);
                }
                if (HWND asked = question()) {
                    ADD_FAILURE() << "a question over the hidden window: \"" << GetText(asked) << "\"";
                    PostMessageW(asked, WM_COMMAND, IDNO, 0);
                    Pump(200);
                }
                State after = now();
                EXPECT_TRUE(f.process.Running());
                EXPECT_FALSE(IsWindowVisible(f.main));
                EXPECT_EQ(before.ticks, after.ticks);
                EXPECT_EQ(before.storedValues, after.storedValues) << "the settings were saved";
                EXPECT_EQ(before.addsAndDeletes, after.addsAndDeletes) << "the tray icons were laid out again";
            }
        }
    }
    Pump(500);  // a late reaction to the last keys
    State end = now();
    EXPECT_EQ(start.ticks, end.ticks);
    EXPECT_EQ(start.storedValues, end.storedValues) << "the settings were saved";
    EXPECT_EQ(start.addsAndDeletes, end.addsAndDeletes) << "the tray icons were laid out again";

    // Shown again, the window gives the keys to its dialog at once.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 1), WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(f.main) == f.Box(IDOK); }))
        << "the focus is on " << FocusOfThreadOf(f.main);
}

// The notification area shows small icons: each picture it gets is the icon's own frame of the
// small-icon size, not a large one for the shell to shrink.
TEST_F(TrayTest, TrayPicturesAreTheSmallFramesOfTheirIcons)
{
    const int small = GetSystemMetrics(SM_CXSMICON);
    ASSERT_EQ(small, GetSystemMetrics(SM_CYSMICON));
    struct Run
    {
        std::vector<std::pair<const char*, uint8_t>> flags;
        std::vector<std::pair<UINT, int>> pictures;  // icon id, its resource
    };
    const Run runs[] = {
        {{{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}},
         {{1, IDI_CAPSLOCK_OFF}, {2, IDI_SCROLLLOCK_OFF}, {3, IDI_NUMLOCK_OFF}}},
        {{{"Init", 1}, {"CapLock", 0}, {"ScrLock", 0}, {"NumLock", 0}}, {{0, IDI_TRAY}}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.pictures.size() == 1 ? "the plain icon" : "the lock icons");
        ASSERT_TRUE(registry.Delete());
        StoreFlags(run.flags);
        Fenlow f = Start();
        ASSERT_TRUE(f.main);
        DWORD pid = f.process.Pid();
        ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid).size() == run.pictures.size(); }));
        for (const auto& picture : run.pictures) {
            const IconPicture got = tray->FindByPid(pid, picture.first)->picture;
            EXPECT_EQ(small, got.width) << "icon " << picture.first;
            EXPECT_EQ(small, got.height) << "icon " << picture.first;
            EXPECT_TRUE(PictureMatchesResource(got, FenlowPath(), picture.second)) << "icon " << picture.first;
        }
        f.process.Kill();
    }
}

const char kProductName[] = "Fenlow";
const UINT kShownFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;

// The picture each icon should carry, by id, for the lock's state.
int PictureFor(UINT id, bool on)
{
    switch (id) {
        case 1:
            return on ? IDI_CAPSLOCK_ON : IDI_CAPSLOCK_OFF;
        case 2:
            return on ? IDI_SCROLLLOCK_ON : IDI_SCROLLLOCK_OFF;
        case 3:
            return on ? IDI_NUMLOCK_ON : IDI_NUMLOCK_OFF;
        default:
            return IDI_TRAY;
    }
}

// One program's tray traffic in the stand-in's log. Each refresh sends two modifies per lock key
// in the order Caps, Scroll, Num; the slot of a key never chosen goes out with no owner and id 0.
class Traffic
{
public:
    Traffic(HWND main, const std::vector<UINT>& chosen) : m_main(main), m_chosen(chosen)
    {
        for (UINT id : {1u, 2u, 3u}) {
            bool isChosen = std::count(chosen.begin(), chosen.end(), id) != 0;
            for (int twice = 0; twice < 2; ++twice)
                m_refresh.push_back({isChosen ? main : nullptr, isChosen ? id : 0u});
        }
    }

    bool IsRefreshAt(const std::vector<TrayCall>& calls, size_t i) const
    {
        if (i + m_refresh.size() > calls.size())
            return false;
        for (size_t k = 0; k < m_refresh.size(); ++k) {
            const TrayCall& c = calls[i + k];
            if (c.op != NIM_MODIFY || c.owner != m_refresh[k].first || c.id != m_refresh[k].second)
                return false;
        }
        return true;
    }

    // Where each complete refresh in the log begins.
    std::vector<size_t> RefreshStarts(const std::vector<TrayCall>& calls) const
    {
        std::vector<size_t> starts;
        for (size_t i = 0; i < calls.size();) {
            if (IsRefreshAt(calls, i)) {
                starts.push_back(i);
                i += m_refresh.size();
            } else {
                ++i;
            }
        }
        return starts;
    }

    // Refreshes begun before log index i.
    static int RefreshesBefore(const std::vector<size_t>& starts, size_t i)
    {
        return static_cast<int>(std::lower_bound(starts.begin(), starts.end(), i) - starts.begin());
    }

    // This program's NIM_ADD calls from log index `from` on, for icon `id` (every id if -1).
    std::vector<size_t> Adds(const std::vector<TrayCall>& calls, size_t from, int id = -1) const
    {
        std::vector<size_t> adds;
        for (size_t i = from; i < calls.size(); ++i)
            if (calls[i].op == NIM_ADD && calls[i].owner == m_main && (id < 0 || calls[i].id == static_cast<UINT>(id)))
                adds.push_back(i);
        return adds;
    }

    // Three refreshes straight after log index `last` and nothing else: the traffic while all is
    // well. Waits for them first.
    void ExpectThreeQuietRefreshesAfter(FakeTray& tray, size_t last) const
    {
        const size_t quiet = 3 * m_refresh.size();
        ASSERT_TRUE(WaitUntil([&] { return tray.Calls().size() >= last + 1 + quiet; }, 10000));
        std::vector<TrayCall> calls = tray.Calls();
        for (size_t k = 0; k < quiet; ++k) {
            const TrayCall& c = calls[last + 1 + k];
            SCOPED_TRACE("call " + std::to_string(k) + " after the last add");
            EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), c.op);
            EXPECT_EQ(m_refresh[k % m_refresh.size()].first, c.owner);
            EXPECT_EQ(m_refresh[k % m_refresh.size()].second, c.id);
            // The chosen icons take them; a slot never added is refused, as it always was.
            EXPECT_EQ(c.owner != nullptr, c.result);
        }
    }

private:
    HWND m_main;
    std::vector<UINT> m_chosen;
    std::vector<std::pair<HWND, UINT>> m_refresh;
};

struct Fault
{
    const char* what;
    std::vector<std::pair<UINT, int>> refusals;  // icon id, adds refused
    bool atStart;                                // armed before start-up; else the icons are forgotten
    bool capsOn;                                 // Caps Lock on from before the fault
};

struct ProgramRun
{
    const char* name;
    std::vector<std::pair<const char*, uint8_t>> flags;
    std::vector<UINT> chosen;
    std::vector<Fault> faults;
};

const ProgramRun kRuns[] = {
    {"Caps and Num chosen",
     {{"Init", 1}, {"CapLock", 1}, {"NumLock", 1}},
     {1, 3},
     {{"each chosen lock icon refused once at start-up", {{1, 1}, {3, 1}}, true, false},
      {"every icon forgotten", {}, false, true}}},
    {"all three chosen",
     {{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}},
     {1, 2, 3},
     {{"every icon forgotten, then all three refused once", {{1, 1}, {2, 1}, {3, 1}}, false, false}}},
    {"no lock chosen", {{"Init", 1}}, {0}, {{"the plain icon refused twice at start-up", {{0, 2}}, true, false}}},
};

TEST_F(TrayTest, RefusedOrLostTrayIconsComeBackOnceEachWithinTwoTicks)
{
    for (const ProgramRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        // A clean log for each program; the old stand-in goes first: one window of its class at a time.
        tray.reset();
        tray = std::make_unique<FakeTray>();
        ASSERT_TRUE(registry.Delete());
        StoreFlags(run.flags);
        ASSERT_TRUE(AllLocksOff());
        for (const Fault& fault : run.faults)
            if (fault.atStart)
                for (auto refusal : fault.refusals)
                    tray->RefuseAdds(refusal.first, refusal.second);
        Fenlow f = Start();
        ASSERT_TRUE(f.main);
        DWORD pid = f.process.Pid();
        Traffic traffic(f.main, run.chosen);

        for (const Fault& fault : run.faults) {
            SCOPED_TRACE(fault.what);
            if (fault.capsOn) {
                ASSERT_TRUE(SetLock(VK_CAPITAL, true));
                ASSERT_TRUE(WaitUntil([&] { return tray->FindByPid(pid, 1)->tip == "Capital: ON"; }));
                // The key's own refreshes (its down and up, one or two) were posted before any later
                // tick, which the queue gives out last: three refreshes on, all of them are over.
                const size_t seen = traffic.RefreshStarts(tray->Calls()).size();
                ASSERT_TRUE(WaitUntil([&] { return traffic.RefreshStarts(tray->Calls()).size() >= seen + 3; }, 10000));
            }
            size_t mark = 0;
            if (!fault.atStart) {
                mark = tray->Calls().size();
                for (auto refusal : fault.refusals)
                    tray->RefuseAdds(refusal.first, refusal.second);
                tray->Forget();
            }

            // Back: every chosen icon taken since the fault, and the tray holds those alone.
            auto back = [&] {
                std::vector<TrayCall> calls = tray->Calls();
                for (UINT id : run.chosen) {
                    std::vector<size_t> adds = traffic.Adds(calls, mark, static_cast<int>(id));
                    if (adds.empty() || !calls[adds.back()].result)
                        return false;
                }
                std::vector<UINT> ids = TrayIdsOf(pid);
                std::sort(ids.begin(), ids.end());
                return ids == run.chosen;
            };
            EXPECT_TRUE(WaitUntil(back, 10000));
            std::vector<TrayCall> calls = tray->Calls();
            std::vector<size_t> starts = traffic.RefreshStarts(calls);
            int faultAt = Traffic::RefreshesBefore(starts, mark);
            for (UINT id = 0; id <= 3; ++id) {
                SCOPED_TRACE("icon " + std::to_string(id));
                bool isChosen = std::count(run.chosen.begin(), run.chosen.end(), id) != 0;
                std::vector<size_t> adds = traffic.Adds(calls, mark, static_cast<int>(id));
                if (!isChosen) {
                    EXPECT_TRUE(adds.empty());
                    continue;
                }
                int refused = 0;
                for (auto refusal : fault.refusals)
                    if (refusal.first == id)
                        refused = refusal.second;
                ASSERT_EQ(static_cast<size_t>(refused + 1), adds.size());
                for (size_t k = 0; k < adds.size(); ++k)
                    EXPECT_EQ(k == adds.size() - 1, calls[adds[k]].result) << "add " << k;
                // At start-up the layout adds, the first refresh follows, and the first tick
                // tries again; a lost icon is added by the refresh that finds it gone or the
                // next one; after that each tick tries once, none skipped.
                int first = Traffic::RefreshesBefore(starts, adds[0]) - faultAt;
                if (fault.atStart)
                    EXPECT_EQ(0, first);
                else
                    EXPECT_TRUE(first == 0 || first == 1) << first;
                for (size_t k = 1; k < adds.size(); ++k) {
                    int gap = Traffic::RefreshesBefore(starts, adds[k]) - Traffic::RefreshesBefore(starts, adds[k - 1]);
                    EXPECT_EQ(fault.atStart && k == 1 ? 2 : 1, gap) << "add " << k;
                }
                // Added as at start-up, with the picture of the state the refresh just read.
                const TrayCall& taken = calls[adds.back()];
                EXPECT_EQ(kShownFlags, taken.flags);
                EXPECT_EQ(kProductName, taken.tip);
                EXPECT_TRUE(
                    PictureMatchesResource(taken.picture, FenlowPath(), PictureFor(id, id == 1 && fault.capsOn)));
                std::optional<TrayIcon> icon = tray->FindByPid(pid, id);
                ASSERT_TRUE(icon);
                EXPECT_EQ(WM_APP + 1, icon->callbackMessage);
            }
            EXPECT_EQ(0u, tray->DuplicateAddCount());
            std::vector<size_t> adds = traffic.Adds(calls, mark);
            ASSERT_FALSE(adds.empty());
            traffic.ExpectThreeQuietRefreshesAfter(*tray, adds.back());
        }
    }
}

// A shell that times out on an add may still take the icon. The retry is then refused because
// the icon is there: one modify confirms it, and nothing is added again.
TEST_F(TrayTest, AnAddThatLandedLateCountsAsPresentAfterOneModify)
{
    StoreFlags({{"Init", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_EQ(std::vector<UINT>{0}, TrayIdsOf(pid));
    Traffic traffic(f.main, {});

    size_t mark = tray->Calls().size();
    tray->RefuseAdds(0, 1, true);
    tray->Restart();
    ASSERT_TRUE(WaitUntil([&] { return tray->DuplicateAddCount() == 1; }, 10000));
    // The confirming modify comes straight after the refused retry.
    ASSERT_TRUE(WaitUntil([&] { return tray->Calls().size() > traffic.Adds(tray->Calls(), mark).back() + 1; }));
    std::vector<TrayCall> calls = tray->Calls();
    std::vector<size_t> adds = traffic.Adds(calls, mark, 0);
    ASSERT_EQ(2u, adds.size());
    EXPECT_FALSE(calls[adds[0]].result);  // the layout's add, which landed all the same
    EXPECT_FALSE(calls[adds[1]].result);  // the retry, refused as a duplicate
    const TrayCall& confirm = calls[adds[1] + 1];
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), confirm.op);
    EXPECT_EQ(f.main, confirm.owner);
    EXPECT_EQ(0u, confirm.id);
    EXPECT_TRUE(confirm.result);
    // The retry waits for the first tick in a later second than the layout's add: the layout's
    // own refresh, then one tick or two.
    std::vector<size_t> starts = traffic.RefreshStarts(calls);
    int gap = Traffic::RefreshesBefore(starts, adds[1]) - Traffic::RefreshesBefore(starts, adds[0]);
    EXPECT_TRUE(gap == 2 || gap == 3) << gap;
    EXPECT_EQ(std::vector<UINT>{0}, TrayIdsOf(pid));
    traffic.ExpectThreeQuietRefreshesAfter(*tray, adds[1] + 1);
    EXPECT_EQ(1u, tray->DuplicateAddCount());
}

}  // namespace

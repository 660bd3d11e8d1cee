// The real program repeating what a long session repeats: about box showings and popups leave
// its GDI and USER object counts and its private memory flat. (Ten thousand refreshes are
// counted in-process, in inprocess_leaks_test.cpp, where they cost less than half as much.)
#include "Growth.h"
#include "StressSession.h"

using namespace e2e;

namespace {

using growth::Sample;

Sample Take(const Fenlow& f)
{
    Pump(200);
    return {GdiObjects(f.process.Handle()), UserObjects(f.process.Handle()), PrivateBytes(f.process.Handle())};
}

class StressLeaks : public StressFenlow
{
};

// The about box of process `pid` once it is up.
HWND AboutBox(DWORD pid)
{
    for (HWND top : TopWindows(pid, L"#32770"))
        if (IsWindowVisible(top) && GetText(top) == "About...")
            return top;
    return nullptr;
}

// Shows the box, has it painted (UpdateWindow paints another process's window before it
// returns) and closes it; the about text goes to *text.
bool ShowAndCloseAbout(const Fenlow& f, std::string* text = nullptr, DWORD* editStyle = nullptr)
{
    PostMessageW(f.main, WM_COMMAND, IDM_ABOUT, 0);
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = AboutBox(f.process.Pid())) != nullptr; }))
        return false;
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (HWND edit = FindChild(box, IDC_ABOUT_TEXT)) {
        if (text)
            *text = GetText(edit);
        if (editStyle)
            *editStyle = Style(edit);
    }
    SendTimeout(box, WM_COMMAND, IDCANCEL, 0);
    return WaitUntil([&] { return !IsWindow(box); });
}

// What Wine's own edit control keeps of each showing: an edit control of the same style made
// here, given the same text and destroyed, `times` over. (Under Wine 8 it keeps about one byte
// per character of text; a box with no text keeps nothing.)
long long EditControlRetains(const std::string& text, DWORD style, int times)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    auto makeOne = [&] {
        HWND edit = CreateWindowExA(0, "EDIT", "", (style & ~WS_VISIBLE) | WS_CHILD, 0, 0, 340, 150, parent, nullptr,
                                    nullptr, nullptr);
        SetWindowTextA(edit, text.c_str());
        DestroyWindow(edit);
    };
    for (int i = 0; i < 10; ++i)
        makeOne();
    SIZE_T before = PrivateBytes(GetCurrentProcess());
    for (int i = 0; i < times; ++i)
        makeOne();
    SIZE_T after = PrivateBytes(GetCurrentProcess());
    DestroyWindow(parent);
    return static_cast<long long>(after) - static_cast<long long>(before);
}

TEST_F(StressLeaks, ThreeHundredAboutBoxesLeaveNothingBehind)
{
    StoreAllOn();
    UseLeanTray();
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    // First showings: fonts, theme parts and the like are made once, as they are first painted.
    std::string aboutText;
    DWORD editStyle = 0;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(ShowAndCloseAbout(f, &aboutText, &editStyle)) << "the about box did not show or did not close";
    ASSERT_FALSE(aboutText.empty());
    Sample before = Take(f);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(ShowAndCloseAbout(f)) << "showing " << i;
    ASSERT_TRUE(f.process.Running());
    Sample after = Take(f);

    long long wine = EditControlRetains(aboutText, editStyle, 300);
    Figure("about_wine_edit_control_bytes", wine, " B");
    std::printf("about: Wine's edit control alone keeps %lld bytes over 300 showings of %u characters\n", wine,
                static_cast<unsigned>(aboutText.size()));
    growth::ExpectFlat("about", 300, before, after, true, wine);
}

TEST_F(StressLeaks, ThousandPopupsLeaveNothingBehind)
{
    StoreAllOn();
    UseLeanTray();
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);
    HWND text = FindChild(f.popup, IDC_NOTIFY_TEXT);
    ASSERT_TRUE(text);
    // Each press is a watched change: the hook's refresh shows the popup with the new state.
    auto toggle = [&](int i) {
        PressKey(VK_CAPITAL);
        const char* want = i % 2 == 0 ? "Caps. Lock: ON" : "Caps. Lock: OFF";
        return WaitUntil([&] { return GetText(text) == want && IsWindowVisible(f.popup); });
    };
    ASSERT_TRUE(toggle(0));
    ASSERT_TRUE(toggle(1));
    Sample before = Take(f);
    int shown = 0;
    for (int i = 0; i < 1000; ++i)
        shown += toggle(i);
    EXPECT_EQ(1000, shown);
    ASSERT_TRUE(f.process.Running());
    growth::ExpectFlat("popup", 1000, before, Take(f), true);
    ASSERT_TRUE(AllLocksOff());
}

}  // namespace

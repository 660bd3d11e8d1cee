// The about box, shown modally from the real resources and driven from a timer inside its own modal loop.
#include <windows.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CDlgAcerca.h"
#include "Dorn32.h"
#include "DornControls.h"
#include "LabelControl.h"
#include "LabelInspect.h"
#include "ProductInfo.h"
#include "ScreenImage.h"
#include "resource.h"
#include "version.h"

using namespace Dorn32::Windows;

namespace {

using labels::DataOf;
using labels::LogFontOf;

std::string TextOf(HWND hwnd)
{
    std::vector<char> text(8192);
    SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

// Shows the box modally; once it is up, `inspect` looks at it and `close` ends it.
class AboutBoxRun
{
public:
    AboutBoxRun(std::function<void(HWND)> inspect, std::function<void(HWND)> close)
        : m_inspect(std::move(inspect)), m_close(std::move(close))
    {
    }

    INT_PTR Show(CDlgAcerca& dialog)
    {
        s_current = this;
        UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, OnTimer);
        INT_PTR result = dialog.DoModal(g_hInstance, nullptr);
        KillTimer(nullptr, timer);
        s_current = nullptr;
        return result;
    }

    bool Ran() const { return m_ran; }

private:
    struct Search
    {
        bool visibleOnly;
        HWND found;
    };

    static BOOL CALLBACK Match(HWND hwnd, LPARAM param)
    {
        auto* search = reinterpret_cast<Search*>(param);
        char className[16] = "";
        GetClassNameA(hwnd, className, sizeof(className));
        if (strcmp(className, "#32770") != 0 || (search->visibleOnly && !IsWindowVisible(hwnd)))
            return TRUE;
        search->found = hwnd;
        return FALSE;
    }

    static HWND FindDialog(bool visibleOnly)
    {
        Search search = {visibleOnly, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), Match, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD)
    {
        AboutBoxRun* run = s_current;
        if (!run || run->m_ran)
            return;
        HWND dialog = FindDialog(true);
        if (!dialog) {
            // Never shown: end it rather than wait for ever.
            if (++run->m_ticks == 500) {
                ADD_FAILURE() << "the about box did not show";
                KillTimer(nullptr, timer);
                if (HWND hidden = FindDialog(false))
                    EndDialog(hidden, -2);
            }
            return;
        }
        KillTimer(nullptr, timer);
        run->m_ran = true;
        run->m_inspect(dialog);
        run->m_close(dialog);
    }

    static AboutBoxRun* s_current;
    std::function<void(HWND)> m_inspect;
    std::function<void(HWND)> m_close;
    bool m_ran = false;
    int m_ticks = 0;
};

AboutBoxRun* AboutBoxRun::s_current = nullptr;

void PressCancel(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void Nothing(HWND) {}

class CDlgAcercaTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        g_hInstance = GetModuleHandleA(nullptr);
        RegisterCustomControls();
        g_productInfo.Load(FENLOW_PRODUCT_NAME, g_disclaimer);
    }

    void SetUp() override
    {
        // A quit message left in this thread's queue by an earlier test would end the modal loop at once.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Leaves the record as start-up made it for the next test.
    void TearDown() override { g_productInfo.Load(FENLOW_PRODUCT_NAME, g_disclaimer); }

    CDlgAcerca m_dialog;
};

TEST_F(CDlgAcercaTest, ShowsTheBoldTitleTheLinkAndTheAboutText)
{
    ASSERT_EQ(std::string(g_productInfo.aboutText).rfind("Fenlow\r\nVersion : 0.1 Beta\r\n", 0), 0u);
    AboutBoxRun run(
        [](HWND dialog) {
            EXPECT_EQ(TextOf(dialog), "About...");
            HWND title = GetDlgItem(dialog, IDC_ABOUT_TITLE);
            HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
            HWND about = GetDlgItem(dialog, IDC_ABOUT_TEXT);
            ASSERT_TRUE(title && link && about);

            EXPECT_EQ(TextOf(title), "Fenlow v0.1 Beta");
            // The default GUI font made bold, nothing else changed.
            LOGFONTA expected = LogFontOf(GetStockObject(DEFAULT_GUI_FONT));
            expected.lfWeight = FW_BOLD;
            LOGFONTA titleFont = LogFontOf(DataOf(title)->font);
            EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
            EXPECT_EQ(memcmp(&titleFont, &expected, sizeof(expected)), 0);

            EXPECT_EQ(TextOf(link), FENLOW_WEBSITE);
            EXPECT_EQ(DataOf(link)->textColor, GetSysColor(COLOR_HOTLIGHT));
            // The link keeps its own underlined font, whatever the dialog's template font.
            EXPECT_EQ(DataOf(link)->font, DataOf(link)->ownedFont);
            LOGFONTA linkFont = LogFontOf(DataOf(link)->font);
            EXPECT_EQ(linkFont.lfUnderline, 1);
            EXPECT_EQ(linkFont.lfWeight, LogFontOf(GetStockObject(DEFAULT_GUI_FONT)).lfWeight);

            EXPECT_EQ(TextOf(about), g_productInfo.aboutText);
            // The first tab stop has the focus.
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
        },
        PressCancel);
    EXPECT_EQ(run.Show(m_dialog), 0);
    EXPECT_TRUE(run.Ran());
}

// Relative luminance of an sRGB colour, as the contrast ratio of readable text is defined.
double Luminance(COLORREF colour)
{
    auto channel = [](int value) {
        double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) +
           0.0722 * channel(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b)
{
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The link as drawn on screen: its commonest colour is the background, and its text must stand out
// from it as readable text does (4.5:1), not as a disabled control's.
TEST_F(CDlgAcercaTest, TheLinkIsDrawnReadablyOnItsBackground)
{
    const double kReadableContrast = 4.5;
    AboutBoxRun run(
        [&](HWND dialog) {
            HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
            ASSERT_TRUE(link);
            UpdateWindow(dialog);
            screen::Image image = screen::Capture(link);
            ASSERT_FALSE(image.pixels.empty());
            std::map<COLORREF, int> counts;
            for (COLORREF pixel : image.pixels)
                ++counts[pixel];
            COLORREF background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                                      return a.second < b.second;
                                  })->first;
            double most = 1.0;
            for (COLORREF pixel : image.pixels)
                most = std::max(most, Contrast(pixel, background));
            EXPECT_GE(most, kReadableContrast) << "the link's text stands out " << most << ":1 from its background "
                                               << std::hex << background << ", drawn in " << DataOf(link)->textColor;
        },
        PressCancel);
    EXPECT_EQ(run.Show(m_dialog), 0);
    EXPECT_TRUE(run.Ran());
}

TEST_F(CDlgAcercaTest, MembersAreBoundToTheirControls)
{
    AboutBoxRun run(
        [this](HWND dialog) {
            EXPECT_EQ(m_dialog.m_hWnd, dialog);
            EXPECT_EQ(m_dialog.m_title.m_hWnd, GetDlgItem(dialog, IDC_ABOUT_TITLE));
            EXPECT_EQ(m_dialog.m_link.m_hWnd, GetDlgItem(dialog, IDC_ABOUT_LINK));
            EXPECT_EQ(m_dialog.m_aboutBox.m_hWnd, GetDlgItem(dialog, IDC_ABOUT_TEXT));
        },
        PressCancel);
    EXPECT_EQ(run.Show(m_dialog), 0);
    EXPECT_TRUE(run.Ran());
}

TEST_F(CDlgAcercaTest, OkEscapeAndTheCloseBoxEachCloseItWithZero)
{
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"OK button", [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); }},
        // The dialog manager turns Escape on the focused control into IDCANCEL.
        {"Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        AboutBoxRun run(Nothing, way.second);
        EXPECT_EQ(run.Show(m_dialog), 0);
        EXPECT_TRUE(run.Ran());
    }
}

TEST_F(CDlgAcercaTest, OtherCommandsLeaveItOpen)
{
    HWND stillThere = nullptr;
    AboutBoxRun run(Nothing, [&stillThere](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDM_ABOUT, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_TEXT, EN_SETFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ABOUT_TEXT)));
        if (IsWindow(dialog) && IsWindowVisible(dialog))
            stillThere = dialog;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(run.Show(m_dialog), 0);
    EXPECT_NE(stillThere, nullptr);
}

TEST_F(CDlgAcercaTest, EachShowingTakesTheTextsFromTheRecordAfresh)
{
    std::vector<std::string> seen;
    auto collect = [&seen](HWND dialog) {
        seen.push_back(TextOf(GetDlgItem(dialog, IDC_ABOUT_TITLE)) + "|" + TextOf(GetDlgItem(dialog, IDC_ABOUT_LINK)) +
                       "|" + TextOf(GetDlgItem(dialog, IDC_ABOUT_TEXT)));
    };
    for (int showing = 0; showing < 2; ++showing) {
        AboutBoxRun run(collect, PressCancel);
        EXPECT_EQ(run.Show(m_dialog), 0);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], std::string("Fenlow v0.1 Beta|") + FENLOW_WEBSITE + "|" + g_productInfo.aboutText);

    strcpy(g_productInfo.productVersion, "0.n");
    strcpy(g_productInfo.aboutText, "other\r\ntext");
    AboutBoxRun changed(collect, PressCancel);
    EXPECT_EQ(changed.Show(m_dialog), 0);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], std::string("Fenlow v0.n|") + FENLOW_WEBSITE + "|other\r\ntext");

    // The title holds at most 99 characters.
    memset(g_productInfo.productName, 'N', 120);
    g_productInfo.productName[120] = '\0';
    std::string title;
    AboutBoxRun longName([&title](HWND dialog) { title = TextOf(GetDlgItem(dialog, IDC_ABOUT_TITLE)); }, PressCancel);
    EXPECT_EQ(longName.Show(m_dialog), 0);
    EXPECT_EQ(title, std::string(99, 'N'));
}

TEST_F(CDlgAcercaTest, NoFontOutlivesItsShowing)
{
    auto count = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
    // One showing first, so that what the system caches once is not counted.
    AboutBoxRun warmUp(Nothing, PressCancel);
    ASSERT_EQ(warmUp.Show(m_dialog), 0);
    const DWORD before = count();

    for (int showing = 0; showing < 50; ++showing) {
        std::vector<HGDIOBJ> fonts;
        AboutBoxRun run(
            [&fonts](HWND dialog) {
                for (int id : {IDC_ABOUT_TITLE, IDC_ABOUT_LINK}) {
                    const LabelData* label = DataOf(GetDlgItem(dialog, id));
                    fonts.push_back(label->font);
                    fonts.push_back(label->ownedFont);
                }
            },
            PressCancel);
        ASSERT_EQ(run.Show(m_dialog), 0);
        ASSERT_EQ(fonts.size(), 4u);
        // The title's bold font is the dialog's, not the label's own.
        ASSERT_NE(fonts[0], fonts[1]);
        for (HGDIOBJ font : fonts)
            ASSERT_EQ(GetObjectType(font), 0u) << "showing " << showing << ", font " << font;
    }
    // Zero under Wine, which does not count; the handle checks above hold there too.
    EXPECT_EQ(count(), before);
}

TEST_F(CDlgAcercaTest, FontsAreAliveWhileItShows)
{
    AboutBoxRun run(
        [](HWND dialog) {
            for (int id : {IDC_ABOUT_TITLE, IDC_ABOUT_LINK}) {
                const LabelData* label = DataOf(GetDlgItem(dialog, id));
                EXPECT_EQ(GetObjectType(label->font), static_cast<DWORD>(OBJ_FONT));
                EXPECT_EQ(GetObjectType(label->ownedFont), static_cast<DWORD>(OBJ_FONT));
            }
        },
        PressCancel);
    EXPECT_EQ(run.Show(m_dialog), 0);
    EXPECT_TRUE(run.Ran());
}

}  // namespace

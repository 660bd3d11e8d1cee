// The "Text" and "Link" labels against real user32/gdi32: their records, what they draw and what they send.
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DornControls.h"
#include "LabelControl.h"
#include "LabelInspect.h"
#include "ScreenImage.h"

using namespace Dorn32::Windows;

namespace {

using labels::DataOf;
using labels::LogFontOf;
using screen::Capture;
using screen::Image;

const COLORREF kParentColor = RGB(200, 220, 240);

struct Command
{
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Command> g_commands;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        g_commands.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Pixels where something was drawn over the parent's background.
struct Ink
{
    int count = 0;
    double centreX = 0;
    double centreY = 0;
    int longestRun = 0;  // the longest horizontal run of ink in any row
};

Ink FindInk(const Image& image)
{
    Ink ink;
    for (int y = 0; y < image.height; ++y) {
        int run = 0;
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) == kParentColor) {
                run = 0;
                continue;
            }
            ++ink.count;
            ink.centreX += x;
            ink.centreY += y;
            if (++run > ink.longestRun)
                ink.longestRun = run;
        }
    }
    if (ink.count) {
        ink.centreX /= ink.count;
        ink.centreY /= ink.count;
    }
    return ink;
}

int CountPixels(const Image& image, COLORREF color)
{
    int count = 0;
    for (COLORREF pixel : image.pixels)
        count += pixel == color;
    return count;
}

bool Between(int value, int one, int other)
{
    return value >= (one < other ? one : other) && value <= (one < other ? other : one);
}

std::string TextOf(HWND hwnd)
{
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

std::string FaceOf(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ saved = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof(face), face);
    SelectObject(dc, saved);
    ReleaseDC(nullptr, dc);
    return face;
}

class LabelControlTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        RegisterCustomControls();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(kParentColor);
        wc.lpszClassName = "LabelTestParent";
        RegisterClassA(&wc);
    }

    void SetUp() override
    {
        g_commands.clear();
        m_parent = CreateWindowExA(WS_EX_TOPMOST, "LabelTestParent", "labels", WS_POPUP | WS_VISIBLE, 60, 60, 400, 300,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
    }

    void TearDown() override { DestroyWindow(m_parent); }

    HWND CreateLabel(LPCSTR className, LPCSTR text, int x, int y, int width, int height, int id = 0)
    {
        return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE, x, y, width, height, m_parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }

    // Paints the parent's background afresh and the label over it, then reads the label's pixels.
    Image Draw(HWND label)
    {
        RedrawWindow(m_parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return Capture(label);
    }

    HWND m_parent = nullptr;
};

TEST_F(LabelControlTest, ClassesAreRegisteredWithTheirCursorsStylesAndExtraBytes)
{
    WNDCLASSEXA link = {};
    link.cbSize = sizeof(link);
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Link", &link));
    EXPECT_EQ(link.lpfnWndProc, LabelWndProc);
    EXPECT_EQ(link.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(link.hCursor, LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(link.hbrBackground, nullptr);
    EXPECT_EQ(link.cbWndExtra, static_cast<int>(sizeof(LONG_PTR)));  // one pointer to the record
    EXPECT_EQ(link.cbClsExtra, 0);

    WNDCLASSEXA text = {};
    text.cbSize = sizeof(text);
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Text", &text));
    EXPECT_EQ(text.lpfnWndProc, LabelWndProc);
    EXPECT_EQ(text.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(text.hCursor, LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(text.hbrBackground, nullptr);
    EXPECT_EQ(text.cbWndExtra, static_cast<int>(sizeof(LONG_PTR)));  // one pointer to the record
}

TEST_F(LabelControlTest, NewLinkDrawsItsTextUnderlinedInWindowTextColourOverTheParent)
{
    HWND link = CreateLabel("Link", "i i i i i", 10, 10, 120, 24);
    HWND text = CreateLabel("Text", "i i i i i", 10, 50, 120, 24);
    ASSERT_TRUE(link && text);

    const LabelData* linkData = DataOf(link);
    const LabelData* textData = DataOf(text);
    ASSERT_TRUE(linkData && textData);
    EXPECT_EQ(linkData->window, link);
    EXPECT_EQ(linkData->textColor, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(linkData->glyph[0], L'\0');

    // A copy of the default GUI font, differing only in the underline.
    LOGFONTA gui = LogFontOf(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA linkFont = LogFontOf(linkData->font);
    LOGFONTA textFont = LogFontOf(textData->font);
    EXPECT_EQ(linkFont.lfUnderline, 1);
    EXPECT_EQ(textFont.lfUnderline, 0);
    gui.lfUnderline = 1;
    EXPECT_EQ(memcmp(&gui, &linkFont, sizeof(gui)), 0);
    gui.lfUnderline = 0;
    EXPECT_EQ(memcmp(&gui, &textFont, sizeof(gui)), 0);
    EXPECT_NE(linkData->font, textData->font);

    Image linkImage = Draw(link);
    Image textImage = Draw(text);
    Ink linkInk = FindInk(linkImage);
    Ink textInk = FindInk(textImage);
    // The underline joins the separate letters into one long run of ink.
    EXPECT_GE(linkInk.longestRun, 20);
    EXPECT_LT(textInk.longestRun, 6);
    EXPECT_GT(textInk.count, 0);
    EXPECT_GT(CountPixels(linkImage, GetSysColor(COLOR_WINDOWTEXT)), 20);
    // Nothing painted behind the text: the bottom rows, below the line, show the parent's colour.
    for (int x = 0; x < linkImage.width; ++x)
        ASSERT_EQ(linkImage.At(x, linkImage.height - 1), kParentColor) << "x " << x;
}

TEST_F(LabelControlTest, SetFontTextChangesOnlyWhatItIsGiven)
{
    HWND link = CreateLabel("Link", "before", 10, 10, 120, 24);
    LabelData* data = DataOf(link);
    ASSERT_TRUE(data);
    const LabelData original = *data;

    EXPECT_EQ(SendMessageA(link, LCM_SETFONTTEXT, 0, 0), 0);
    EXPECT_EQ(TextOf(link), "before");
    EXPECT_EQ(memcmp(data, &original, sizeof(original)), 0);

    EXPECT_EQ(SendMessageA(link, LCM_SETFONTTEXT, 0, reinterpret_cast<LPARAM>("after")), 0);
    EXPECT_EQ(TextOf(link), "after");
    EXPECT_EQ(data->font, original.font);
    EXPECT_EQ(LogFontOf(data->font).lfUnderline, 1);
    EXPECT_EQ(data->textColor, original.textColor);

    LOGFONTA boldLog = LogFontOf(GetStockObject(DEFAULT_GUI_FONT));
    boldLog.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&boldLog);
    EXPECT_EQ(SendMessageA(link, LCM_SETFONTTEXT, reinterpret_cast<WPARAM>(bold), 0), 0);
    EXPECT_EQ(TextOf(link), "after");
    EXPECT_EQ(data->font, bold);
    DestroyWindow(link);
    DeleteObject(bold);
}

TEST_F(LabelControlTest, GivenFontReplacesTheLinkUnderline)
{
    HWND link = CreateLabel("Link", "i i i i i", 10, 10, 120, 24);
    ASSERT_GE(FindInk(Draw(link)).longestRun, 20);

    LOGFONTA boldLog = LogFontOf(GetStockObject(DEFAULT_GUI_FONT));
    boldLog.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&boldLog);
    SendMessageA(link, LCM_SETFONTTEXT, reinterpret_cast<WPARAM>(bold), 0);
    Ink ink = FindInk(Draw(link));
    EXPECT_GT(ink.count, 0);
    EXPECT_LT(ink.longestRun, 8);
    DestroyWindow(link);
    DeleteObject(bold);
}

TEST_F(LabelControlTest, FontsTheControlMadeGoWithItAndGivenFontsStayTheCallers)
{
    HWND link = CreateLabel("Link", "x", 10, 10, 120, 24);
    HFONT own = DataOf(link)->font;
    ASSERT_EQ(GetObjectType(own), static_cast<DWORD>(OBJ_FONT));

    SendMessageA(link, LCM_SETGLYPH, 0, 0xE10E);
    HFONT firstIconFont = DataOf(link)->font;
    EXPECT_NE(firstIconFont, own);
    // Replaced by a newer font of its own: the older one is released at once.
    EXPECT_EQ(GetObjectType(own), 0u);

    SendMessageA(link, LCM_SETGLYPH, 0, 0);
    HFONT secondIconFont = DataOf(link)->font;
    EXPECT_NE(secondIconFont, firstIconFont);
    EXPECT_EQ(GetObjectType(firstIconFont), 0u);
    EXPECT_EQ(GetObjectType(secondIconFont), static_cast<DWORD>(OBJ_FONT));

    HFONT given = CreateFontA(0, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(link, LCM_SETGLYPH, reinterpret_cast<WPARAM>(given), 0);
    EXPECT_EQ(DataOf(link)->font, given);
    DestroyWindow(link);
    EXPECT_EQ(GetObjectType(secondIconFont), 0u);
    EXPECT_EQ(GetObjectType(given), static_cast<DWORD>(OBJ_FONT));
    DeleteObject(given);
}

TEST_F(LabelControlTest, SetColorTakesTheColourFromLParamAlone)
{
    HWND link = CreateLabel("Link", "i i i i i", 10, 10, 120, 24);
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(SendMessageA(link, LCM_SETCOLOR, static_cast<WPARAM>(RGB(0, 0, 255)), static_cast<LPARAM>(red)), 0);
    EXPECT_EQ(DataOf(link)->textColor, red);
    Image image = Draw(link);
    // The underline is solid, so it shows the colour exactly.
    EXPECT_GE(CountPixels(image, red), 20);
    EXPECT_EQ(CountPixels(image, RGB(0, 0, 255)), 0);
    EXPECT_EQ(CountPixels(image, GetSysColor(COLOR_WINDOWTEXT)), 0);

    SendMessageA(link, LCM_SETCOLOR, 0xFFFFFFFF, static_cast<LPARAM>(RGB(0, 128, 0)));
    EXPECT_EQ(DataOf(link)->textColor, RGB(0, 128, 0));
}

TEST_F(LabelControlTest, WmSetFontChangesNothing)
{
    HWND text = CreateLabel("Text", "Mm Ww", 10, 10, 120, 24);
    HFONT own = DataOf(text)->font;
    Image before = Draw(text);
    LOGFONTA bigLog = LogFontOf(GetStockObject(DEFAULT_GUI_FONT));
    bigLog.lfHeight *= 2;
    bigLog.lfWeight = FW_BOLD;
    HFONT big = CreateFontIndirectA(&bigLog);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    EXPECT_EQ(DataOf(text)->font, own);
    EXPECT_TRUE(Draw(text) == before);
    DestroyWindow(text);
    DeleteObject(big);
}

TEST_F(LabelControlTest, GlyphIsDrawnCentredFromTheIconFontInTheTextColour)
{
    const COLORREF red = RGB(255, 0, 0);
    HWND icon = CreateLabel("Text", "ignored text", 10, 10, 80, 60);
    SendMessageA(icon, LCM_SETCOLOR, 0, static_cast<LPARAM>(red));
    EXPECT_EQ(SendMessageA(icon, LCM_SETGLYPH, 0, 0xE10E), 0);
    const LabelData* data = DataOf(icon);
    EXPECT_EQ(data->glyph[0], 0xE10E);
    EXPECT_EQ(data->glyph[1], 0);
    // The private font answers to its face name, so the mapper did not substitute another.
    EXPECT_EQ(_stricmp(FaceOf(data->font).c_str(), "typicons"), 0) << FaceOf(data->font);
    LOGFONTA requested = LogFontOf(data->font);
    EXPECT_EQ(requested.lfHeight, 0);
    EXPECT_EQ(requested.lfCharSet, ANSI_CHARSET);

    Image image = Draw(icon);
    Ink ink = FindInk(image);
    ASSERT_GT(ink.count, 10);
    EXPECT_NEAR(ink.centreX, image.width / 2.0, 4.0);
    EXPECT_NEAR(ink.centreY, image.height / 2.0, 4.0);
    // Solid strokes in the exact colour.
    EXPECT_GT(CountPixels(image, red), 4);
    for (COLORREF pixel : image.pixels) {
        if (pixel == kParentColor)
            continue;
        // Smoothed edges mix the two colours, so each channel lies between theirs.
        ASSERT_TRUE(Between(GetRValue(pixel), GetRValue(red), GetRValue(kParentColor)) &&
                    Between(GetGValue(pixel), GetGValue(red), GetGValue(kParentColor)) &&
                    Between(GetBValue(pixel), GetBValue(red), GetBValue(kParentColor)))
            << std::hex << pixel;
    }

    // The same code point in a face without it draws something else (or nothing).
    HFONT fallback = CreateFontA(0, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "NoSuchFaceForFenlowTests");
    HWND other = CreateLabel("Text", "", 100, 10, 80, 60);
    SendMessageA(other, LCM_SETCOLOR, 0, static_cast<LPARAM>(red));
    SendMessageA(other, LCM_SETGLYPH, reinterpret_cast<WPARAM>(fallback), 0xE10E);
    EXPECT_FALSE(Draw(other) == image);

    // Again with no code point: the glyph stays, in a fresh icon font, drawn the same.
    HFONT previous = data->font;
    SendMessageA(icon, LCM_SETGLYPH, 0, 0);
    EXPECT_EQ(data->glyph[0], 0xE10E);
    EXPECT_NE(data->font, previous);
    EXPECT_TRUE(Draw(icon) == image);

    // Glyph mode for good: a new text does not bring the text back.
    SendMessageA(icon, LCM_SETFONTTEXT, 0, reinterpret_cast<LPARAM>("text"));
    EXPECT_TRUE(Draw(icon) == image);
    DestroyWindow(other);
    DeleteObject(fallback);
}

TEST_F(LabelControlTest, LinkTellsItsParentOnClickAndSpaceAndTextNever)
{
    HWND link = CreateLabel("Link", "web", 10, 10, 120, 24, 905);
    HWND text = CreateLabel("Text", "title", 10, 50, 120, 24, 906);

    EXPECT_EQ(SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)), 0);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].wParam, 905u);
    EXPECT_EQ(g_commands[0].lParam, reinterpret_cast<LPARAM>(link));

    EXPECT_EQ(SendMessageA(link, WM_KEYUP, VK_SPACE, 0xC0390001), 0);
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[1].wParam, 905u);
    EXPECT_EQ(g_commands[1].lParam, reinterpret_cast<LPARAM>(link));

    SendMessageA(link, WM_KEYUP, VK_RETURN, 0xC01C0001);
    SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_EQ(g_commands.size(), 2u);

    EXPECT_EQ(SendMessageA(text, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(SendMessageA(text, WM_KEYUP, VK_SPACE, 0xC0390001), 0);
    EXPECT_EQ(g_commands.size(), 2u);
}

// A click needs both the press and the release on the link, as on a push button.
TEST_F(LabelControlTest, LinkClicksOnlyWhenPressedAndReleasedOnIt)
{
    HWND link = CreateLabel("Link", "web", 10, 10, 120, 24, 907);
    const LPARAM inside = MAKELPARAM(5, 5);
    const LPARAM outside = MAKELPARAM(static_cast<WORD>(-20), 5);

    // Pressed elsewhere, released over the link.
    EXPECT_EQ(SendMessageA(link, WM_LBUTTONUP, 0, inside), 0);
    EXPECT_TRUE(g_commands.empty());

    // Pressed on the link, released off it: the link held the mouse, so the release still came here.
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(GetCapture(), link);
    SendMessageA(link, WM_LBUTTONUP, 0, outside);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(g_commands.empty());

    // Pressed on the link, the mouse taken away before the release.
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SetCapture(m_parent);
    ReleaseCapture();
    SendMessageA(link, WM_LBUTTONUP, 0, inside);
    EXPECT_TRUE(g_commands.empty());

    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(link, WM_LBUTTONUP, 0, inside);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].wParam, 907u);
    EXPECT_EQ(GetCapture(), nullptr);
}

// A class of the same name that is not ours is a failure; finding our own again is not.
TEST_F(LabelControlTest, RegistrationPassesOnAClassItCannotHave)
{
    EXPECT_EQ(RegisterCustomControls(), 0);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // No splitter exists in these tests, so its class can be swapped for a stranger's.
    ASSERT_TRUE(UnregisterClassA("Splitter", instance)) << "a splitter window still exists: " << GetLastError();
    WNDCLASSA stranger = {};
    stranger.lpfnWndProc = DefWindowProcA;
    stranger.hInstance = instance;
    stranger.lpszClassName = "Splitter";
    ASSERT_NE(RegisterClassA(&stranger), 0);

    EXPECT_EQ(RegisterCustomControls(), ERROR_CLASS_ALREADY_EXISTS);

    // Leave the process as it was found.
    UnregisterClassA("Splitter", instance);
    EXPECT_EQ(RegisterCustomControls(), 0);
}

TEST_F(LabelControlTest, TextIsDrawnOnSeveralLinesAndCutAfter255Characters)
{
    // Line two holds one letter, which is the 255th character in the first text and the 256th in the second.
    const std::string shown = "X" + std::string(251, ' ') + "\r\nX";
    const std::string cut = "X" + std::string(252, ' ') + "\r\nX";
    ASSERT_EQ(shown.size(), 255u);
    ASSERT_EQ(cut.size(), 256u);

    HWND first = CreateLabel("Text", shown.c_str(), 10, 10, 60, 40);
    HWND second = CreateLabel("Text", cut.c_str(), 100, 10, 60, 40);
    EXPECT_EQ(TextOf(second), cut);
    Image shownImage = Draw(first);
    Image cutImage = Draw(second);

    // Line one, the first X, is the same in both.
    Ink shownInk = FindInk(shownImage);
    Ink cutInk = FindInk(cutImage);
    ASSERT_GT(cutInk.count, 0);
    EXPECT_GT(shownInk.count, cutInk.count);
    int lowestCutInk = 0;
    int lowestShownInk = 0;
    for (int y = 0; y < cutImage.height; ++y) {
        for (int x = 0; x < cutImage.width; ++x) {
            if (cutImage.At(x, y) != kParentColor)
                lowestCutInk = y;
            if (shownImage.At(x, y) != kParentColor)
                lowestShownInk = y;
        }
    }
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(nullptr);
    HGDIOBJ saved = SelectObject(dc, DataOf(first)->font);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, saved);
    ReleaseDC(nullptr, dc);
    EXPECT_LT(lowestCutInk, metrics.tmHeight);
    EXPECT_GE(lowestShownInk, metrics.tmHeight);
}

TEST_F(LabelControlTest, DoubleAmpersandDrawsOneAmpersand)
{
    HWND oneAmpersand = CreateLabel("Text", "&&", 10, 10, 60, 24);
    HWND twoAmpersands = CreateLabel("Text", "&&&&", 100, 10, 60, 24);
    Ink one = FindInk(Draw(oneAmpersand));
    Ink two = FindInk(Draw(twoAmpersands));
    ASSERT_GT(one.count, 0);
    EXPECT_EQ(two.count, 2 * one.count);
}

}  // namespace

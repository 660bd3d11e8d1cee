// The resource script as compiled: dialog templates item by item, menus, strings, icons, font.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "IconFrames.h"
#include "resource.h"

namespace {

using dialogs::ClassKey;
using dialogs::LoadTemplate;
using dialogs::Template;

// windres gives every CONTROL these two unless the script says NOT.
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
// The id of controls nobody addresses (kStatic in resource editors).
constexpr int kStatic = -1;

struct Expected
{
    int id;
    const wchar_t* cls;
    const wchar_t* text;  // "#n": the icon resource n
    DWORD style;
    short x, y, cx, cy;
};

// Each item as the template holds it, in tab order; none has an extended style or a help id.
void ExpectItems(const std::vector<Expected>& expected, const Template& actual)
{
    ASSERT_EQ(expected.size(), actual.items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const dialogs::TemplateItem& item = actual.items[i];
        EXPECT_EQ(expected[i].id, item.id);
        EXPECT_EQ(ClassKey(expected[i].cls), ClassKey(item.cls));
        EXPECT_EQ(expected[i].text, item.text);
        EXPECT_EQ(expected[i].style, item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(0u, item.helpId);
        EXPECT_EQ(expected[i].x, item.x);
        EXPECT_EQ(expected[i].y, item.y);
        EXPECT_EQ(expected[i].cx, item.cx);
        EXPECT_EQ(expected[i].cy, item.cy);
    }
}

// A DIALOGEX with the shell font, as all three of the program's templates are.
void ExpectShellFontDialogEx(const Template& t)
{
    ASSERT_TRUE(t.found);
    EXPECT_EQ(1, t.version);
    EXPECT_EQ(0xFFFF, t.signature);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(L"", t.menu);
    EXPECT_EQ(L"", t.windowClass);
    EXPECT_EQ(L"MS Shell Dlg", t.font);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(FW_NORMAL, t.weight);
}

TEST(ResourcesTest, OptionsTemplateHasEveryControlInTabOrder)
{
    Template t = LoadTemplate(IDD_OPCIONES);
    ASSERT_NO_FATAL_FAILURE(ExpectShellFontDialogEx(t));
    EXPECT_EQ(static_cast<DWORD>(DS_SHELLFONT | WS_CHILD | WS_SYSMENU), t.style);
    EXPECT_EQ(205, t.cx);
    EXPECT_EQ(168, t.cy);
    const DWORD box = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
    ExpectItems(
        {
            {IDOK, L"Button", L"&Ok", kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, 91, 147, 50, 14},
            {IDCANCEL, L"Button", L"&Cancel", kShown | WS_TABSTOP | BS_PUSHBUTTON, 148, 147, 50, 14},
            {IDC_HIDE_TRAY, L"Button", L"Hide &Tray Icon", WS_CHILD | WS_DISABLED | WS_TABSTOP | BS_AUTOCHECKBOX, 7,
             151, 63, 10},
            {IDC_ICON_SCROLL, L"Button", L"&Scroll Lock", box, 63, 34, 50, 10},
            {IDC_ICON_NUM, L"Button", L"&Num Lock", box, 63, 49, 48, 10},
            {IDC_ICON_CAPS, L"Button", L"&Caps Lock", box, 63, 20, 48, 10},
            {kStatic, L"Button", L"Icons ", kShown | BS_GROUPBOX, 51, 7, 127, 63},
            {kStatic, L"Static", L"#102", kShown | SS_ICON, 7, 7, 20, 20},
            {kStatic, L"Button", L"Notification", kShown | BS_GROUPBOX, 51, 76, 124, 63},
            // Wide enough for their texts in Tahoma at any density.
            {IDC_MSG_CAPS, L"Button", L"Ca&ps Lock changed", box, 63, 91, 100, 10},
            {IDC_MSG_SCROLL, L"Button", L"Scro&ll Lock changed", box, 63, 105, 100, 10},
            {IDC_MSG_NUM, L"Button", L"Nu&m Lock changed", box, 63, 120, 100, 10},
        },
        t);
}

TEST(ResourcesTest, PopupTemplate)
{
    Template popup = LoadTemplate(IDD_NOTIFY);
    ASSERT_NO_FATAL_FAILURE(ExpectShellFontDialogEx(popup));
    EXPECT_EQ(static_cast<DWORD>(DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_SYSMENU), popup.style);
    EXPECT_EQ(132, popup.cx);
    EXPECT_EQ(33, popup.cy);
    EXPECT_EQ(L"", popup.caption);
    ExpectItems({{IDC_NOTIFY_TEXT, L"Static", L"Estático", kShown | WS_GROUP | SS_LEFT, 7, 7, 118, 18}}, popup);
}

TEST(ResourcesTest, AboutTemplate)
{
    Template about = LoadTemplate(IDD_ACERCA);
    ASSERT_NO_FATAL_FAILURE(ExpectShellFontDialogEx(about));
    EXPECT_EQ(static_cast<DWORD>(DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              about.style);
    EXPECT_EQ(213, about.cx);
    EXPECT_EQ(142, about.cy);
    EXPECT_EQ(L"About...", about.caption);
    ExpectItems(
        {
            {IDOK, L"Button", L"OK", kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, 82, 122, 50, 14},
            {kStatic, L"Static", L"#102", kShown | SS_ICON, 6, 9, 20, 20},
            {IDC_ABOUT_TEXT, L"Edit", L"",
             kShown | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_OEMCONVERT | ES_READONLY, 35, 37, 171,
             75},
            {IDC_ABOUT_LINK, L"Link", L"web", kShown | WS_TABSTOP, 35, 23, 169, 11},
            {IDC_ABOUT_TITLE, L"Text", L"Titulo", kShown | WS_TABSTOP, 35, 10, 169, 11},
        },
        about);
}

std::wstring MenuText(HMENU menu, UINT item, UINT flags)
{
    wchar_t text[64] = {};
    GetMenuStringW(menu, item, text, 64, flags);
    return text;
}

TEST(ResourcesTest, MenusAndStrings)
{
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_TRUE(bar);
    ASSERT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(L"&File", MenuText(bar, 0, MF_BYPOSITION));
    EXPECT_EQ(L"Help", MenuText(bar, 1, MF_BYPOSITION));
    EXPECT_EQ(L"&Salir", MenuText(GetSubMenu(bar, 0), IDM_SALIR, MF_BYCOMMAND));
    EXPECT_EQ(L"&About...", MenuText(GetSubMenu(bar, 1), IDM_ABOUT, MF_BYCOMMAND));
    DestroyMenu(bar);

    HMENU tray = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    ASSERT_TRUE(tray);
    EXPECT_EQ(L"TRAY", MenuText(tray, 0, MF_BYPOSITION));
    HMENU popup = GetSubMenu(tray, 0);
    ASSERT_EQ(2, GetMenuItemCount(popup));
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_SHOW), GetMenuItemID(popup, 0));
    EXPECT_EQ(L"&Fenlow", MenuText(popup, 0, MF_BYPOSITION));
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_EXIT), GetMenuItemID(popup, 1));
    EXPECT_EQ(L"&Exit", MenuText(popup, 1, MF_BYPOSITION));
    DestroyMenu(tray);

    // Stored as UTF-16, so they read right whatever the ANSI code page.
    wchar_t text[64] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_CONFIRM_EXIT, text, 64);
    EXPECT_EQ(std::wstring(L"\u00bfRealmente quiere salir?"), text);
    LoadStringW(GetModuleHandleW(nullptr), IDS_ACERCA, text, 64);
    EXPECT_EQ(std::wstring(L"Acerce de..."), text);
    LoadStringW(GetModuleHandleW(nullptr), IDS_SALIR, text, 64);
    EXPECT_EQ(std::wstring(L"Salir"), text);
    // And the ANSI form the program uses is the Windows-1252 one.
    char ansi[64] = {};
    LoadStringA(GetModuleHandleW(nullptr), IDS_CONFIRM_EXIT, ansi, 64);
    EXPECT_EQ(1252u, GetACP());
    EXPECT_STREQ("\277Realmente quiere salir?", ansi);
}

TEST(ResourcesTest, IconsAndFontAreThere)
{
    HMODULE self = GetModuleHandleW(nullptr);
    for (const iconframes::Group& icon : iconframes::Groups()) {
        SCOPED_TRACE(icon.id);
        HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(icon.id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
        ASSERT_TRUE(group);
        const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
        WORD count = *reinterpret_cast<const WORD*>(dir + 4);
        std::vector<int> sizes;
        for (WORD i = 0; i < count; ++i)
            sizes.push_back(dir[6 + 14 * i] ? dir[6 + 14 * i] : 256);
        EXPECT_EQ(icon.sizes, sizes);
    }
    // On and off pictures differ.
    EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(IDI_CAPSLOCK_ON)), LoadIconW(self, MAKEINTRESOURCEW(IDI_CAPSLOCK_OFF)));

    HRSRC font = FindResourceA(self, MAKEINTRESOURCEA(IDR_ICONFONT), "BINARY");
    ASSERT_TRUE(font);
    EXPECT_EQ(99920u, SizeofResource(self, font));
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(self, font)));
    EXPECT_EQ(0, memcmp(data, "\0\1\0\0", 4));  // TrueType
}

TEST(ResourcesTest, ManifestAsksForCommonControlsSixAsInvoker)
{
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_TRUE(res);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, res))),
                         SizeofResource(nullptr, res));
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
}

}  // namespace

// The resource script as compiled: dialog templates item by item, menus, strings, icons, font.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Item
{
    int id;
    std::wstring cls;  // class name, or "#0080" style for the predefined atoms
    std::wstring text;
    DWORD style;
    short x, y, cx, cy;
};

struct Template
{
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    std::wstring font;
    WORD pointSize = 0;
    WORD weight = 0;
    std::vector<Item> items;
};

const WORD* Align(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~static_cast<ULONG_PTR>(3));
}

// A resource "sz_Or_Ord": 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string.
std::wstring ReadNameOrOrdinal(const WORD*& p)
{
    if (*p == 0xFFFF) {
        wchar_t buffer[16];
        wsprintfW(buffer, L"#%u", p[1]);
        p += 2;
        return buffer;
    }
    std::wstring s(reinterpret_cast<const wchar_t*>(p));
    p += s.size() + 1;
    return s;
}

Template LoadTemplate(int id)
{
    Template t;
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!res)
        return t;
    const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(nullptr, res)));
    EXPECT_EQ(1, p[0]);       // dlgVer
    EXPECT_EQ(0xFFFF, p[1]);  // DIALOGEX signature
    const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);
    t.exStyle = d[1];
    t.style = d[2];
    WORD count = p[8];
    t.cx = static_cast<short>(p[11]);
    t.cy = static_cast<short>(p[12]);
    p += 13;
    ReadNameOrOrdinal(p);  // menu
    ReadNameOrOrdinal(p);  // class
    t.caption = ReadNameOrOrdinal(p);
    if (t.style & DS_SETFONT) {
        t.pointSize = p[0];
        t.weight = p[1];
        p += 3;  // point size, weight, italic + charset
        t.font = ReadNameOrOrdinal(p);
    }
    for (WORD i = 0; i < count; ++i) {
        p = Align(p);
        const DWORD* h = reinterpret_cast<const DWORD*>(p);
        Item item;
        item.style = h[2];
        const short* s = reinterpret_cast<const short*>(p + 6);
        item.x = s[0];
        item.y = s[1];
        item.cx = s[2];
        item.cy = s[3];
        item.id = static_cast<int>(h[5]);
        p += 12;
        item.cls = ReadNameOrOrdinal(p);
        item.text = ReadNameOrOrdinal(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        t.items.push_back(item);
    }
    return t;
}

// The predefined classes may be stored as atoms or as names; the dialog manager takes either.
std::wstring ClassOf(const std::wstring& stored)
{
    if (stored == L"#128")
        return L"BUTTON";
    if (stored == L"#129")
        return L"EDIT";
    if (stored == L"#130")
        return L"STATIC";
    std::wstring upper = stored;
    CharUpperW(&upper[0]);
    // windres stores every class name upper-cased; window classes match without regard to case.
    return upper;
}

void ExpectItems(const std::vector<Item>& expected, const std::vector<Item>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].id, actual[i].id);
        EXPECT_EQ(ClassOf(expected[i].cls), ClassOf(actual[i].cls));
        EXPECT_EQ(expected[i].text, actual[i].text);
        EXPECT_EQ(expected[i].style, actual[i].style);
        EXPECT_EQ(expected[i].x, actual[i].x);
        EXPECT_EQ(expected[i].y, actual[i].y);
        EXPECT_EQ(expected[i].cx, actual[i].cx);
        EXPECT_EQ(expected[i].cy, actual[i].cy);
    }
}

TEST(ResourcesTest, OptionsTemplateHasEveryControlInTabOrder)
{
    Template t = LoadTemplate(IDD_OPCIONES);
    EXPECT_EQ(0x40080048u, t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(205, t.cx);
    EXPECT_EQ(168, t.cy);
    EXPECT_EQ(L"MS Shell Dlg", t.font);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(400, t.weight);
    ExpectItems(
        {
            {1, L"#128", L"&Ok", 0x50010001, 91, 147, 50, 14},
            {2, L"#128", L"&Cancel", 0x50010000, 148, 147, 50, 14},
            {1005, L"#128", L"Hide &Tray Icon", 0x48010003, 7, 151, 63, 10},
            {1006, L"#128", L"&Scroll Lock", 0x50010003, 63, 34, 50, 10},
            {1007, L"#128", L"&Num Lock", 0x50010003, 63, 49, 48, 10},
            {1008, L"#128", L"&Caps Lock", 0x50010003, 63, 20, 48, 10},
            {-1, L"#128", L"Icons ", 0x50000007, 51, 7, 127, 63},
            {-1, L"#130", L"#102", 0x50000003, 7, 7, 20, 20},
            {-1, L"#128", L"Notification", 0x50000007, 51, 76, 124, 63},
            {1009, L"#128", L"Ca&ps Lock changed", 0x50010003, 63, 91, 76, 10},
            {1010, L"#128", L"Scro&ll Lock changed", 0x50010003, 63, 105, 78, 10},
            {1011, L"#128", L"Nu&m Lock changed", 0x50010003, 63, 120, 76, 10},
        },
        t.items);
}

TEST(ResourcesTest, PopupAndAboutTemplates)
{
    Template popup = LoadTemplate(IDD_NOTIFY);
    EXPECT_EQ(0x80080848u, popup.style);
    EXPECT_EQ(132, popup.cx);
    EXPECT_EQ(33, popup.cy);
    EXPECT_EQ(L"", popup.caption);
    ExpectItems({{120, L"#130", L"Estático", 0x50020000, 7, 7, 118, 18}}, popup.items);

    Template about = LoadTemplate(IDD_ACERCA);
    EXPECT_EQ(0x80C808C8u, about.style);
    EXPECT_EQ(213, about.cx);
    EXPECT_EQ(142, about.cy);
    EXPECT_EQ(L"About...", about.caption);
    EXPECT_EQ(L"MS Shell Dlg", about.font);
    ExpectItems(
        {
            {1, L"#128", L"OK", 0x50010001, 82, 122, 50, 14},
            {-1, L"#130", L"#102", 0x50000003, 6, 9, 20, 20},
            {901, L"#129", L"", 0x50A00C44, 35, 37, 171, 75},
            {905, L"Link", L"web", 0x50010000, 35, 23, 169, 11},
            {906, L"Text", L"Titulo", 0x50010000, 35, 10, 169, 11},
        },
        about.items);
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
    struct Expected
    {
        int id;
        std::vector<int> sizes;
    };
    const Expected icons[] = {{IDI_FENLOW, {16, 32, 64}}, {IDI_TRAY, {16, 32}},          {IDI_NUMLOCK_OFF, {16, 32}},
                              {IDI_NUMLOCK_ON, {16, 32}}, {IDI_CAPSLOCK_OFF, {16, 32}}, {IDI_CAPSLOCK_ON, {16, 32}},
                              {IDI_SCROLLLOCK_OFF, {16, 32}}, {IDI_SCROLLLOCK_ON, {16, 32}}};
    for (const Expected& icon : icons) {
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

// The desktop the tests run in has Windows' standard UI fonts, so that dialogs measure and draw as
// on Windows: the options dialog, a DS_SHELLFONT dialog, is drawn in Tahoma, and Marlett draws the
// caption buttons.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CDlgOpciones.h"
#include "CSettings.h"
#include "OptionsHost.h"

namespace {

// The family of the font the system made for `font`.
std::wstring FamilyOf(HFONT font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::wstring family;
    if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr)) {
        std::vector<char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(dc, size, metrics))
            family =
                reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<UINT_PTR>(metrics->otmpFamilyName));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return family;
}

// The family of the font the system picks for `face`.
std::wstring FamilyPickedFor(const wchar_t* face, BYTE charset)
{
    LOGFONTW request = {};
    request.lfHeight = -11;
    request.lfCharSet = charset;
    lstrcpynW(request.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&request);
    std::wstring family = FamilyOf(font);
    DeleteObject(font);
    return family;
}

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(const wchar_t* family)
{
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

class NoHost : public OptionsHost
{
public:
    void OnSettingsChosen(bool) override {}
    void OnOptionsDismissed() override {}
};

// The face name and the family of the font the real options dialog is given.
struct DialogFont
{
    std::wstring face;
    std::wstring family;
};

DialogFont OptionsDialogFont()
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    CSettings settings;
    NoHost host;
    CDlgOpciones dialog(settings, host);
    DialogFont found;
    if (dialog.CreateModeless(GetModuleHandleA(nullptr), parent, SW_HIDE)) {
        auto font = reinterpret_cast<HFONT>(SendMessageW(dialog.m_hWnd, WM_GETFONT, 0, 0));
        LOGFONTW described = {};
        if (font && GetObjectW(font, sizeof(described), &described))
            found = {described.lfFaceName, FamilyOf(font)};
        DestroyWindow(dialog.m_hWnd);
    }
    DestroyWindow(parent);
    return found;
}

TEST(DesktopFontsTest, OptionsDialogIsTahomaAndMarlettIsThere)
{
    EXPECT_TRUE(Installed(L"Tahoma"));
    EXPECT_TRUE(Installed(L"Marlett")) << "caption buttons would show as letters";
    // A DS_SHELLFONT dialog that asks for "MS Shell Dlg" gets "MS Shell Dlg 2", Tahoma; "MS Shell
    // Dlg" alone is Microsoft Sans Serif on Windows, and no dialog of the program uses it so.
    EXPECT_EQ(FamilyPickedFor(L"MS Shell Dlg 2", DEFAULT_CHARSET), L"Tahoma");
    const DialogFont options = OptionsDialogFont();
    EXPECT_EQ(options.family, L"Tahoma") << "face " << options.face.c_str();
    // Wine 8's dialog manager keeps the template's face, which Wine maps to Tahoma as well.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    EXPECT_EQ(options.face, wine ? L"MS Shell Dlg" : L"MS Shell Dlg 2");
    EXPECT_EQ(FamilyPickedFor(L"Marlett", SYMBOL_CHARSET), L"Marlett");
}

}  // namespace

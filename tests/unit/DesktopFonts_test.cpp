// The desktop the tests run in has Windows' standard UI fonts, so that dialogs measure and draw as
// on Windows: "MS Shell Dlg" is Tahoma, and Marlett draws the caption buttons.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The family of the font the system picks for `face`.
std::wstring FamilyPickedFor(const wchar_t* face, BYTE charset)
{
    LOGFONTW request = {};
    request.lfHeight = -11;
    request.lfCharSet = charset;
    lstrcpynW(request.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&request);
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

TEST(DesktopFontsTest, ShellDlgIsTahomaAndMarlettIsThere)
{
    EXPECT_TRUE(Installed(L"Tahoma"));
    EXPECT_TRUE(Installed(L"Marlett")) << "caption buttons would show as letters";
    EXPECT_EQ(FamilyPickedFor(L"MS Shell Dlg", DEFAULT_CHARSET), L"Tahoma");
    EXPECT_EQ(FamilyPickedFor(L"Marlett", SYMBOL_CHARSET), L"Marlett");
}

}  // namespace

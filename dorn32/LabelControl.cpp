#include "LabelControl.h"

#include <new>
#include <string.h>

namespace Dorn32 {
namespace Windows {

namespace {

LabelData* GetLabelData(HWND hwnd)
{
    return reinterpret_cast<LabelData*>(GetWindowLongPtrA(hwnd, 0));
}

bool IsLink(HWND hwnd)
{
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return strcmp(name, "Link") == 0;
}

// Takes over a font the control made, releasing the one it made before.
void AdoptOwnedFont(LabelData* data, HFONT font)
{
    if (data->ownedFont)
        DeleteObject(data->ownedFont);
    data->ownedFont = font;
    data->font = font;
}

BOOL OnNcCreate(HWND hwnd)
{
    if (GetLabelData(hwnd))
        return TRUE;
    auto* data = new (std::nothrow) LabelData();
    if (!data)
        return FALSE;
    data->window = hwnd;
    data->textColor = GetSysColor(COLOR_WINDOWTEXT);
    LOGFONTA logFont = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfUnderline = IsLink(hwnd) ? 1 : 0;
    AdoptOwnedFont(data, CreateFontIndirectA(&logFont));
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
    return TRUE;
}

void OnNcDestroy(HWND hwnd)
{
    LabelData* data = GetLabelData(hwnd);
    if (!data)
        return;
    SetWindowLongPtrA(hwnd, 0, 0);
    if (data->ownedFont)
        DeleteObject(data->ownedFont);
    delete data;
}

void OnPaint(HWND hwnd)
{
    LabelData* data = GetLabelData(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    char text[256];
    GetWindowTextA(hwnd, text, sizeof(text));

    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HGDIOBJ savedFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    // No background of our own: the parent shows through around and behind the text.
    SetBkMode(dc, TRANSPARENT);
    if (data) {
        SetTextColor(dc, data->textColor);
        if (data->font)
            SelectObject(dc, data->font);
    }
    if (data && data->glyph[0])
        DrawTextW(dc, data->glyph, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    else
        DrawTextA(dc, text, -1, &client, 0);
    SelectObject(dc, savedFont);
    EndPaint(hwnd, &ps);
}

// Tells the parent the way a push button would: WM_COMMAND with the id and no notification code.
void NotifyClick(HWND hwnd)
{
    if (IsLink(hwnd))
        SendMessageA(GetParent(hwnd), WM_COMMAND, static_cast<WPARAM>(GetWindowLongPtrA(hwnd, GWLP_ID)),
                     reinterpret_cast<LPARAM>(hwnd));
}

// As a push button does, a link holds the mouse from the press so that only a press and a release
// both on it make a click.
void OnLButtonDown(HWND hwnd)
{
    LabelData* data = GetLabelData(hwnd);
    if (!data || !IsLink(hwnd))
        return;
    data->pressed = TRUE;
    SetCapture(hwnd);
}

void OnLButtonUp(HWND hwnd, LPARAM lParam)
{
    LabelData* data = GetLabelData(hwnd);
    if (!data || !data->pressed)
        return;
    data->pressed = FALSE;
    ReleaseCapture();
    RECT client;
    GetClientRect(hwnd, &client);
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (PtInRect(&client, point))
        NotifyClick(hwnd);
}

void OnSetGlyph(HWND hwnd, HFONT font, LPARAM codePoint)
{
    LabelData* data = GetLabelData(hwnd);
    if (!data)
        return;
    if (font)
        data->font = font;
    else
        AdoptOwnedFont(data, CreateFontA(0, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "typicons"));
    if (codePoint)
        wsprintfW(data->glyph, L"%c", static_cast<WCHAR>(codePoint & 0xFFFF));
}

void OnSetFontText(HWND hwnd, HFONT font, LPCSTR text)
{
    LabelData* data = GetLabelData(hwnd);
    if (!data)
        return;
    if (font)
        data->font = font;
    if (text)
        SetWindowTextA(hwnd, text);
}

}  // namespace

LRESULT CALLBACK LabelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_NCCREATE:
            if (!OnNcCreate(hwnd))
                return FALSE;
            break;
        case WM_NCDESTROY:
            OnNcDestroy(hwnd);
            break;
        case WM_PAINT:
            OnPaint(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(hwnd);
            break;
        case WM_LBUTTONUP:
            OnLButtonUp(hwnd, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            // Taken away before the release: no click.
            if (LabelData* data = GetLabelData(hwnd))
                data->pressed = FALSE;
            break;
        case WM_KEYUP:
            if (wParam != VK_SPACE)
                break;
            NotifyClick(hwnd);
            return 0;
        case LCM_SETCOLOR:
            if (LabelData* data = GetLabelData(hwnd))
                data->textColor = static_cast<COLORREF>(lParam);
            break;
        case LCM_SETGLYPH:
            OnSetGlyph(hwnd, reinterpret_cast<HFONT>(wParam), lParam);
            break;
        case LCM_SETFONTTEXT:
            OnSetFontText(hwnd, reinterpret_cast<HFONT>(wParam), reinterpret_cast<LPCSTR>(lParam));
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace Windows
}  // namespace Dorn32

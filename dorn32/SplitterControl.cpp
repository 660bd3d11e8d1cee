#include "SplitterControl.h"

#include <new>

namespace Dorn32 {
namespace Windows {

namespace {

// A new splitter's first pane is this wide (or high), and the bar between the panes this thick.
const int kInitialPosition = 100;
const int kInitialBarSize = 3;
// The bar drawn while dragging: this thick, centred on the mouse, inset from the window's edges.
const int kTrackBarThickness = 4;
const int kTrackBarInset = 1;
// Where the drag bar was last drawn before any drag: off the window.
const int kNotTracked = -kTrackBarThickness;

SplitterData* GetSplitterData(HWND hwnd)
{
    return reinterpret_cast<SplitterData*>(GetWindowLongPtrA(hwnd, 0));
}

void Layout(const SplitterData* data, int width, int height)
{
    const int p = data->position;
    const int t = data->barSize;
    if (data->stacked) {
        if (data->firstPane)
            MoveWindow(data->firstPane, 0, 0, width, p, TRUE);
        if (data->secondPane)
            MoveWindow(data->secondPane, 0, p + t, width, height - p - t, TRUE);
    } else {
        if (data->firstPane)
            MoveWindow(data->firstPane, 0, 0, p, height, TRUE);
        if (data->secondPane)
            MoveWindow(data->secondPane, p + t, 0, width - p - t, height, TRUE);
    }
}

void LayoutToClient(const SplitterData* data)
{
    RECT client;
    GetClientRect(data->window, &client);
    Layout(data, client.right - client.left, client.bottom - client.top);
}

// The mouse point relative to the whole window, clamped on the drag axis to the window less the bar.
POINT WindowPoint(const SplitterData* data, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(data->window, &point);
    RECT window;
    GetWindowRect(data->window, &window);
    point.x -= window.left;
    point.y -= window.top;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    LONG& axis = data->stacked ? point.y : point.x;
    const int limit = (data->stacked ? height : width) - kTrackBarThickness;
    if (axis < 0)
        axis = 0;
    if (axis > limit)
        axis = limit;
    return point;
}

int& Tracked(SplitterData* data)
{
    return data->stacked ? data->trackY : data->trackX;
}

// The bar is drawn over the whole window, borders included, so it is seen wherever the mouse is.
void DrawTrackBar(const SplitterData* data, int coordinate)
{
    RECT window;
    GetWindowRect(data->window, &window);
    HDC dc = GetWindowDC(data->window);
    if (data->stacked)
        InvertTrackBar(dc, kTrackBarInset, coordinate - kTrackBarThickness / 2,
                       window.right - window.left - 2 * kTrackBarInset, kTrackBarThickness);
    else
        InvertTrackBar(dc, coordinate - kTrackBarThickness / 2, kTrackBarInset, kTrackBarThickness,
                       window.bottom - window.top);
    ReleaseDC(data->window, dc);
}

BOOL OnNcCreate(HWND hwnd, const CREATESTRUCTA* create)
{
    auto* data = new (std::nothrow) SplitterData();
    if (!data)
        return FALSE;
    data->position = kInitialPosition;
    data->barSize = kInitialBarSize;
    data->window = hwnd;
    data->trackY = kNotTracked;
    data->trackX = kNotTracked;
    SetWindowTextA(hwnd, create->lpszName);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
    return TRUE;
}

void OnLButtonDown(SplitterData* data, LPARAM lParam)
{
    POINT point = WindowPoint(data, lParam);
    const int c = data->stacked ? point.y : point.x;
    data->dragging = TRUE;
    SetCapture(data->window);
    DrawTrackBar(data, c);
    Tracked(data) = c;
}

void OnMouseMove(SplitterData* data, WPARAM keys, LPARAM lParam)
{
    // The class cursor, so it follows the orientation of whichever splitter the mouse is over.
    SetClassLongPtrA(data->window, GCLP_HCURSOR,
                     reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, data->stacked ? IDC_SIZENS : IDC_SIZEWE)));
    if (!data->dragging)
        return;
    POINT point = WindowPoint(data, lParam);
    const int c = data->stacked ? point.y : point.x;
    if (c == Tracked(data) || !(keys & MK_LBUTTON))
        return;
    DrawTrackBar(data, Tracked(data));
    DrawTrackBar(data, c);
    Tracked(data) = c;
}

void OnLButtonUp(SplitterData* data, LPARAM lParam)
{
    if (!data->dragging)
        return;
    POINT point = WindowPoint(data, lParam);
    DrawTrackBar(data, Tracked(data));
    Tracked(data) = data->stacked ? point.y : point.x;
    data->dragging = FALSE;
    RECT window;
    GetWindowRect(data->window, &window);
    point.x += window.left;
    point.y += window.top;
    ScreenToClient(data->window, &point);
    data->position = data->stacked ? point.y : point.x;
    LayoutToClient(data);
    ReleaseCapture();
}

// Capture taken away mid-drag (another window, a menu, Alt+Tab): the release will never come here,
// so the drag ends where it is, the bar is erased and the panes stay as they were.
void OnCaptureLost(SplitterData* data)
{
    if (!data->dragging)
        return;
    DrawTrackBar(data, Tracked(data));
    data->dragging = FALSE;
}

}  // namespace

void InvertTrackBar(HDC dc, int x, int y, int width, int height)
{
    // Rows of a monochrome bitmap are padded to 16 bits.
    static const BYTE checkerboard[16] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, checkerboard);
    HBRUSH brush = CreatePatternBrush(bitmap);
    SetBrushOrgEx(dc, x, y, nullptr);
    HGDIOBJ saved = SelectObject(dc, brush);
    PatBlt(dc, x, y, width, height, PATINVERT);
    SelectObject(dc, saved);
    DeleteObject(brush);
    DeleteObject(bitmap);
}

LRESULT CALLBACK SplitterWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        return OnNcCreate(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    SplitterData* data = GetSplitterData(hwnd);
    if (msg == WM_SIZE) {
        if (data)
            Layout(data, LOWORD(lParam), HIWORD(lParam));
        return 0;
    }
    if (!data)
        return DefWindowProcA(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, 0, 0);
            delete data;
            break;
        case SPM_SETPANE:
            (wParam ? data->secondPane : data->firstPane) = reinterpret_cast<HWND>(lParam);
            return 0;
        case SPM_SETSPLIT:
            data->stacked = wParam ? 1 : 0;
            data->position = static_cast<int>(lParam);
            LayoutToClient(data);
            return 0;
        case SPM_LAYOUT:
            LayoutToClient(data);
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(data, lParam);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(data, wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(data, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd)
                OnCaptureLost(data);
            return 0;
        case WM_NOTIFY:
            // The panes' notifications are the owner's business; the answer stays the default one.
            SendMessageA(GetParent(hwnd), WM_NOTIFY, wParam, lParam);
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace Windows
}  // namespace Dorn32

// What the screen shows of a window, pixel by pixel, for tests of what a control draws.
#pragma once

#include <windows.h>

#include <vector>

namespace screen {

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // top-down rows

    COLORREF At(int x, int y) const { return pixels[y * width + x]; }
    bool operator==(const Image& other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
};

// The client area of `hwnd`; with `wholeWindow` the whole window, borders included.
inline Image Capture(HWND hwnd, bool wholeWindow = false)
{
    RECT rect;
    if (wholeWindow) {
        GetWindowRect(hwnd, &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
    } else {
        GetClientRect(hwnd, &rect);
    }
    Image image;
    image.width = rect.right;
    image.height = rect.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ saved = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    for (int i = 0; i < image.width * image.height; ++i)
        image.pixels.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
    SelectObject(memory, saved);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    return image;
}

}  // namespace screen

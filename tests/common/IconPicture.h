// An icon's pixels, read the same way in the test process and the stand-in tray, so that two
// pictures compare equal only when every pixel and the mask do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pictures {

// An icon as 32-bit pixels, independent of the device it was made on.
struct IconPicture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // colour bitmap, top-down rows, 0xAARRGGBB
    std::vector<uint8_t> mask;     // AND mask, one byte per pixel: 1 = transparent

    bool Empty() const { return pixels.empty(); }
    uint64_t Hash() const
    {
        uint64_t h = 1469598103934665603ull;  // FNV-1a
        auto mix = [&h](const void* data, size_t size) {
            for (size_t i = 0; i < size; ++i)
                h = (h ^ static_cast<const uint8_t*>(data)[i]) * 1099511628211ull;
        };
        mix(&width, sizeof width);
        mix(&height, sizeof height);
        mix(pixels.data(), pixels.size() * sizeof(uint32_t));
        mix(mask.data(), mask.size());
        return h;
    }
    bool operator==(const IconPicture& o) const
    {
        return width == o.width && height == o.height && pixels == o.pixels && mask == o.mask;
    }
    bool operator!=(const IconPicture& o) const { return !(*this == o); }
};

// Rows [first, first + height) of `bitmap` as top-down 32-bit pixels.
inline bool
ReadRows(HDC dc, HBITMAP bitmap, int width, int height, int totalHeight, int first, std::vector<uint32_t>& out)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -totalHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> all(static_cast<size_t>(width) * totalHeight);
    if (GetDIBits(dc, bitmap, 0, totalHeight, all.data(), &bi, DIB_RGB_COLORS) != totalHeight)
        return false;
    out.assign(all.begin() + static_cast<size_t>(first) * width,
               all.begin() + static_cast<size_t>(first + height) * width);
    return true;
}

// The picture of `icon`; empty if it cannot be read.
inline IconPicture PictureOf(HICON icon)
{
    IconPicture picture;
    ICONINFO ii = {};
    if (!icon || !GetIconInfo(icon, &ii))
        return picture;
    BITMAP bm = {};
    GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    int width = bm.bmWidth;
    int height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;  // monochrome: AND rows, then XOR rows
    HDC dc = CreateCompatibleDC(nullptr);
    std::vector<uint32_t> colour, mask;
    bool ok = width > 0 && height > 0 &&
              (ii.hbmColor ? ReadRows(dc, ii.hbmColor, width, height, height, 0, colour)
                           : ReadRows(dc, ii.hbmMask, width, height, 2 * height, height, colour)) &&
              ReadRows(dc, ii.hbmMask, width, height, ii.hbmColor ? height : 2 * height, 0, mask);
    DeleteDC(dc);
    if (ii.hbmColor)
        DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    if (!ok)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels = std::move(colour);
    for (uint32_t m : mask)
        picture.mask.push_back((m & 0xFFFFFF) != 0);
    return picture;
}

// The frame of `size` pixels that icon group `id` of `module` holds, as stored; empty when the
// group has no frame of exactly that size (loading it at that size would stretch another).
inline IconPicture StoredFrame(HMODULE module, int id, int size)
{
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    auto* directory = group ? static_cast<PBYTE>(LockResource(LoadResource(module, group))) : nullptr;
    int frameId = directory ? LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR) : 0;
    HRSRC frame = frameId ? FindResourceA(module, MAKEINTRESOURCEA(frameId), RT_ICON) : nullptr;
    if (!frame)
        return {};
    auto* bits = static_cast<PBYTE>(LockResource(LoadResource(module, frame)));
    // Width and height 0 without LR_DEFAULTSIZE: the frame at its own size, not stretched.
    HICON icon = CreateIconFromResourceEx(bits, SizeofResource(module, frame), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
    IconPicture picture = PictureOf(icon);
    if (icon)
        DestroyIcon(icon);
    return picture.width == size && picture.height == size ? picture : IconPicture{};
}

}  // namespace pictures

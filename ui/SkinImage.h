#pragma once
// Decoded skin images and image descriptors.
#include <windows.h>

#include <memory>
#include <string>

namespace SkinUI {

// A 32-bit top-down BGRA bitmap with premultiplied alpha.
struct TImageInfo {
    HBITMAP hBitmap = nullptr;
    void* bits = nullptr;  // the DIB section's pixels, width * height * 4 bytes
    int nX = 0;
    int nY = 0;
    bool alphaChannel = false;  // some pixel is not fully opaque
    DWORD mask = 0;
    ~TImageInfo();
};
using ImagePtr = std::shared_ptr<TImageInfo>;

// Decodes PNG (or another format stb_image reads) bytes; none when unreadable.
// Pixels whose premultiplied 0xAARRGGBB value equals `mask` (when not 0)
// become fully transparent.
ImagePtr DecodeImage(const unsigned char* bytes, size_t size, DWORD mask);
// A one-pixel image of an AARRGGBB colour.
ImagePtr MakeColorImage(DWORD argb);

// The parsed form of an image attribute value.
struct TImageDescriptor {
    std::wstring file;
    std::wstring res;
    std::wstring resType;
    bool hasColor = false;
    DWORD color = 0;
    RECT dest{};
    RECT source{};
    RECT corner{};
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
    bool hsl = false;
};

// A plain path, or key='value' pairs separated by exactly one space.
TImageDescriptor ParseImageDescriptor(const std::wstring& text);

} // namespace SkinUI

#include "ui/SkinImage.h"

#include <cstring>
#include <vector>

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "ui/AttributeValues.h"

namespace SkinUI {

TImageInfo::~TImageInfo() {
    if (hBitmap) ::DeleteObject(hBitmap);
}

namespace {

ImagePtr MakeDib(int width, int height) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) return nullptr;
    auto image = std::make_shared<TImageInfo>();
    image->hBitmap = bitmap;
    image->bits = bits;
    image->nX = width;
    image->nY = height;
    return image;
}

} // namespace

ImagePtr DecodeImage(const unsigned char* bytes, size_t size, DWORD mask) {
    if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) return nullptr;
    int width = 0, height = 0, channels = 0;
    unsigned char* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (rgba == nullptr) return nullptr;
    ImagePtr image;
    if (width > 0 && height > 0 && width <= 16384 && height <= 16384) image = MakeDib(width, height);
    if (image) {
        image->mask = mask;
        auto* out = static_cast<unsigned char*>(image->bits);
        const size_t count = static_cast<size_t>(width) * height;
        bool alpha = false;
        for (size_t i = 0; i < count; ++i) {
            const unsigned char* s = rgba + 4 * i;
            unsigned char* d = out + 4 * i;
            unsigned a = s[3];
            if (a == 255) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            } else {
                d[0] = static_cast<unsigned char>(s[2] * a / 255);
                d[1] = static_cast<unsigned char>(s[1] * a / 255);
                d[2] = static_cast<unsigned char>(s[0] * a / 255);
                alpha = true;
            }
            d[3] = static_cast<unsigned char>(a);
            if (mask != 0) {
                DWORD value = (DWORD(d[3]) << 24) | (DWORD(d[2]) << 16) | (DWORD(d[1]) << 8) | d[0];
                if (value == mask) {
                    std::memset(d, 0, 4);
                    alpha = true;
                }
            }
        }
        image->alphaChannel = alpha;
    }
    stbi_image_free(rgba);
    return image;
}

ImagePtr MakeColorImage(DWORD argb) {
    ImagePtr image = MakeDib(1, 1);
    if (!image) return nullptr;
    unsigned a = argb >> 24;
    auto* d = static_cast<unsigned char*>(image->bits);
    d[0] = static_cast<unsigned char>((argb & 0xFF) * a / 255);
    d[1] = static_cast<unsigned char>(((argb >> 8) & 0xFF) * a / 255);
    d[2] = static_cast<unsigned char>(((argb >> 16) & 0xFF) * a / 255);
    d[3] = static_cast<unsigned char>(a);
    image->alphaChannel = a != 255;
    return image;
}

TImageDescriptor ParseImageDescriptor(const std::wstring& text) {
    TImageDescriptor d;
    bool anyPair = false;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t eq = text.find(L'=', i);
        if (eq == std::wstring::npos || eq + 1 >= n || text[eq + 1] != L'\'') break;
        size_t close = text.find(L'\'', eq + 2);
        if (close == std::wstring::npos) break;
        std::wstring key = text.substr(i, eq - i);
        std::wstring value = text.substr(eq + 2, close - eq - 2);
        anyPair = true;
        if (key == L"file") d.file = value;
        else if (key == L"res") d.res = value;
        else if (key == L"restype") d.resType = value;
        else if (key == L"color") { d.hasColor = true; d.color = ParseColor(value); }
        else if (key == L"dest") d.dest = ParseRect(value);
        else if (key == L"source") d.source = ParseRect(value);
        else if (key == L"corner" || key == L"scale9") d.corner = ParseRect(value);
        else if (key == L"mask") d.mask = ParseColor(value);
        else if (key == L"fade") {
            long f = ParseLong(value.c_str());
            d.fade = static_cast<BYTE>(f < 0 ? 0 : (f > 255 ? 255 : f));
        }
        else if (key == L"hole") d.hole = ParseControlBool(value);
        else if (key == L"xtiled") d.xTiled = ParseControlBool(value);
        else if (key == L"ytiled") d.yTiled = ParseControlBool(value);
        else if (key == L"hsl") d.hsl = ParseControlBool(value);
        i = close + 1;
        // Another pair follows only after exactly one space.
        if (i >= n || text[i] != L' ') break;
        ++i;
    }
    if (!anyPair) d.file = text;
    return d;
}

} // namespace SkinUI

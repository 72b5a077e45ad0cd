#pragma once
// GDI drawing of skin pieces: colours, images (nine-patch, tiling, fade),
// text and borders.
#include <windows.h>

#include <string>

#include "ui/SkinImage.h"

namespace SkinUI {

class CSkinManagerUI;

// Clips painting to a rectangle (and optionally a rounded one) for its lifetime.
class CRenderClip {
public:
    CRenderClip(HDC hDC, const RECT& rc);
    CRenderClip(HDC hDC, const RECT& rc, int roundWidth, int roundHeight);
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

private:
    HDC hDC_;
    int saved_;
};

class CRenderEngine {
public:
    static COLORREF ToColorRef(DWORD argb) {
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    }

    // Fills with an AARRGGBB colour, blended by its alpha.
    static void DrawColor(HDC hDC, const RECT& rc, DWORD argb);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical);

    static void DrawImage(HDC hDC, const TImageInfo& image, const RECT& dest, const RECT& paint,
                          const RECT& source, const RECT& corners, BYTE fade, bool hole, bool xTiled,
                          bool yTiled);

    // Draws an image descriptor inside a control's rectangle. `destOverride`
    // replaces the descriptor's "dest" (relative to the control). False when
    // nothing could be drawn (for example a missing image).
    static bool DrawImageString(HDC hDC, CSkinManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                const std::wstring& descriptor, const RECT* destOverride = nullptr);

    static void DrawText(HDC hDC, CSkinManagerUI* manager, RECT rc, const std::wstring& text, DWORD argb,
                         int fontId, UINT style);
    // Measures like DrawText with DT_CALCRECT; `rc` gets the text's extent.
    static void MeasureText(HDC hDC, CSkinManagerUI* manager, RECT& rc, const std::wstring& text, int fontId,
                            UINT style);

    static void DrawLine(HDC hDC, const RECT& rc, int size, DWORD argb, int style = PS_SOLID);
    static void DrawRect(HDC hDC, const RECT& rc, int size, DWORD argb, int style = PS_SOLID);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int size, int width, int height, DWORD argb,
                              int style = PS_SOLID);
};

} // namespace SkinUI

#include "ui/RenderEngine.h"

#include <algorithm>

#include "ui/SkinManager.h"

namespace SkinUI {

// ---- CRenderClip ----

CRenderClip::CRenderClip(HDC hDC, const RECT& rc) : hDC_(hDC), saved_(::SaveDC(hDC)) {
    ::IntersectClipRect(hDC, rc.left, rc.top, rc.right, rc.bottom);
}

CRenderClip::CRenderClip(HDC hDC, const RECT& rc, int roundWidth, int roundHeight)
    : hDC_(hDC), saved_(::SaveDC(hDC)) {
    ::IntersectClipRect(hDC, rc.left, rc.top, rc.right, rc.bottom);
    POINT corners[2] = {{rc.left, rc.top}, {rc.right + 1, rc.bottom + 1}};
    ::LPtoDP(hDC, corners, 2);
    HRGN round = ::CreateRoundRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y, roundWidth,
                                      roundHeight);
    if (round) {
        ::ExtSelectClipRgn(hDC, round, RGN_AND);
        ::DeleteObject(round);
    }
}

CRenderClip::~CRenderClip() { ::RestoreDC(hDC_, saved_); }

// ---- colours ----

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD argb) {
    BYTE alpha = static_cast<BYTE>(argb >> 24);
    if (alpha == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    if (alpha == 255) {
        ::SetBkColor(hDC, ToColorRef(argb));
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        return;
    }
    ImagePtr pixel = MakeColorImage(argb);
    if (!pixel) return;
    HDC memDC = ::CreateCompatibleDC(hDC);
    HGDIOBJ old = ::SelectObject(memDC, pixel->hBitmap);
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memDC, 0, 0, 1, 1, bf);
    ::SelectObject(memDC, old);
    ::DeleteDC(memDC);
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical) {
    TRIVERTEX v[2] = {};
    v[0].x = rc.left;
    v[0].y = rc.top;
    v[0].Red = static_cast<COLOR16>(((first >> 16) & 0xFF) << 8);
    v[0].Green = static_cast<COLOR16>(((first >> 8) & 0xFF) << 8);
    v[0].Blue = static_cast<COLOR16>((first & 0xFF) << 8);
    v[1].x = rc.right;
    v[1].y = rc.bottom;
    v[1].Red = static_cast<COLOR16>(((second >> 16) & 0xFF) << 8);
    v[1].Green = static_cast<COLOR16>(((second >> 8) & 0xFF) << 8);
    v[1].Blue = static_cast<COLOR16>((second & 0xFF) << 8);
    GRADIENT_RECT g = {0, 1};
    ::GradientFill(hDC, v, 2, &g, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// ---- images ----

namespace {

bool Intersects(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

void Blit(HDC hDC, HDC memDC, const RECT& d, const RECT& s, bool alpha, BYTE fade) {
    int dw = d.right - d.left, dh = d.bottom - d.top;
    int sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (alpha || fade < 255) {
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, static_cast<BYTE>(alpha ? AC_SRC_ALPHA : 0)};
        ::AlphaBlend(hDC, d.left, d.top, dw, dh, memDC, s.left, s.top, sw, sh, bf);
    } else if (dw == sw && dh == sh) {
        ::BitBlt(hDC, d.left, d.top, dw, dh, memDC, s.left, s.top, SRCCOPY);
    } else {
        ::StretchBlt(hDC, d.left, d.top, dw, dh, memDC, s.left, s.top, sw, sh, SRCCOPY);
    }
}

// One patch: stretched, or tiled along the axes asked for.
void Patch(HDC hDC, HDC memDC, const RECT& d, const RECT& s, const RECT& paint, bool alpha, BYTE fade,
           bool xTiled, bool yTiled) {
    if (d.right <= d.left || d.bottom <= d.top || s.right <= s.left || s.bottom <= s.top) return;
    if (!Intersects(d, paint)) return;
    if (!xTiled && !yTiled) {
        Blit(hDC, memDC, d, s, alpha, fade);
        return;
    }
    const int sw = s.right - s.left, sh = s.bottom - s.top;
    const int stepX = xTiled ? sw : d.right - d.left;
    const int stepY = yTiled ? sh : d.bottom - d.top;
    for (int y = d.top; y < d.bottom; y += stepY) {
        int h = std::min(stepY, static_cast<int>(d.bottom - y));
        for (int x = d.left; x < d.right; x += stepX) {
            int w = std::min(stepX, static_cast<int>(d.right - x));
            RECT dt = {x, y, x + w, y + h};
            RECT st = s;
            if (xTiled) st.right = s.left + w;
            if (yTiled) st.bottom = s.top + h;
            Blit(hDC, memDC, dt, st, alpha, fade);
        }
    }
}

} // namespace

void CRenderEngine::DrawImage(HDC hDC, const TImageInfo& image, const RECT& d, const RECT& paint,
                              const RECT& s, const RECT& c, BYTE fade, bool hole, bool xTiled, bool yTiled) {
    if (image.hBitmap == nullptr || fade == 0) return;
    if (!Intersects(d, paint)) return;
    HDC memDC = ::CreateCompatibleDC(hDC);
    HGDIOBJ old = ::SelectObject(memDC, image.hBitmap);
    ::SetStretchBltMode(hDC, COLORONCOLOR);
    const bool alpha = image.alphaChannel;

    if (!hole) {
        RECT dc = {d.left + c.left, d.top + c.top, d.right - c.right, d.bottom - c.bottom};
        RECT sc = {s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom};
        Patch(hDC, memDC, dc, sc, paint, alpha, fade, xTiled, yTiled);
    }
    if (c.left > 0 && c.top > 0)
        Patch(hDC, memDC, {d.left, d.top, d.left + c.left, d.top + c.top},
              {s.left, s.top, s.left + c.left, s.top + c.top}, paint, alpha, fade, false, false);
    if (c.top > 0)
        Patch(hDC, memDC, {d.left + c.left, d.top, d.right - c.right, d.top + c.top},
              {s.left + c.left, s.top, s.right - c.right, s.top + c.top}, paint, alpha, fade, xTiled, false);
    if (c.right > 0 && c.top > 0)
        Patch(hDC, memDC, {d.right - c.right, d.top, d.right, d.top + c.top},
              {s.right - c.right, s.top, s.right, s.top + c.top}, paint, alpha, fade, false, false);
    if (c.left > 0)
        Patch(hDC, memDC, {d.left, d.top + c.top, d.left + c.left, d.bottom - c.bottom},
              {s.left, s.top + c.top, s.left + c.left, s.bottom - c.bottom}, paint, alpha, fade, false, yTiled);
    if (c.right > 0)
        Patch(hDC, memDC, {d.right - c.right, d.top + c.top, d.right, d.bottom - c.bottom},
              {s.right - c.right, s.top + c.top, s.right, s.bottom - c.bottom}, paint, alpha, fade, false,
              yTiled);
    if (c.left > 0 && c.bottom > 0)
        Patch(hDC, memDC, {d.left, d.bottom - c.bottom, d.left + c.left, d.bottom},
              {s.left, s.bottom - c.bottom, s.left + c.left, s.bottom}, paint, alpha, fade, false, false);
    if (c.bottom > 0)
        Patch(hDC, memDC, {d.left + c.left, d.bottom - c.bottom, d.right - c.right, d.bottom},
              {s.left + c.left, s.bottom - c.bottom, s.right - c.right, s.bottom}, paint, alpha, fade, xTiled,
              false);
    if (c.right > 0 && c.bottom > 0)
        Patch(hDC, memDC, {d.right - c.right, d.bottom - c.bottom, d.right, d.bottom},
              {s.right - c.right, s.bottom - c.bottom, s.right, s.bottom}, paint, alpha, fade, false, false);

    ::SelectObject(memDC, old);
    ::DeleteDC(memDC);
}

bool CRenderEngine::DrawImageString(HDC hDC, CSkinManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                    const std::wstring& descriptor, const RECT* destOverride) {
    if (descriptor.empty() || manager == nullptr) return false;
    const TImageDescriptor d = ParseImageDescriptor(descriptor);
    ImagePtr image = manager->GetImageFor(d);
    if (!image) return false;

    RECT dest = rcItem;
    const RECT& rel = destOverride ? *destOverride : d.dest;
    if (rel.left != 0 || rel.top != 0 || rel.right != 0 || rel.bottom != 0) {
        dest.left = rcItem.left + rel.left;
        dest.top = rcItem.top + rel.top;
        dest.right = std::min(rcItem.left + rel.right, rcItem.right);
        dest.bottom = std::min(rcItem.top + rel.bottom, rcItem.bottom);
    }
    if (dest.right <= dest.left || dest.bottom <= dest.top) return true;

    RECT source = d.source;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = {0, 0, image->nX, image->nY};
    source.right = std::min(static_cast<int>(source.right), image->nX);
    source.bottom = std::min(static_cast<int>(source.bottom), image->nY);
    if (source.right <= source.left || source.bottom <= source.top) return true;

    RECT paint;
    if (!::IntersectRect(&paint, &dest, &rcPaint)) return true;
    DrawImage(hDC, *image, dest, rcPaint, source, d.corner, d.fade, d.hole, d.xTiled, d.yTiled);
    return true;
}

// ---- text ----

void CRenderEngine::DrawText(HDC hDC, CSkinManagerUI* manager, RECT rc, const std::wstring& text, DWORD argb,
                             int fontId, UINT style) {
    if (text.empty() || manager == nullptr) return;
    HGDIOBJ oldFont = ::SelectObject(hDC, manager->GetFont(fontId));
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(argb));
    if ((style & DT_SINGLELINE) == 0 && (style & (DT_VCENTER | DT_BOTTOM)) != 0) {
        // DrawText centres vertically only single lines; place wrapped text here.
        RECT measure = rc;
        ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &measure,
                    (style & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
        int h = measure.bottom - measure.top;
        int free = (rc.bottom - rc.top) - h;
        if (free > 0) rc.top += (style & DT_BOTTOM) ? free : free / 2;
        style &= ~(DT_VCENTER | DT_BOTTOM);
    }
    ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rc, style | DT_NOPREFIX);
    ::SelectObject(hDC, oldFont);
}

void CRenderEngine::MeasureText(HDC hDC, CSkinManagerUI* manager, RECT& rc, const std::wstring& text,
                                int fontId, UINT style) {
    if (manager == nullptr) return;
    HGDIOBJ oldFont = ::SelectObject(hDC, manager->GetFont(fontId));
    if (text.empty()) {
        rc.right = rc.left;
        rc.bottom = rc.top;
    } else {
        ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rc,
                    (style & ~(DT_VCENTER | DT_BOTTOM | DT_CENTER | DT_RIGHT | DT_END_ELLIPSIS)) | DT_CALCRECT |
                        DT_NOPREFIX);
    }
    ::SelectObject(hDC, oldFont);
}

// ---- borders ----

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int size, DWORD argb, int style) {
    LOGBRUSH lb = {BS_SOLID, ToColorRef(argb), 0};
    HPEN pen = ::ExtCreatePen(PS_GEOMETRIC | style, size, &lb, 0, nullptr);
    HGDIOBJ old = ::SelectObject(hDC, pen);
    POINT pt;
    ::MoveToEx(hDC, rc.left, rc.top, &pt);
    ::LineTo(hDC, rc.right, rc.bottom);
    ::SelectObject(hDC, old);
    ::DeleteObject(pen);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int size, DWORD argb, int style) {
    if (size <= 0) return;
    HPEN pen = ::CreatePen(style | PS_INSIDEFRAME, size, ToColorRef(argb));
    HGDIOBJ oldPen = ::SelectObject(hDC, pen);
    HGDIOBJ oldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    ::SelectObject(hDC, oldBrush);
    ::SelectObject(hDC, oldPen);
    ::DeleteObject(pen);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int size, int width, int height, DWORD argb,
                                  int style) {
    if (size <= 0) return;
    HPEN pen = ::CreatePen(style | PS_INSIDEFRAME, size, ToColorRef(argb));
    HGDIOBJ oldPen = ::SelectObject(hDC, pen);
    HGDIOBJ oldBrush = ::SelectObject(hDC, ::GetStockObject(HOLLOW_BRUSH));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    ::SelectObject(hDC, oldBrush);
    ::SelectObject(hDC, oldPen);
    ::DeleteObject(pen);
}

} // namespace SkinUI

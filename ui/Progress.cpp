#include "ui/Progress.h"

#include <algorithm>

#include "ui/AttributeValues.h"

namespace SkinUI {

CProgressUI::CProgressUI() {
    textStyle_ = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    fixedHeight_ = 12;
}

void* CProgressUI::GetInterface(const std::wstring& name) {
    if (name == L"Progress") return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value > max_) value = max_;
    if (value < min_) value = min_;
    value_ = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const std::wstring& image) {
    foreImage_ = image;
    Invalidate();
}

RECT CProgressUI::FilledRect() const {
    const int lo = min_;
    const int hi = min_ < max_ ? max_ : min_ + 1;
    const int v = std::max(lo, std::min(value_, hi));
    const long long span = static_cast<long long>(hi) - lo;
    const int w = GetWidth(), h = GetHeight();
    RECT rc = {0, 0, w, h};
    if (horizontal_)
        rc.right = static_cast<LONG>(static_cast<long long>(w) * (v - lo) / span);
    else
        rc.top = static_cast<LONG>(static_cast<long long>(hi - v) * h / span);
    return rc;
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"foreimage") SetForeImage(value);
    else if (name == L"hor") SetHorizontal(ParseControlBool(value));
    else if (name == L"min") SetMinValue(static_cast<int>(ParseLong(value.c_str())));
    else if (name == L"max") SetMaxValue(static_cast<int>(ParseLong(value.c_str())));
    else if (name == L"value") SetValue(static_cast<int>(ParseLong(value.c_str())));
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::PaintStatusImage(HDC hDC) {
    if (foreImage_.empty()) return;
    RECT filled = FilledRect();
    if (filled.right <= filled.left || filled.bottom <= filled.top) return;
    // An all-zero rectangle would mean the whole control: nothing filled is
    // already handled above, so the rectangle is never all zero here.
    DrawImage(hDC, foreImage_, &filled);
}

} // namespace SkinUI

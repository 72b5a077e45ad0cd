#pragma once
#include "ui/Label.h"

namespace SkinUI {

// A bar filled in proportion to its value.
class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::wstring GetClass() const override { return L"Progress"; }
    void* GetInterface(const std::wstring& name) override;

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return min_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int value);
    int GetValue() const { return value_; }
    // Clamped to the range; the minimum wins when the bounds cross.
    void SetValue(int value);
    const std::wstring& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::wstring& image);

    // The filled part, relative to the control's top-left corner.
    RECT FilledRect() const;

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC hDC) override;

private:
    bool horizontal_ = true;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    std::wstring foreImage_;
};

} // namespace SkinUI

#include "ui/TextFit.h"

namespace {

const wchar_t kEllipsis[] = L"...";
constexpr int kMargin = 16;

// Tries "..." + tail, then one more leading character each time, while the
// candidate is shorter than the text; stops at the first one that comes within the
// margin of `right` or passes it.
std::wstring Shorten(const std::wstring& text, const std::wstring& tail, int right,
                     const MeasureRight& measure) {
    std::wstring candidate;
    for (size_t n = 0; n + tail.size() < text.size(); ++n) {
        candidate = text.substr(0, n) + kEllipsis + tail;
        if (measure(candidate) + kMargin > right)
            break;
    }
    return candidate;
}

} // namespace

std::wstring ShortenLabelText(const std::wstring& text, int right, const MeasureRight& measure) {
    if (text.empty())
        return text;
    return Shorten(text, std::wstring(), right, measure);
}

std::wstring ShortenCaption(const std::wstring& caption, int tail, int right, const MeasureRight& measure) {
    if (tail < 0)
        tail = 0;
    if (static_cast<size_t>(tail) >= caption.size())
        return caption;
    return Shorten(caption, caption.substr(caption.size() - tail), right, measure);
}

int LabelFontHeight(int size, int exactSize, const std::wstring& face) {
    if (exactSize > 0)
        return exactSize;
    return face == L"微软雅黑" ? size - 5 : size;
}

int AutoWidthRight(int left, int measuredWidth, int maxWidth) {
    if (maxWidth > 0 && maxWidth < measuredWidth)
        return left + maxWidth;
    return left + measuredWidth;
}

int CachedTextWidth(int measuredWidth, int maxWidth) {
    return (maxWidth != 0 && maxWidth < measuredWidth) ? maxWidth : measuredWidth;
}

int VerticalCentringInset(int rectHeight, int lineHeight) {
    int inset = (rectHeight - lineHeight) / 2;
    return inset > 0 ? inset : 0;
}

#include "ui/TextFit.h"

#include <algorithm>

namespace {

const wchar_t kEllipsis[] = L"...";
constexpr int kMargin = 16;

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
// True when a cut before position n would part the two halves of a surrogate pair.
bool SplitsPair(const std::wstring& text, size_t n) {
    return n > 0 && n < text.size() && IsHighSurrogate(text[n - 1]) && IsLowSurrogate(text[n]);
}

// Tries "..." + tail, then one more leading character each time, while the
// candidate is shorter than the text; stops at the first one that comes within the
// margin of `right` or passes it. A glyph wider than the margin can carry that
// candidate past `right` itself: then the one before it is drawn, and "..." + tail
// alone only when there is nothing shorter.
std::wstring Shorten(const std::wstring& text, const std::wstring& tail, int right,
                     const MeasureRight& measure) {
    std::wstring candidate, fitting;
    for (size_t n = 0; n + tail.size() < text.size(); ++n) {
        if (SplitsPair(text, n))
            continue;
        candidate = text.substr(0, n) + kEllipsis + tail;
        const int end = measure(candidate);
        if (end + kMargin > right)
            return end > right && !fitting.empty() ? fitting : candidate;
        fitting = candidate;
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
    size_t start = caption.size() - std::min(static_cast<size_t>(tail), caption.size());
    if (SplitsPair(caption, start))
        --start; // the tail keeps the whole character
    if (start == 0)
        return caption;
    return Shorten(caption, caption.substr(start), right, measure);
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

// Shortening of a one-line text with "..." when it does not fit, and the label's
// size rules. The measuring is passed in, so the choice is testable without GDI.
#pragma once

#include <functional>
#include <string>

// Returns the right edge that the given text measures to when laid out from the
// control's left edge.
using MeasureRight = std::function<int(const std::wstring&)>;

// The candidate a label draws when its text does not fit before `right`: "...",
// then one more leading character each time, until the first candidate whose right
// edge plus 16 passes `right` (or the last one tried). When that candidate's own
// right edge passes `right` (a glyph wider than 16 pixels, as CJK glyphs are), the
// candidate before it is drawn instead; "..." alone stays even when it passes.
// A cut never parts the two halves of a surrogate pair. Call it only when the
// whole text does not fit.
std::wstring ShortenLabelText(const std::wstring& text, int right, const MeasureRight& measure);

// The same for a button caption, keeping the last `tail` characters after the
// "..." (one more when the tail would begin inside a surrogate pair). With a tail
// not shorter than the caption the caption is returned whole.
std::wstring ShortenCaption(const std::wstring& caption, int tail, int right, const MeasureRight& measure);

// Font height for a label: an exact size above 0 wins; otherwise the face
// "微软雅黑" gets size - 5 and every other face the size itself.
int LabelFontHeight(int size, int exactSize, const std::wstring& face);

// Right edge of an auto-width label after measuring: left + measured width, or
// left + maxWidth when a positive maxWidth is narrower than the text.
int AutoWidthRight(int left, int measuredWidth, int maxWidth);

// The value GetTextWidth caches: the measured width, or maxWidth when it is not 0
// and less than the measured width.
int CachedTextWidth(int measuredWidth, int maxWidth);

// How much to shrink a rectangle at top and at bottom to centre a line of the
// given height; 0 when the line is taller than the rectangle, so that the text
// is never drawn outside it.
int VerticalCentringInset(int rectHeight, int lineHeight);

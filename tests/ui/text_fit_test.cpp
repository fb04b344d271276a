// Shortening with "...", the font-size rule and the width rules of labels.
#include "ui/TextFit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A fake measurer: every character is `width` pixels, laid out from `left`.
struct FixedWidth {
    int left;
    int width;
    std::vector<std::wstring>* seen;
    int operator()(const std::wstring& s) const {
        if (seen)
            seen->push_back(s);
        return left + int(s.size()) * width;
    }
};

TEST(TextFit, LabelTriesEllipsisThenOneMoreCharacterEachTime) {
    std::vector<std::wstring> seen;
    // Left 0, 10 px per character, right edge 100: candidates measure 30, 40, 50,
    // ...; the first whose right + 16 passes 100 is "abcdef..." (90 + 16).
    const std::wstring shown = ShortenLabelText(L"abcdefghijklmnop", 100, FixedWidth{0, 10, &seen});
    EXPECT_EQ(shown, L"abcdef...");
    const std::vector<std::wstring> expected = {L"...",     L"a...",     L"ab...",    L"abc...",
                                                L"abcd...", L"abcde...", L"abcdef..."};
    EXPECT_EQ(seen, expected);
}

TEST(TextFit, LabelStopsAtEllipsisWhenEvenThatDoesNotFit) {
    EXPECT_EQ(ShortenLabelText(L"long text", 20, FixedWidth{0, 10, nullptr}), L"...");
}

TEST(TextFit, LabelDrawsTheLastCandidateWhenAllFit) {
    // Measuring says everything fits (a lying measurer): the loop ends on n = len - 1.
    EXPECT_EQ(ShortenLabelText(L"abcd", 1000, FixedWidth{0, 1, nullptr}), L"abc...");
    EXPECT_EQ(ShortenLabelText(L"", 0, FixedWidth{0, 10, nullptr}), L"");
}

TEST(TextFit, LabelHonoursTheLeftEdge) {
    // Same text and widths, but laid out from 50 with the right edge at 150.
    EXPECT_EQ(ShortenLabelText(L"abcdefghijklmnop", 150, FixedWidth{50, 10, nullptr}), L"abcdef...");
}

TEST(TextFit, CaptionKeepsItsTail) {
    std::vector<std::wstring> seen;
    const std::wstring shown = ShortenCaption(L"abcdefghij.txt", 4, 100, FixedWidth{0, 10, &seen});
    EXPECT_EQ(seen.front(), L"....txt");
    EXPECT_EQ(shown, L"ab....txt"); // 90 + 16 > 100
}

TEST(TextFit, CaptionWithTailNotShorterThanTextIsWhole) {
    EXPECT_EQ(ShortenCaption(L"abc", 3, 10, FixedWidth{0, 10, nullptr}), L"abc");
    EXPECT_EQ(ShortenCaption(L"abc", 9, 10, FixedWidth{0, 10, nullptr}), L"abc");
    // Tail 0 behaves like the label; a negative tail counts as 0.
    EXPECT_EQ(ShortenCaption(L"abcdefghijklmnop", 0, 100, FixedWidth{0, 10, nullptr}), L"abcdef...");
    EXPECT_EQ(ShortenCaption(L"abcdefghijklmnop", -3, 100, FixedWidth{0, 10, nullptr}), L"abcdef...");
}

TEST(TextFit, CaptionLoopStopsBeforeTheTailMeetsTheHead) {
    // Tail 2 of a 4-character caption: only n = 0 and 1 are tried.
    std::vector<std::wstring> seen;
    EXPECT_EQ(ShortenCaption(L"abcd", 2, 1000, FixedWidth{0, 1, &seen}), L"a...cd");
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"...cd", L"a...cd"}));
}

// A measurer with glyphs of their real kinds: CJK ideographs 20 pixels, a
// surrogate pair one 20-pixel glyph (its high half carries the width), others 10.
int MixedRight(const std::wstring& s) {
    int right = 0;
    for (wchar_t c : s)
        right += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : (c >= 0x2E80 ? 20 : 10);
    return right;
}

TEST(TextFit, WideGlyphsNeverOverflowAndPairsStayWhole) {
    const std::wstring smiles = L"\xD83D\xDE00\xD83D\xDE00\xD83D\xDE00\xD83D\xDE00"; // four U+1F600
    const std::wstring smile = smiles.substr(0, 2);
    struct Row {
        const char* name;
        std::wstring text;
        int tail; // -1: a label
        int right;
        std::wstring shown;
    } rows[] = {
        // 70 + 16 <= 88 goes on; 90 + 16 passes, and 90 itself passes 88: step back.
        {"CJK glyph would pass the edge", L"中文测试文本", -1, 88, L"中文..."},
        {"CJK candidate ends on the edge", L"中文测试文本", -1, 90, L"中文测..."},
        // 90 + 16 == 106 does not pass; 100 + 16 does, and 100 fits.
        {"measure plus margin lands on the edge", L"abcdefghijklmnop", -1, 106, L"abcdefg..."},
        // "中....txt" 90 + 16 <= 108; "中文....txt" 110 passes 108 itself.
        {"CJK caption steps back and keeps its tail", L"中文测试文本.txt", 4, 108, L"中....txt"},
        {"cut never parts a pair", smiles, -1, 1000, smile + smile + smile + L"..."},
        {"pairs of wide glyphs step back whole", smiles, -1, 88, smile + smile + L"..."},
        {"tail begins inside a pair", L"abcdef" + smile, 1, 100, L"abcd..." + smile},
        // 30 + 16 fits 60; the cut after the first half is skipped, the whole pair is 50 + 16.
        {"a pair at the start stays whole", smile + L"abc", -1, 60, smile + L"..."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring shown = row.tail < 0 ? ShortenLabelText(row.text, row.right, MixedRight)
                                                : ShortenCaption(row.text, row.tail, row.right, MixedRight);
        EXPECT_EQ(shown, row.shown);
        EXPECT_LE(MixedRight(shown), row.right);
    }
}

TEST(TextFit, PairsAtTheEdgesOfTheSurrogateRangesStayWhole) {
    // Everything fits, so the last candidate is drawn: the one before the final
    // pair, as the cut inside it is skipped. A low half after a low half is no pair.
    const struct {
        const char* name;
        std::wstring text, shown;
    } rows[] = {
        {"U+10000", L"ab\xD800\xDC00", L"ab..."},
        {"U+10FFFF", L"ab\xDBFF\xDFFF", L"ab..."},
        {"two low halves", L"ab\xDC00\xDC00", L"ab\xDC00..."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ShortenLabelText(row.text, 1000, FixedWidth{0, 1, nullptr}), row.shown) << row.name;
}

TEST(TextFit, FontHeightRule) {
    struct Case {
        int size, exact;
        const wchar_t* face;
        int expected;
    } cases[] = {
        {26, 0, L"宋体", 26},  {26, 0, L"微软雅黑", 21}, {26, 14, L"微软雅黑", 14},
        {26, 14, L"宋体", 14}, {12, -1, L"微软雅黑", 7}, {12, 0, L"Tahoma", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LabelFontHeight(c.size, c.exact, c.face), c.expected) << c.size << "/" << c.exact;
}

TEST(TextFit, WidthRules) {
    EXPECT_EQ(AutoWidthRight(10, 150, 100), 110);
    EXPECT_EQ(AutoWidthRight(10, 150, 0), 160);
    EXPECT_EQ(AutoWidthRight(10, 80, 100), 90);
    EXPECT_EQ(AutoWidthRight(10, 150, -5), 160);
    EXPECT_EQ(CachedTextWidth(150, 100), 100);
    EXPECT_EQ(CachedTextWidth(80, 100), 80);
    EXPECT_EQ(CachedTextWidth(150, 0), 150);
}

TEST(TextFit, VerticalCentringNeverGrowsTheRectangle) {
    EXPECT_EQ(VerticalCentringInset(26, 16), 5);
    EXPECT_EQ(VerticalCentringInset(27, 16), 5);
    EXPECT_EQ(VerticalCentringInset(18, 16), 1);
    EXPECT_EQ(VerticalCentringInset(16, 16), 0);
    EXPECT_EQ(VerticalCentringInset(10, 16), 0);
}

} // namespace

// The launcher's text helpers: URL encoding and decoding, query parameters,
// splitting, numbers, hex and GUID text.
#include "app/base/TextUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlEncode, KeepsOnlyLettersDigitsAndSixMarks) {
    EXPECT_EQ(UrlEncode("azAZ09~!*()'"), "azAZ09~!*()'");
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"-", "%2d"},    {"_", "%5f"},           {".", "%2e"}, {" ", "%20"},
        {"\xE4", "%e4"}, {"\x80\xFF", "%80%ff"}, {"/", "%2f"}, {"a&b=c?", "a%26b%3dc%3f"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlEncode(c.in), c.out) << c.in;
    EXPECT_EQ(UrlEncode(std::string("a\0b", 3)), "a%00b");
}

TEST(UrlDecode, PlusPercentAndMalformedEscapes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a+b", "a b"},   {"%41%4a%4A", "AJJ"}, {"%zz", "%zz"}, {"x%4", "x%4"},         {"%", "%"},
        {"%4g1", "%4g1"}, {"100%", "100%"},     {"%2B+", "+ "}, {"%e4%E4", "\xE4\xE4"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(UrlEncode, DecodeRestoresEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(UrlDecode(UrlEncode(all)), all);
}

TEST(GetUrlParam, WholeKeyUpToTheNextAmpersand) {
    EXPECT_EQ(GetUrlParam(L"wd_server", L"http://h/p?wd_server=12&y=3"), L"12");
    EXPECT_EQ(GetUrlParam(L"wd_server", L"http://h/p?y=3&wd_server=12"), L"12");
    EXPECT_EQ(GetUrlParam(L"wd_server", L"http://h/p?y=3"), L"");
    EXPECT_EQ(GetUrlParam(L"wd_server", L"http://h/p?wd_server="), L"");
    // Only a whole key: a longer one that ends with the same letters does not match.
    EXPECT_EQ(GetUrlParam(L"server", L"http://h/p?wd_server=7&server=8"), L"8");
    EXPECT_EQ(GetUrlParam(L"forward", L"http://h/p?notforward=x"), L"");
    EXPECT_EQ(GetUrlParam(L"forward", L"forward=x"), L""); // no "?" or "&" before it
    // Only the first occurrence counts.
    EXPECT_EQ(GetUrlParam(L"forward", L"?forward=a%3Db&forward=c"), L"a%3Db");
    EXPECT_EQ(GetUrlParam(nullptr, L"?a=1"), L"");
}

TEST(SplitString, EmptyPiecesAndTrailingSeparator) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitString(L",", L"3000,2000-3000"), (V{L"3000", L"2000-3000"}));
    EXPECT_EQ(SplitString(L",", L"a,b,"), (V{L"a", L"b"}));
    EXPECT_EQ(SplitString(L",", L",a"), (V{L"", L"a"}));
    EXPECT_EQ(SplitString(L",", L"a,,b"), (V{L"a", L"", L"b"}));
    EXPECT_EQ(SplitString(L",", L","), (V{L""}));
    EXPECT_EQ(SplitString(L",", L""), V{});
    EXPECT_EQ(SplitString(L"-", L"1-2-3000"), (V{L"1", L"2", L"3000"}));
    EXPECT_EQ(SplitString(L"::", L"a::b::"), (V{L"a", L"b"}));
}

TEST(StrToInt, ReadsOneLeadingNumber) {
    const struct {
        const wchar_t* in;
        int out;
    } cases[] = {
        {L"", 0},      {L"abc", 0}, {L"-", 0},       {L"2999x", 2999}, {L"  42", 42},
        {L"-17", -17}, {L"+5", 5},  {L"3010", 3010}, {L"1 2", 1},      {L"x12", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.in), c.out) << c.in;
    EXPECT_EQ(StrToInt(static_cast<const wchar_t*>(nullptr)), 0);
}

TEST(RemoveAll, RemovesEveryOccurrenceSearchingOnFromTheHit) {
    EXPECT_EQ(RemoveAll(L"3.0.1.0", L"."), L"3010");
    EXPECT_EQ(RemoveAll(L"2026-12-08", L"-"), L"20261208");
    // The search goes on from where the hit was, so a hit formed across it stays.
    EXPECT_EQ(RemoveAll(L"aabb", L"ab"), L"ab");
    EXPECT_EQ(RemoveAll(L"ababab", L"ab"), L"");
    EXPECT_EQ(RemoveAll(L"abc", L""), L"abc");
    EXPECT_EQ(RemoveAll(L"abc", nullptr), L"abc");
}

TEST(EnsureTrailingBackslash, AddsOnlyWhereMissing) {
    EXPECT_EQ(EnsureTrailingBackslash(L""), L"");
    EXPECT_EQ(EnsureTrailingBackslash(L"C:\\x"), L"C:\\x\\");
    EXPECT_EQ(EnsureTrailingBackslash(L"C:\\x\\"), L"C:\\x\\");
}

TEST(HexText, DigestAndGuidFormats) {
    const unsigned char digest[16] = {0x00, 0x01, 0x7f, 0x80, 0xab, 0xcd, 0xef, 0xff,
                                      0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x09};
    EXPECT_EQ(HexString16(digest), L"00017f80abcdefff1020304050607009");
    const unsigned char d4[8] = {0x0a, 0xb1, 0x02, 0x03, 0x04, 0x05, 0x06, 0xff};
    EXPECT_EQ(FormatGuidText(0x0000abcd, 0x00ef, 0x1234, d4), L"0000ABCD-00EF-1234-0AB1-0203040506FF");
}

} // namespace

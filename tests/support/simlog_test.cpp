// The simulator log parser and its text helpers, on hand-made log text.
#include "tests/support/SimLog.h"

#include <gtest/gtest.h>

namespace {

TEST(SimLogUnescape, DecodesPercentSequencesAndRefusesBrokenOnes) {
    struct Case {
        const char* in;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"plain", true, "plain"},
        {"a%09b", true, "a\tb"},
        {"%25%0A%0d", true, "%\n\r"},
        {"%00x", true, std::string("\0x", 2)},
        {"%E4%b8%AD", true, "\xE4\xB8\xAD"},
        {"", true, ""},
        {"%", false, ""},
        {"ab%4", false, ""},
        {"%G1", false, ""},
        {"%1G", false, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(simlog::Unescape(c.in, out), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
}

TEST(SimLogText, BytesAreUtf8WhenValidElseLatin1) {
    struct Case {
        std::string in;
        std::wstring out;
    };
    const Case cases[] = {
        {"abc", L"abc"},
        {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
        {"caf\xC3\xA9", L"caf\u00E9"},
        {"caf\xE9", L"caf\u00E9"},               // lone Latin-1 byte
        {"\xC0\xAF", L"\u00C0\u00AF"},           // overlong: not UTF-8
        {"\xED\xA0\x80", L"\u00ED\u00A0\u0080"}, // encoded surrogate: not UTF-8
        {"\xE4\xB8", L"\u00E4\u00B8"},           // cut sequence
        {"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(simlog::BytesToWide(c.in), c.out) << c.in;
}

TEST(SimLogText, Utf8RoundTripIncludingAstralCharacters) {
    const std::wstring texts[] = {L"", L"ascii", L"\u00E9\u4E2D", L"x\U0001F600y"};
    for (const std::wstring& t : texts)
        EXPECT_EQ(simlog::BytesToWide(simlog::ToUtf8(t)), t);
    EXPECT_EQ(simlog::ToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(simlog::ToUtf8(L"\u4E2D"), "\xE4\xB8\xAD");
}

TEST(SimLogText, PercentEncodeKeepsOnlyUnreservedBytes) {
    EXPECT_EQ(simlog::PercentEncode("/ps.gif?id=2&gid=1036"), "%2Fps.gif%3Fid%3D2%26gid%3D1036");
    EXPECT_EQ(simlog::PercentEncode("a b+c~_-."), "a%20b%2Bc~_-.");
    EXPECT_EQ(simlog::PercentEncode("\xE4%"), "%E4%25");
}

const char kTwoLines[] =
    "0\t1700000000.250000\tweb\t18301\tGET\t/tavro/wd/index.html?a=1%25\t0\t\t2\tHost\t127.0.0.1:18301\t"
    "Referer\thttp://x/%09y\n"
    "1\t1700000001.000000\tbeacon\t18305\tPOST\t/ps.gif?id=2\t3\t00ff0a\t1\tcookie\tmac=%E4%B8%AD\n";

TEST(SimLogParse, ReadsEveryField) {
    std::vector<SimRequest> log;
    ASSERT_TRUE(ParseSimLogTsv(kTwoLines, log));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].seq, 0);
    EXPECT_DOUBLE_EQ(log[0].time, 1700000000.25);
    EXPECT_EQ(log[0].host, L"web");
    EXPECT_EQ(log[0].port, 18301);
    EXPECT_EQ(log[0].method, L"GET");
    EXPECT_EQ(log[0].path, L"/tavro/wd/index.html?a=1%");
    EXPECT_EQ(log[0].rawPath, "/tavro/wd/index.html?a=1%");
    EXPECT_TRUE(log[0].body.empty());
    ASSERT_EQ(log[0].headers.size(), 2u);
    EXPECT_EQ(log[0].Header(L"referer"), L"http://x/\ty");
    EXPECT_EQ(log[0].Header(L"HOST"), L"127.0.0.1:18301");
    EXPECT_FALSE(log[0].HasHeader(L"Cookie"));
    EXPECT_EQ(log[0].Header(L"Cookie"), L"");

    EXPECT_EQ(log[1].host, L"beacon");
    EXPECT_EQ(log[1].method, L"POST");
    EXPECT_EQ(log[1].body, std::string("\x00\xff\n", 3));
    EXPECT_TRUE(log[1].HasHeader(L"Cookie"));
    EXPECT_EQ(log[1].Header(L"Cookie"), L"mac=\u4E2D");
}

TEST(SimLogParse, EmptyTextIsAnEmptyLogAndCrlfIsTolerated) {
    std::vector<SimRequest> log(3);
    EXPECT_TRUE(ParseSimLogTsv("", log));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(ParseSimLogTsv("0\t1.5\tgame\t1\tGET\t/\t0\t\t0\r\n\n", log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].path, L"/");
    EXPECT_TRUE(log[0].headers.empty());
}

TEST(SimLogParse, ARequestOverTlsCarriesOneMoreField) {
    std::vector<SimRequest> log;
    ASSERT_TRUE(ParseSimLogTsv("0\t1.5\tgame\t1\tGET\t/\t0\t\t1\tHost\th\thttps\n"
                               "1\t1.5\tgame\t1\tGET\t/\t0\t\t1\tHost\th\n",
                               log));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].secure);
    EXPECT_EQ(log[0].Header(L"Host"), L"h");
    EXPECT_FALSE(log[1].secure);
}

TEST(SimLogParse, MalformedLinesStopTheParse) {
    const char* const bad[] = {
        "0\t1.0\tweb\t1\tGET\t/\t0\t\t1\tHost",     // header count and fields disagree
        "0\t1.0\tweb\t1\tGET\t/\t0\t\t0\textra",    // one field too many
        "0\t1.0\tweb\t1\tGET\t/\t0\t\t0\thttps\tx", // two past the headers
        "0\t1.0\tweb\t1\tGET\t/\t2\t00\t0",         // body length and body disagree
        "0\t1.0\tweb\t1\tGET\t/\t1\t0g\t0",         // not hex
        "0\t1.0\tweb\t1\tGET\t/\t1\t0\t0",          // odd number of hex digits
        "x\t1.0\tweb\t1\tGET\t/\t0\t\t0",           // seq not a number
        "0\tsoon\tweb\t1\tGET\t/\t0\t\t0",          // time not a number
        "0\t1.0\tweb\t1\tGET\t/%zz\t0\t\t0",        // broken escape
        "0\t1.0\tweb\t1\tGET\t/\t0\t\t-1",          // negative count
        "0\t1.0\tweb",                              // cut line
    };
    for (const char* line : bad) {
        std::vector<SimRequest> log;
        const std::string text = std::string("0\t1.0\tweb\t1\tGET\t/ok\t0\t\t0\n") + line + "\n";
        EXPECT_FALSE(ParseSimLogTsv(text, log)) << line;
        ASSERT_EQ(log.size(), 1u) << line;
        EXPECT_EQ(log[0].path, L"/ok");
    }
}

} // namespace

// The rules the downloader applies to answers, redirects and file names.
#include "net/ResponseRules.h"
#include "net/UrlFileName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ResponseStatus, OnlyTwoHundredsSucceedAndFiveRedirectsAreFollowed) {
    struct Row {
        unsigned status;
        bool success, redirect;
    };
    const Row rows[] = {
        {0, false, false},   {100, false, false}, {199, false, false}, {200, true, false},
        {204, true, false},  {299, true, false},  {300, false, false}, {301, false, true},
        {302, false, true},  {303, false, true},  {304, false, false}, // not modified: no body, no move
        {305, false, false}, {307, false, true},  {308, false, true},  {399, false, false},
        {404, false, false}, {500, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsSuccessStatus(row.status), row.success) << row.status;
        EXPECT_EQ(IsRedirectStatus(row.status), row.redirect) << row.status;
    }
}

TEST(RedirectTarget, StaysOnItsSchemeOrMovesUpToHttps) {
    struct Row {
        const wchar_t* from;
        const wchar_t* location;
        const wchar_t* to; // empty: refused
    };
    const Row rows[] = {
        {L"http://h/a/v.ini", L"http://g/w.ini", L"http://g/w.ini"},
        {L"http://h/a/v.ini", L"https://g/w.ini", L"https://g/w.ini"},    // up to https
        {L"https://h/a/v.ini", L"https://g:8443/w", L"https://g:8443/w"}, // same scheme
        {L"https://h/a/v.ini", L"http://g/w.ini", L""},                   // never down to http
        {L"HTTPS://h/a", L"Http://g/w", L""},                             // case does not hide it
        {L"https://h/a/v.ini", L"//g/w.ini", L"https://g/w.ini"},         // keeps the scheme
        {L"http://h/a/v.ini", L"//g/w.ini", L"http://g/w.ini"},
        {L"https://h:1/a/v.ini?q=/x", L"/b/w.ini", L"https://h:1/b/w.ini"},
        {L"https://h/a/v.ini?q=/x", L"w.ini", L"https://h/a/w.ini"}, // the query's slash is not a folder
        {L"https://h", L"w.ini", L"https://h/w.ini"},
        {L"https://h/a", L"/w#frag", L"https://h/w"},
        {L"https://h/a", L"ftp://g/w", L""},
        {L"https://h/a", L"file:///C:/w.exe", L""},
        {L"https://h/a", L"javascript:alert(1)", L""},
        {L"https://h/a/b", L"w:1", L""}, // a scheme, not a file name
        {L"https://h/a/b", L"./w:1", L"https://h/a/./w:1"},
        // A scheme is a letter, then letters, digits, "+", "-" or "."; anything else
        // before the colon makes a file name.
        {L"https://h/a/b", L"A1:x", L""},
        {L"https://h/a/b", L"w+x.y-z:1", L""},
        {L"https://h/a/b", L"1w:x", L"https://h/a/1w:x"},
        {L"https://h/a/b", L"w_x:1", L"https://h/a/w_x:1"},
        {L"https://h/a/b", L":x", L"https://h/a/:x"},
        {L"https://h/a", L"https:///w", L""}, // no host
        {L"https://h/a", L"", L""},
        {L"ftp://h/a", L"https://g/w", L""},
        {L"", L"https://g/w", L""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RedirectTarget(row.from, row.location), row.to) << row.from << L" -> " << row.location;
}

TEST(BodyBounds, NeedALengthWithinTheLimitAndNoByteBeyondEither) {
    EXPECT_TRUE(AnnouncedLengthAccepted(true, 0, kVersionFileMaxBytes));
    EXPECT_TRUE(AnnouncedLengthAccepted(true, kVersionFileMaxBytes, kVersionFileMaxBytes));
    EXPECT_FALSE(AnnouncedLengthAccepted(true, kVersionFileMaxBytes + 1, kVersionFileMaxBytes));
    EXPECT_FALSE(AnnouncedLengthAccepted(false, 10, kVersionFileMaxBytes)); // no Content-Length
    EXPECT_TRUE(AnnouncedLengthAccepted(true, 0xFFFFFFFFull, 0xFFFFFFFFull));
    EXPECT_FALSE(AnnouncedLengthAccepted(true, 0xFFFFFFFFull, kUpgraderMaxBytes));

    EXPECT_TRUE(ReceivedWithinBounds(100, 100, 100));
    EXPECT_FALSE(ReceivedWithinBounds(101, 100, 1000)); // past its Content-Length
    EXPECT_FALSE(ReceivedWithinBounds(101, 1000, 100)); // past the limit
    EXPECT_TRUE(ReceivedWithinBounds(0, 0, 0));
    EXPECT_EQ(kVersionFileMaxBytes, 65536u);
    EXPECT_EQ(kBeaconMaxBytes, 65536u);
    EXPECT_EQ(kUpgraderMaxBytes, 536870912u);
}

TEST(IsAcceptedFileName, RefusesPathsDevicesOfTextAndControlCharacters) {
    struct Row {
        std::wstring name;
        bool accepted;
    };
    const Row rows[] = {
        {L"app.ini", true},
        {L"Orvotavro.exe", true},
        {L"\u5347\u7EA7.exe", true}, // not ASCII is fine
        {L"a.b.c", true},
        {L"", false},
        {L"..", false},
        {L"a..b", false},
        {L"..\\..\\Windows\\System32\\evil.dll", false},
        {L"sub/evil.dll", false},
        {L"C:evil.dll", false},
        {L"app.ini:stream", false},
        {L"*.ini", false},
        {L"app.ini?x=1", false}, // a query kept in the name
        {L"a\"b", false},
        {L"a<b", false},
        {L"a>b", false},
        {L"a|b", false},
        {std::wstring(L"a\0b", 3), false},
        {L"a\tb", false},
        {L"a\x1F"
         L"b",
         false},
        {L"a\x7F"
         L"b",
         false},
        {L"a\x85"
         L"b",
         false}, // C1 control
        // The edges of the control ranges: space and NBSP are plain characters, the
        // first and last C1 controls are not.
        {L"a b", true},
        {L"a\x80"
         L"b",
         false},
        {L"a\x9F"
         L"b",
         false},
        {L"a\xA0"
         L"b",
         true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsAcceptedFileName(row.name), row.accepted) << row.name;
}

} // namespace

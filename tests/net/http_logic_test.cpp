// The downloader's decisions that need no network: file names, progress, URL part
// bounds, the retry policy, the target path and the Referer header.
#include "net/AttemptLoop.h"
#include "net/DownloadTask.h"
#include "net/RefererHeader.h"
#include "net/TargetPath.h"
#include "net/TransferProgress.h"
#include "net/UrlFileName.h"
#include "net/UrlParts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(UrlFileName, TakesTheTextAfterTheLastSlash) {
    struct Row {
        const wchar_t* url;
        const wchar_t* name;
    };
    const Row rows[] = {
        {L"http://h/Orvo/tavro/official/app.ini", L"app.ini"},
        {L"http://h/file.ini?x=1", L"file.ini?x=1"}, // the query stays in the name
        {L"http://h/a?next=/b/c.txt", L"c.txt"},     // a slash in the query counts too
        {L"http://h/dir/", L""},
        {L"http://h", L"h"},
        {L"no-slash-at-all", L""},
        {L"", L""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(UrlFileName(row.url), row.name) << row.url;
}

TEST(ProgressPercent, StaysWithinZeroToHundredWithoutOverflow) {
    struct Row {
        uint64_t received;
        uint64_t length;
        int percent;
    };
    const uint64_t max32 = 0xFFFFFFFFull;
    const Row rows[] = {
        {0, 100, 0},
        {1, 100, 1},
        {99, 100, 99},
        {100, 100, 100},
        {150, 100, 100}, // more than announced is still 100
        {0, 0, 100},     // an empty body is complete
        {0, 1, 0},       // a one-byte body not yet begun
        {10240, 20480, 50},
        {1, 3, 33},
        // 32-bit lengths: received * 100 overflows 32 bits from 43 MB on.
        {max32 / 2, max32, 49},
        {max32 - 1, max32, 99},
        {max32, max32, 100},
        {1ull << 31, 1ull << 32, 50},
        // Lengths near 2^64 must not wrap either.
        {UINT64_MAX / 2, UINT64_MAX, 49},
        {UINT64_MAX - 1, UINT64_MAX, 99},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ProgressPercent(row.received, row.length), row.percent)
            << row.received << " of " << row.length;
}

TEST(ProgressPercent, NeverDecreasesOverAWholeTransfer) {
    const uint64_t length = 0xFFFFFFFFull;
    int last = 0;
    for (uint64_t received = 0; received <= length; received += length / 977) {
        const int percent = ProgressPercent(received, length);
        ASSERT_GE(percent, last) << received;
        ASSERT_LE(percent, 100);
        last = percent;
    }
}

UrlPartView View(const std::wstring& s) {
    return {s.data(), s.size()};
}

TEST(UrlParts, PartsFitUpToOneLessThanTheirBuffer) {
    struct Row {
        size_t capacity;
        size_t length;
        bool fits;
    };
    const Row rows[] = {
        {kHostNameChars, 0, true},
        {kHostNameChars, kHostNameChars - 1, true},
        {kHostNameChars, kHostNameChars, false}, // no room for the terminator
        {kHostNameChars, 5000, false},
        {kUserNameChars, kUserNameChars - 1, true},
        {kUserNameChars, kUserNameChars, false},
        {1, 0, true},
        {1, 1, false},
        {4, 1, true}, // a one-character part is copied too
    };
    for (const Row& row : rows) {
        const std::wstring text(row.length, L'x');
        // Heap buffers of exactly the capacity, so a write past the end is caught
        // by the sanitizer build.
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[row.capacity]);
        EXPECT_EQ(CopyUrlPart(View(text), buffer.get(), row.capacity), row.fits)
            << row.length << " into " << row.capacity;
        if (row.fits)
            EXPECT_EQ(std::wstring(buffer.get()), text);
        else
            EXPECT_EQ(buffer[0], L'\0');
    }
}

TEST(UrlParts, NoBufferNoRoomOrNoTextFails) {
    wchar_t buffer[4] = {L'z', L'z', L'z', L'z'};
    EXPECT_FALSE(CopyUrlPart(View(L"x"), nullptr, 4));
    EXPECT_FALSE(CopyUrlPart(View(L""), buffer, 0));
    EXPECT_EQ(buffer[0], L'z'); // a buffer of no room is not written
    // A part with a length but no text is refused, not read.
    EXPECT_FALSE(CopyUrlPart(UrlPartView{nullptr, 1}, buffer, 4));
    EXPECT_EQ(buffer[0], L'\0');
}

TEST(UrlParts, CopiesOnlyThePartNotTheRestOfTheUrl) {
    const std::wstring url = L"http://user:pw@host.example:81/p/a?x=1";
    CrackedUrlView view;
    view.userName = {url.data() + 7, 4};
    view.password = {url.data() + 12, 2};
    view.hostName = {url.data() + 15, 12};
    view.urlPath = {url.data() + 30, 9};
    UrlPartBuffers parts;
    ASSERT_TRUE(FillUrlParts(view, parts));
    EXPECT_EQ(std::wstring(parts.hostName), L"host.example");
    EXPECT_EQ(std::wstring(parts.userName), L"user");
    EXPECT_EQ(std::wstring(parts.password), L"pw");
    EXPECT_EQ(std::wstring(parts.urlPath), L"/p/a?x=1");
}

TEST(UrlParts, AnyOverlongPartFailsTheWholeUrlAndLeavesNoBufferUnset) {
    struct Row {
        const char* name;
        size_t hostLen, userLen, passwordLen, pathLen;
    };
    const Row rows[] = {
        {"host", kHostNameChars, 2, 2, 2},
        {"user name", 2, kUserNameChars, 2, 2},
        {"password", 2, 2, kPasswordChars, 2},
        {"path", 2, 2, 2, kUrlPathChars},
    };
    for (const Row& row : rows) {
        const std::wstring host(row.hostLen, L'h'), user(row.userLen, L'u'), password(row.passwordLen, L'p'),
            path(row.pathLen, L'/');
        CrackedUrlView view{View(host), View(user), View(password), View(path)};
        auto parts = std::make_unique<UrlPartBuffers>();
        EXPECT_FALSE(FillUrlParts(view, *parts)) << row.name;
        // The parts that fit were still copied, the overlong one emptied: nothing
        // is read uninitialised whatever the caller does next.
        EXPECT_EQ(std::wstring(parts->hostName).size() + std::wstring(parts->userName).size() +
                      std::wstring(parts->password).size() + std::wstring(parts->urlPath).size(),
                  6u)
            << row.name;
    }
}

TEST(UrlParts, AbsentPartsAreEmpty) {
    const std::wstring host = L"h";
    CrackedUrlView view;
    view.hostName = View(host); // user, password and path: null pointers, length 0
    UrlPartBuffers parts;
    ASSERT_TRUE(FillUrlParts(view, parts));
    EXPECT_EQ(std::wstring(parts.userName), L"");
    EXPECT_EQ(std::wstring(parts.urlPath), L"");
    // A null pointer that claims a length is refused rather than read.
    view.urlPath = {nullptr, 3};
    EXPECT_FALSE(FillUrlParts(view, parts));
}

// A scripted run of the retry policy: the attempts return the given results in
// turn, and the stop flag turns on after the given number of stop checks.
struct Script {
    std::vector<int> results;
    int stopAfterChecks = -1; // -1: never
    int attempts = 0;
    int checks = 0;
    std::vector<unsigned> sleeps;

    AttemptHooks Hooks() {
        AttemptHooks h;
        h.attempt = [this] {
            const int r =
                results.at(static_cast<size_t>(attempts) < results.size() ? attempts : results.size() - 1);
            ++attempts;
            return r;
        };
        h.stopRequested = [this] { return stopAfterChecks >= 0 && checks++ >= stopAfterChecks; };
        h.sleep = [this](unsigned ms) { sleeps.push_back(ms); };
        return h;
    }
};

TEST(RunAttempts, RetriesWithOneSecondPausesUntilSuccessOrTheLastAttempt) {
    struct Row {
        const char* name;
        int retries;
        std::vector<int> results;
        int attempts;
        int result;
        size_t sleeps;
    };
    const Row rows[] = {
        {"success at once", 2, {DL_OK}, 1, DL_OK, 0},
        {"404 three times", 2, {DL_HTTP_ERROR}, 3, DL_HTTP_ERROR, 20},
        {"success on the second", 2, {DL_READ_FAILED, DL_OK}, 2, DL_OK, 10},
        {"no retries", 0, {DL_CONNECT_FAILED}, 1, DL_CONNECT_FAILED, 0},
        {"negative retries still try once", -5, {DL_HTTP_ERROR}, 1, DL_HTTP_ERROR, 0},
        {"the last result counts", 1, {DL_READ_FAILED, DL_WRITE_FAILED}, 2, DL_WRITE_FAILED, 10},
    };
    for (const Row& row : rows) {
        Script s;
        s.results = row.results;
        EXPECT_EQ(RunAttempts(row.retries, s.Hooks()), row.result) << row.name;
        EXPECT_EQ(s.attempts, row.attempts) << row.name;
        ASSERT_EQ(s.sleeps.size(), row.sleeps) << row.name;
        for (unsigned ms : s.sleeps)
            EXPECT_EQ(ms, 100u) << row.name;
    }
}

TEST(RunAttempts, AStopRequestCutsTheAttemptsAndThePauseShort) {
    struct Row {
        const char* name;
        int stopAfterChecks; // stop checks: 1 before the first attempt, 1 after each
                             // failed attempt, 1 after each pause step
        int attempts;
        size_t sleeps;
        int result;
    };
    const Row rows[] = {
        {"stopped before the first attempt", 0, 0, 0, DL_CANCELLED},
        {"stopped right after a failed attempt", 1, 1, 0, DL_HTTP_ERROR},
        {"stopped after four pause steps", 5, 1, 4, DL_HTTP_ERROR},
        {"stopped in the second pause", 2 + 10 + 1 + 4, 2, 15, DL_HTTP_ERROR},
    };
    for (const Row& row : rows) {
        Script s;
        s.results = {DL_HTTP_ERROR};
        s.stopAfterChecks = row.stopAfterChecks;
        EXPECT_EQ(RunAttempts(5, s.Hooks()), row.result) << row.name;
        EXPECT_EQ(s.attempts, row.attempts) << row.name;
        EXPECT_EQ(s.sleeps.size(), row.sleeps) << row.name;
    }
}

TEST(ResolveTargetPath, NamesTheFileInTheFolderAfterTheUrl) {
    int guids = 0;
    auto guid = [&guids] {
        ++guids;
        return std::wstring(L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
    };
    struct Row {
        const wchar_t* target;
        const wchar_t* url;
        bool nameFromUrl, guidPrefix;
        const wchar_t* path;
        int guidsUsed;
    };
    const Row rows[] = {
        {L"C:\\t\\x.bin", L"http://h/a/b.exe", false, false, L"C:\\t\\x.bin", 0},
        {L"C:\\up", L"http://h/a/app.ini", true, false, L"C:\\up\\app.ini", 0},
        {L"C:\\up\\", L"http://h/a/app.ini", true, false, L"C:\\up\\app.ini", 0},
        {L"C:\\up\\", L"http://h/file.ini?x=1", true, false, L"", 0}, // a query in the name: refused
        {L"C:\\up\\", L"http://h/a\\..\\..\\evil.dll", true, false, L"", 0},
        {L"C:\\up\\", L"http://h/a/app.ini", true, true, L"C:\\up\\app.ini", 0}, // name flag wins
        {L"C:\\tmp", L"http://h/ps.gif", false, true, L"C:\\tmp\\0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0_ps.gif",
         1},
        {L"C:\\tmp", L"http://h/ps.gif?id=2", false, true, L"", 0}, // refused before a GUID is made
    };
    for (const Row& row : rows) {
        guids = 0;
        EXPECT_EQ(ResolveTargetPath(row.target, row.url, row.nameFromUrl, row.guidPrefix, guid), row.path)
            << row.url;
        EXPECT_EQ(guids, row.guidsUsed) << row.url;
    }
}

TEST(RefererHeader, CarriesThePageUrlOrNothingWhenItCannotBeAHeader) {
    struct Row {
        std::wstring url;
        std::wstring header;
    };
    const Row rows[] = {
        {L"http://www.orvo.example/pay.html?gid=1036&sid=1&uid=a",
         L"Referer: http://www.orvo.example/pay.html?gid=1036&sid=1&uid=a\r\n"},
        {L"http://h/a b", L"Referer: http://h/a b\r\n"},
        {L"", L""},
        {L"http://h/\r\nX-Injected: 1", L""},
        {L"http://h/\nx", L""},
        {L"http://h/\tx", L""},
        {std::wstring(L"http://h/\0x", 11), L""},
        {L"http://h/\x7f", L""},
        {L"http://h/\x4e2d\x6587", L"Referer: http://h/\x4e2d\x6587\r\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RefererHeader(row.url), row.header);
}

} // namespace

// The downloader over real WinINet under Wine against the platform simulator and
// its fault modes: what each kind of answer gives as result, reports and files.
#include "DownloadRecorder.h"
#include "FakeRefererSource.h"
#include "TestFiles.h"
#include "net/HttpDownloader.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <cwctype>
#include <memory>
#include <string>
#include <vector>

using namespace test_files;

namespace {

std::string Narrow(const std::wstring& w) {
    return simlog::ToUtf8(w);
}

class Downloader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TrustSimAuthority()) << "run through ctest (with-sim --tls)"; }

    void SetUp() override {
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid()) << Narrow(sim.LastError());
        ASSERT_TRUE(sim.Reset()) << Narrow(sim.LastError());
        dir = MakeScratch(L"gantry-http");
        downloader.SetRefererSource(&referer);
    }
    void TearDown() override {
        downloader.StopAll();
        sim.Reset();
        RemoveScratch(dir);
    }

    std::wstring Url(const std::wstring& path, const std::wstring& host = L"update") const {
        return sim.Url(host, path);
    }

    // Queues the task and waits for its finished report.
    void Run(const DownloadTask& task, DownloadRecorder& recorder, DWORD timeoutMs = 20000) {
        ASSERT_TRUE(downloader.Start());
        ASSERT_TRUE(downloader.AddTask(task));
        ASSERT_TRUE(recorder.WaitFinished(timeoutMs)) << "no finished report for " << Narrow(task.url);
    }
    void Run(const DownloadTask& task, DWORD timeoutMs = 20000) { Run(task, rec, timeoutMs); }

    // Logged requests whose target starts with the prefix.
    std::vector<SimRequest> Requests(const std::wstring& prefix) const {
        std::vector<SimRequest> out;
        for (const SimRequest& r : sim.Log())
            if (r.path.compare(0, prefix.size(), prefix) == 0)
                out.push_back(r);
        return out;
    }

    SimClient sim;
    FakeRefererSource referer;
    DownloadRecorder rec; // declared before the downloader, whose workers report to it
    CHttpDownloader downloader;
    std::wstring dir;
};

TEST_F(Downloader, SavesExactlyTheServedBytesWithProgressUpToAHundred) {
    const std::string body = Pattern(100000);
    ASSERT_TRUE(sim.SetContent(L"update", L"/ok/data.bin", body));
    Run(rec.Task(Url(L"/ok/data.bin"), dir + L"data.bin"));

    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_EQ(rec.FinalTarget(), dir + L"data.bin");
    std::string saved;
    ASSERT_TRUE(Read(dir + L"data.bin", saved));
    EXPECT_TRUE(saved == body) << saved.size() << " bytes saved of " << body.size();
    // 100,000 bytes through a 10,240-byte buffer: at least 10 reads, the last at 100.
    EXPECT_GE(rec.Count(DOWNLOAD_PROGRESS), 10);
    EXPECT_EQ(rec.Reports()[rec.Reports().size() - 2].percent, 100);
    EXPECT_EQ(Requests(L"/ok/data.bin").size(), 1u);
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

// Runs "exe" args; its exit code, or ~0u when it did not end within 15 s.
DWORD RunAndWait(const std::wstring& exe, const std::wstring& args) {
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    DWORD code = ~0u;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return code;
    ScopedHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.Get(), 15000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.Get(), &code);
    return code;
}

// During the finished report of a held file: what another process may do to it
// (file_access_probe check: 0 when nothing), and the held file started itself.
struct HoldCheck {
    std::wstring probe = OwnFolder() + L"file_access_probe.exe";
    DWORD othersDid = ~0u, startedExit = ~0u;
    DownloadRecorder rec;
    static int Callback(void* user, int type, int stage, int result, void* extra) {
        auto* self = static_cast<HoldCheck*>(user);
        const auto* task = static_cast<const DownloadTask*>(extra);
        if (stage == DOWNLOAD_FINISHED && result == DL_OK && task->heldFile) {
            self->othersDid = RunAndWait(self->probe, L"check \"" + task->target + L"\"");
            self->startedExit = RunAndWait(task->target, L"noop");
        }
        return DownloadRecorder::Callback(&self->rec, type, stage, result, extra);
    }
};

TEST_F(Downloader, AHeldFileCannotBeChangedByAnotherProcessYetCanBeStarted) {
    HoldCheck check;
    std::string program;
    ASSERT_TRUE(Read(check.probe, program));
    ASSERT_TRUE(sim.SetContent(L"update", L"/hold/program.exe", program));
    DownloadTask task = check.rec.Task(Url(L"/hold/program.exe"), dir + L"program.exe");
    task.callback = &HoldCheck::Callback;
    task.userData = &check;
    task.holdFile = true;
    Run(task, check.rec);

    EXPECT_EQ(check.rec.Result(), DL_OK);
    EXPECT_EQ(check.othersDid, 0u) << "1: opened for writing, 2: deleted";
    EXPECT_EQ(check.startedExit, 7u);
    // Once the report is over the file is let go: the same probe may write and delete.
    DWORD after = 0;
    for (int i = 0; i < 100 && (after = RunAndWait(check.probe, L"check \"" + task.target + L"\"")) == 0; ++i)
        Sleep(50);
    EXPECT_EQ(after, 3u);
}

TEST_F(Downloader, AnHttpsUrlIsFetchedInTlsWithATrustedCertificate) {
    const std::string body = Pattern(70000);
    ASSERT_TRUE(sim.SetContent(L"update", L"/tls/up.bin", body));
    DownloadTask task = rec.Task(sim.SecureUrl(L"update", L"/tls/up.bin"), dir + L"up.bin");
    task.maxBytes = kUpgraderMaxBytes;
    Run(task);
    EXPECT_EQ(rec.Result(), DL_OK);
    std::string saved;
    ASSERT_TRUE(Read(dir + L"up.bin", saved));
    EXPECT_TRUE(saved == body) << saved.size();
    const std::vector<SimRequest> hits = Requests(L"/tls/up.bin");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE(hits[0].secure);
}

TEST_F(Downloader, ACertificateErrorFailsAndNothingIsSentInClear) {
    // "localhost" gets a certificate of an authority no one trusts (and not
    // 127.0.0.1's): the request fails, and is never tried again over http.
    ASSERT_TRUE(sim.SetContent(L"update", L"/tls/v.ini", "[version]"));
    const std::wstring url = L"https://localhost:" + std::to_wstring(sim.Port(L"update")) + L"/tls/v.ini";
    Run(rec.Task(url, dir + L"v.ini"));
    EXPECT_LT(rec.Result(), 0);
    bool handshake = false;
    for (const SimRequest& r : sim.Log()) {
        handshake = handshake || (r.host == L"update" && r.method == L"TLS");
        EXPECT_NE(r.path, L"/tls/v.ini") << "answered despite the certificate, or sent in clear";
    }
    EXPECT_TRUE(handshake);
    EXPECT_FALSE(Exists(dir + L"v.ini"));
}

TEST_F(Downloader, RedirectsStayOnTheirSchemeOrMoveUpToHttps) {
    struct Row {
        const wchar_t* from;
        bool fromSecure;
        const wchar_t* to;
        bool toSecure;
        bool followed;
    };
    const Row rows[] = {
        {L"/r/a1", false, L"/r/b1", false, true},
        {L"/r/a2", false, L"/r/b2", true, true},
        {L"/r/a3", true, L"/r/b3", true, true},
        {L"/r/a4", true, L"/r/b4", false, false}, // never down to http
    };
    for (const Row& row : rows) {
        const std::wstring to = row.toSecure ? sim.SecureUrl(L"update", row.to) : Url(row.to);
        ASSERT_TRUE(sim.SetFault(L"update", row.from, L"status", L"code=302&location=" + to));
        ASSERT_TRUE(sim.SetContent(L"update", row.to, "moved"));
        DownloadRecorder recorder;
        const std::wstring from = row.fromSecure ? sim.SecureUrl(L"update", row.from) : Url(row.from);
        Run(recorder.Task(from, dir + L"r.txt"), recorder);
        EXPECT_EQ(recorder.Result(), row.followed ? DL_OK : DL_HTTP_ERROR) << Narrow(row.from);
        EXPECT_EQ(Requests(row.to).size(), row.followed ? 1u : 0u) << Narrow(row.from);
        EXPECT_EQ(Exists(dir + L"r.txt"), row.followed) << Narrow(row.from);
        DeleteFileW((dir + L"r.txt").c_str());
    }
    // A redirect to itself ends after the allowed number of moves.
    ASSERT_TRUE(sim.SetFault(L"update", L"/r/loop", L"status", L"code=307&location=/r/loop"));
    Run(rec.Task(Url(L"/r/loop"), dir + L"loop.txt"));
    EXPECT_EQ(rec.Result(), DL_HTTP_ERROR);
    EXPECT_EQ(Requests(L"/r/loop").size(), static_cast<size_t>(kMaxRedirects + 1));
}

TEST_F(Downloader, ABodyOverItsLimitOrBeyondItsLengthFailsAndLeavesNoFile) {
    struct Row {
        const wchar_t* path;
        const wchar_t* mode; // fault, or empty
        uint64_t limit;
        int result;
    };
    const Row rows[] = {
        {L"/lim/at.bin", L"", 5000, DL_OK},
        {L"/lim/over.bin", L"", 4999, DL_BODY_TOO_LONG},          // refused by its Content-Length
        {L"/lim/chunked.bin", L"chunked", 100000, DL_HTTP_ERROR}, // no length to check
        {L"/lim/long.bin", L"long", 100000, DL_BODY_TOO_LONG},    // 2500 announced, 5000 sent
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim.SetContent(L"update", row.path, Pattern(5000)));
        if (row.mode[0]) {
            ASSERT_TRUE(sim.SetFault(L"update", row.path, row.mode));
        }
        const std::wstring file = dir + L"lim.bin";
        ASSERT_TRUE(Write(file, "from an earlier run"));
        DownloadRecorder recorder;
        DownloadTask task = recorder.Task(Url(row.path), file);
        task.maxBytes = row.limit;
        Run(task, recorder);
        EXPECT_EQ(recorder.Result(), row.result) << Narrow(row.path);
        EXPECT_EQ(Exists(file), row.result == DL_OK) << Narrow(row.path);
    }
}

TEST_F(Downloader, ZeroContentLengthGivesAnEmptyFile) {
    ASSERT_TRUE(Write(dir + L"empty.txt", "an older, longer file"));
    ASSERT_TRUE(sim.SetContent(L"update", L"/ok/empty.txt", ""));
    Run(rec.Task(Url(L"/ok/empty.txt"), dir + L"empty.txt"));

    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_EQ(rec.Count(DOWNLOAD_PROGRESS), 0);
    std::string saved = "x";
    ASSERT_TRUE(Read(dir + L"empty.txt", saved));
    EXPECT_EQ(saved, "");
}

TEST_F(Downloader, EmptyTargetSucceedsOnlyOnTwoHundredsWithoutReadingTheBody) {
    struct Row {
        const wchar_t* path;
        const wchar_t* mode;
        const wchar_t* params;
        int result;
    };
    // A trickle of 16 bytes every 200 ms over 200 kB would take hours to read.
    const Row rows[] = {
        {L"/st/trickle", L"trickle", L"bytes=16&ms=200", DL_OK},
        {L"/st/204", L"status", L"code=204", DL_OK},
        {L"/st/302", L"status", L"code=302", DL_HTTP_ERROR}, // a move to nowhere
        {L"/st/304", L"status", L"code=304", DL_HTTP_ERROR},
        {L"/st/399", L"status", L"code=399", DL_HTTP_ERROR},
        {L"/st/400", L"status", L"code=400", DL_HTTP_ERROR},
        {L"/st/404", L"status", L"code=404", DL_HTTP_ERROR},
        {L"/st/503", L"status", L"code=503", DL_HTTP_ERROR},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim.SetContent(L"beacon", row.path, Pattern(200000)));
        ASSERT_TRUE(sim.SetFault(L"beacon", row.path, row.mode, row.params));
        DownloadRecorder recorder;
        const DWORD start = GetTickCount();
        Run(recorder.Task(Url(row.path, L"beacon"), L""), recorder, 10000);
        EXPECT_EQ(recorder.Result(), row.result) << Narrow(row.path);
        EXPECT_EQ(recorder.CheckSequence(), "") << Narrow(row.path);
        EXPECT_EQ(recorder.Count(DOWNLOAD_PROGRESS), 0) << Narrow(row.path);
        EXPECT_LT(GetTickCount() - start, 5000u) << Narrow(row.path);
    }
    EXPECT_EQ(CountFiles(dir), 0u);
}

TEST_F(Downloader, NotFoundIsTriedRetriesPlusOneTimesOneSecondApart) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/gone/x.bin", L"status", L"code=404"));
    DownloadTask task = rec.Task(Url(L"/gone/x.bin"), dir + L"x.bin");
    task.retries = 2;
    Run(task);

    EXPECT_EQ(rec.Result(), DL_HTTP_ERROR);
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_EQ(rec.Count(DOWNLOAD_FINISHED), 1);
    const std::vector<SimRequest> hits = Requests(L"/gone/x.bin");
    ASSERT_EQ(hits.size(), 3u);
    for (size_t i = 1; i < hits.size(); ++i) {
        const double gap = hits[i].time - hits[i - 1].time;
        EXPECT_GE(gap, 0.9) << "attempt " << i;
        EXPECT_LE(gap, 2.5) << "attempt " << i;
    }
    EXPECT_FALSE(Exists(dir + L"x.bin"));
}

TEST_F(Downloader, ChunkedBodyWithoutLengthFailsAndLeavesNoFile) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/chunk/v.ini", Pattern(3000)));
    ASSERT_TRUE(sim.SetFault(L"update", L"/chunk/v.ini", L"chunked", L"bytes=500"));
    ASSERT_TRUE(Write(dir + L"v.ini", "from an earlier run"));
    Run(rec.Task(Url(L"/chunk/v.ini"), dir + L"v.ini"));

    EXPECT_EQ(rec.Result(), DL_HTTP_ERROR);
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_FALSE(Exists(dir + L"v.ini"));
}

TEST_F(Downloader, BodyCutBeforeItsLengthFailsAndRemovesTheFileOfAnEarlierRun) {
    struct Row {
        const wchar_t* path;
        const wchar_t* mode;
        const wchar_t* params;
    };
    const Row rows[] = {
        {L"/cut/short.bin", L"short", L"bytes=5000"}, // then a clean close: reads 0 bytes
        {L"/cut/reset.bin", L"reset", L"bytes=5000"}, // then a TCP reset: the read fails
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim.SetContent(L"update", row.path, Pattern(50000)));
        ASSERT_TRUE(sim.SetFault(L"update", row.path, row.mode, row.params));
        const std::wstring name = std::wstring(row.path).substr(5);
        ASSERT_TRUE(Write(dir + name, "a complete file from an earlier run"));

        DownloadRecorder recorder;
        DownloadTask task = recorder.Task(Url(row.path), dir);
        task.nameFromUrl = true;
        Run(task, recorder);
        EXPECT_EQ(recorder.Result(), DL_READ_FAILED) << Narrow(row.path);
        EXPECT_EQ(recorder.CheckSequence(), "") << Narrow(row.path);
        EXPECT_EQ(recorder.FinalTarget(), dir + name);
        EXPECT_FALSE(Exists(dir + name)) << Narrow(row.path);
    }
}

TEST_F(Downloader, WithoutDeleteOnFailureThePartialFileStays) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/keep/p.bin", Pattern(50000)));
    ASSERT_TRUE(sim.SetFault(L"update", L"/keep/p.bin", L"short", L"bytes=4000"));
    DownloadTask task = rec.Task(Url(L"/keep/p.bin"), dir + L"p.bin");
    task.deleteOnFailure = false;
    Run(task);
    EXPECT_EQ(rec.Result(), DL_READ_FAILED);
    std::string saved;
    ASSERT_TRUE(Read(dir + L"p.bin", saved));
    EXPECT_TRUE(saved == Pattern(50000).substr(0, 4000)) << saved.size();
}

TEST_F(Downloader, NameFromUrlSavesIntoTheFolder) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/Orvo/tavro/official/app.ini",
                               "[version]\r\ncurrentversion=3.0.0.0\r\n"));
    DownloadTask task = rec.Task(Url(L"/Orvo/tavro/official/app.ini"), dir.substr(0, dir.size() - 1));
    task.nameFromUrl = true;
    Run(task);
    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_EQ(rec.FinalTarget(), dir + L"app.ini"); // the missing backslash was added
    std::string saved;
    ASSERT_TRUE(Read(dir + L"app.ini", saved));
    EXPECT_EQ(saved, "[version]\r\ncurrentversion=3.0.0.0\r\n");
}

TEST_F(Downloader, ANameTheUrlCannotGiveFailsBeforeAnythingIsAskedOrWritten) {
    const std::wstring names[] = {L"file.ini?x=1", L"..\\..\\..\\evil.dll", L"", L"a:b.exe"};
    const std::wstring inner = dir + L"Upgrade\\";
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
    for (const std::wstring& name : names) {
        ASSERT_TRUE(sim.SetContent(L"update", L"/q/" + name.substr(0, name.find(L'?')), "x=1"));
        for (const bool guid : {false, true}) {
            DownloadRecorder recorder;
            DownloadTask task = recorder.Task(Url(L"/q/" + name), inner);
            task.nameFromUrl = !guid;
            task.guidPrefix = guid;
            task.retries = 1;
            Run(task, recorder);
            EXPECT_EQ(recorder.Result(), DL_FILE_NAME_REFUSED) << Narrow(name);
            EXPECT_EQ(recorder.CheckSequence(), "") << Narrow(name);
        }
    }
    EXPECT_EQ(Requests(L"/q/").size(), 0u);
    EXPECT_EQ(CountFiles(inner), 0u);
    EXPECT_EQ(CountFiles(dir), 0u); // the folder only
}

bool IsGuidText(const std::wstring& s) {
    if (s.size() != 36)
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != L'-' : !(iswdigit(s[i]) || (s[i] >= L'A' && s[i] <= L'F')))
            return false;
    }
    return true;
}

TEST_F(Downloader, GuidPrefixIsDerivedOncePerTaskAcrossAttempts) {
    const std::string body = Pattern(30000, 7);
    ASSERT_TRUE(sim.SetContent(L"update", L"/g/name.txt", body));
    // The first attempt is cut short after its file was created; the second succeeds.
    ASSERT_TRUE(sim.SetFault(L"update", L"/g/name.txt", L"short", L"bytes=1000&count=1"));
    DownloadTask task = rec.Task(Url(L"/g/name.txt"), dir);
    task.guidPrefix = true;
    task.retries = 1;
    Run(task);

    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_EQ(Requests(L"/g/name.txt").size(), 2u);
    const std::wstring final = rec.FinalTarget();
    ASSERT_EQ(final.compare(0, dir.size(), dir), 0) << Narrow(final);
    const std::wstring name = final.substr(dir.size());
    ASSERT_EQ(name.size(), 36u + 1 + 8) << Narrow(name);
    EXPECT_TRUE(IsGuidText(name.substr(0, 36))) << Narrow(name);
    EXPECT_EQ(name.substr(36), L"_name.txt");
    // One file only: the second attempt wrote over the first one's, under the same name.
    EXPECT_EQ(CountFiles(dir), 1u);
    std::string saved;
    ASSERT_TRUE(Read(final, saved));
    EXPECT_TRUE(saved == body);
}

TEST_F(Downloader, TwoTasksWithGuidPrefixGetDifferentNames) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/g2/a.txt", "a"));
    DownloadRecorder second;
    DownloadTask t1 = rec.Task(Url(L"/g2/a.txt"), dir);
    DownloadTask t2 = second.Task(Url(L"/g2/a.txt"), dir);
    t1.guidPrefix = t2.guidPrefix = true;
    Run(t1);
    Run(t2, second);
    EXPECT_NE(rec.FinalTarget(), second.FinalTarget());
    EXPECT_EQ(CountFiles(dir), 2u);
}

TEST_F(Downloader, PostSendsItsBodyAndTheFormTypeAndNeverTheReferer) {
    referer.SetPending(Url(L"/opened/page.html", L"web"), L"0123456789abcdef0123456789ab");
    const std::string body = "a=1&b=%E4%B8%AD&c=" + std::string(3000, 'z');
    ASSERT_TRUE(sim.SetContent(L"beacon", L"/post/form", "ok"));
    DownloadTask task = rec.Task(Url(L"/post/form", L"beacon"), L"");
    task.postBody.assign(body.begin(), body.end());
    Run(task);

    EXPECT_EQ(rec.Result(), DL_OK);
    const std::vector<SimRequest> hits = Requests(L"/post/form");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].method, L"POST");
    EXPECT_TRUE(hits[0].body == body) << hits[0].body.size();
    EXPECT_EQ(hits[0].Header(L"Content-Type"), L"application/x-www-form-urlencoded; charset=UTF-8;");
    EXPECT_FALSE(hits[0].HasHeader(L"Referer"));
    // The POST left the referrer for the next GET.
    EXPECT_TRUE(referer.IsPending());
    EXPECT_EQ(referer.Takes(), 0);
}

TEST_F(Downloader, OnlyTheNextGetCarriesTheRefererAndPlantsTheCookie) {
    const std::wstring page = Url(L"/opened/page.html?gid=1036", L"web");
    const std::wstring cookie = L"c" + std::to_wstring(GetTickCount()) + L"0123456789abcdef0123456789";
    referer.SetPending(page, cookie.substr(0, 28));
    for (const wchar_t* path : {L"/ref/first", L"/ref/second"})
        ASSERT_TRUE(sim.SetContent(L"union", path, "ok"));
    ASSERT_TRUE(sim.SetContent(L"web", L"/opened/other.html", "ok"));

    DownloadRecorder second, third;
    Run(rec.Task(Url(L"/ref/first", L"union"), L""));
    Run(second.Task(Url(L"/ref/second", L"union"), L""), second);
    // A request to the opened page's own folder gets the planted cookie back.
    Run(third.Task(Url(L"/opened/other.html", L"web"), L""), third);

    EXPECT_EQ(rec.Result(), DL_OK);
    const std::vector<SimRequest> first = Requests(L"/ref/first");
    const std::vector<SimRequest> next = Requests(L"/ref/second");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(first[0].Header(L"Referer"), page);
    EXPECT_FALSE(next[0].HasHeader(L"Referer"));
    EXPECT_FALSE(referer.IsPending());

    wchar_t cookies[2048] = L"";
    DWORD size = sizeof cookies / sizeof cookies[0];
    ASSERT_TRUE(InternetGetCookieW(page.c_str(), nullptr, cookies, &size));
    EXPECT_NE(std::wstring(cookies).find(cookie.substr(0, 28)), std::wstring::npos) << Narrow(cookies);
    const std::vector<SimRequest> back = Requests(L"/opened/other.html");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NE(back[0].Header(L"Cookie").find(cookie.substr(0, 28)), std::wstring::npos)
        << Narrow(back[0].Header(L"Cookie"));
    EXPECT_FALSE(back[0].HasHeader(L"Referer"));
}

TEST_F(Downloader, ARefererThatCannotBeAHeaderIsDroppedNotInjected) {
    referer.SetPending(L"http://127.0.0.1/page\r\nX-Injected: 1", L"0123456789abcdef0123456789ab");
    for (const wchar_t* path : {L"/inj/first", L"/inj/second"})
        ASSERT_TRUE(sim.SetContent(L"union", path, "ok"));
    DownloadRecorder second;
    Run(rec.Task(Url(L"/inj/first", L"union"), L""));
    Run(second.Task(Url(L"/inj/second", L"union"), L""), second);

    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_EQ(second.Result(), DL_OK);
    for (const SimRequest& r : Requests(L"/inj/")) {
        EXPECT_FALSE(r.HasHeader(L"Referer")) << Narrow(r.path);
        EXPECT_FALSE(r.HasHeader(L"X-Injected")) << Narrow(r.path);
    }
    // Consumed, not put back: it does not fail every later GET.
    EXPECT_FALSE(referer.IsPending());
    EXPECT_EQ(referer.PutBacks(), 0);
}

TEST_F(Downloader, UrlsThatCannotBeSplitOrHaveOverlongPartsFailWithoutARequest) {
    const std::wstring hostPort = sim.HostPort(L"update");
    const std::wstring longName(1100, L'a');
    const std::wstring rows[] = {
        L"http://" + longName + L".example/x", // host over 1023 characters
        L"http://" + std::wstring(300, L'u') + L":pw@" + hostPort + L"/long/user",
        L"http://user:" + std::wstring(300, L'p') + L"@" + hostPort + L"/long/password",
        L"http://" + hostPort + L"/long/" + longName,   // path over 1023 characters
        L"http://" + hostPort + L"/long/q?" + longName, // the query counts as path
        L"not a url",
        L"",
    };
    for (const std::wstring& url : rows) {
        DownloadRecorder recorder;
        Run(recorder.Task(url, dir + L"long.bin"), recorder);
        EXPECT_LT(recorder.Result(), 0) << Narrow(url.substr(0, 60));
        EXPECT_EQ(recorder.CheckSequence(), "");
    }
    EXPECT_EQ(Requests(L"/long").size(), 0u);
    EXPECT_EQ(CountFiles(dir), 0u);
}

TEST_F(Downloader, APathOfExactlyTheBufferLimitStillGoesThrough) {
    // "/fit/" and 1018 characters: 1023, the most that fits with its terminator.
    const std::wstring path = L"/fit/" + std::wstring(1018, L'b');
    ASSERT_EQ(path.size(), 1023u);
    ASSERT_TRUE(sim.SetContent(L"update", path, "ok"));
    Run(rec.Task(Url(path), L""));
    EXPECT_EQ(rec.Result(), DL_OK);
    const std::vector<SimRequest> hits = Requests(L"/fit/");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, path);
}

TEST_F(Downloader, AnUnreachableServerFailsTheRequest) {
    // Port 1 on the loopback: nothing listens there, the connection is refused.
    Run(rec.Task(L"http://127.0.0.1:1/nothing", dir + L"n.bin"));
    EXPECT_EQ(rec.Result(), DL_REQUEST_FAILED);
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_FALSE(Exists(dir + L"n.bin"));
}

TEST_F(Downloader, AServerThatClosesWithoutAnsweringIsAnError) {
    ASSERT_TRUE(sim.SetFault(L"beacon", L"/mute", L"hang", L"ms=300"));
    Run(rec.Task(Url(L"/mute", L"beacon"), L""));
    EXPECT_EQ(rec.Result(), DL_HTTP_ERROR);
    // WinINet may send the request once more on a fresh connection before it gives up.
    EXPECT_GE(Requests(L"/mute").size(), 1u);
}

TEST_F(Downloader, ASilentServerFailsTheAttemptAfterTheReceiveTimeout) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/silent", L"hang"));
    downloader.SetReceiveTimeout(1000);
    const DWORD start = GetTickCount();
    Run(rec.Task(Url(L"/silent"), dir + L"s.bin"), 15000);
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(rec.Result(), DL_REQUEST_FAILED);
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 8000u);
    EXPECT_FALSE(Exists(dir + L"s.bin"));
    sim.ClearFault(L"update", L"/silent");
}

TEST_F(Downloader, AQuickRequestDoesNotWaitForASlowDownload) {
    // About 4 s: 40 pieces of 1000 bytes, 100 ms apart.
    ASSERT_TRUE(sim.SetContent(L"update", L"/slow/big.bin", Pattern(40000)));
    ASSERT_TRUE(sim.SetFault(L"update", L"/slow/big.bin", L"trickle", L"bytes=1000&ms=100"));
    ASSERT_TRUE(sim.SetContent(L"beacon", L"/quick/ps.gif", "GIF89a"));
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(downloader.AddTask(rec.Task(Url(L"/slow/big.bin"), dir + L"big.bin")));
    ASSERT_TRUE(rec.WaitProgress(10000));

    DownloadRecorder quick;
    const DWORD queued = GetTickCount();
    ASSERT_TRUE(downloader.AddTask(quick.Task(Url(L"/quick/ps.gif", L"beacon"), dir + L"ps.gif")));
    ASSERT_TRUE(quick.WaitFinished(10000));
    EXPECT_EQ(quick.Result(), DL_OK);
    EXPECT_LT(quick.FinishedTick() - queued, 2000u);
    EXPECT_FALSE(rec.Finished()) << "the slow download was already done: the test proves nothing";
    ASSERT_TRUE(rec.WaitFinished(20000));
    EXPECT_EQ(rec.Result(), DL_OK);
    EXPECT_NE(quick.Reports()[0].threadId, rec.Reports()[0].threadId);
    std::string saved;
    ASSERT_TRUE(Read(dir + L"big.bin", saved));
    EXPECT_TRUE(saved == Pattern(40000));
}

TEST_F(Downloader, QueuedTaskIsAPrivateCopy) {
    ASSERT_TRUE(sim.SetContent(L"beacon", L"/copy/original", "o"));
    DownloadTask task = rec.Task(Url(L"/copy/original", L"beacon"), dir + L"original.txt");
    const std::string body = "k=original";
    task.postBody.assign(body.begin(), body.end());
    // Queued before the workers exist, then changed: the queue must hold its own copy.
    ASSERT_TRUE(downloader.AddTask(task));
    task.url = Url(L"/copy/changed", L"beacon");
    task.target = dir + L"changed.txt";
    task.postBody.assign(5, 'x');
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(rec.WaitFinished(10000));

    EXPECT_EQ(rec.Result(), DL_OK);
    const std::vector<SimRequest> hits = Requests(L"/copy/");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/copy/original");
    EXPECT_EQ(hits[0].body, body);
    EXPECT_TRUE(Exists(dir + L"original.txt"));
}

TEST_F(Downloader, StartIsIdempotentAndStopAllLetsItStartAgain) {
    EXPECT_FALSE(downloader.IsStarted());
    ASSERT_TRUE(downloader.Start());
    EXPECT_TRUE(downloader.Start());
    EXPECT_TRUE(downloader.IsStarted());
    downloader.StopAll();
    EXPECT_FALSE(downloader.IsStarted());

    ASSERT_TRUE(sim.SetContent(L"beacon", L"/again/x", "again"));
    Run(rec.Task(Url(L"/again/x", L"beacon"), dir + L"again.txt"));
    EXPECT_EQ(rec.Result(), DL_OK);
}

TEST_F(Downloader, AnIdleWorkerWakesAtOnceForANewTask) {
    ASSERT_TRUE(sim.SetContent(L"beacon", L"/wake/x", "w"));
    ASSERT_TRUE(downloader.Start());
    Sleep(300); // both workers are now waiting on their events
    const DWORD queued = GetTickCount();
    Run(rec.Task(Url(L"/wake/x", L"beacon"), L""));
    // Far below the 10-second idle wait: the event woke a worker.
    EXPECT_LT(rec.FinishedTick() - queued, 3000u);
}

} // namespace

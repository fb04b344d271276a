// Stopping the downloader while its workers are busy: StopAll stays within its
// bound, never terminates a worker (one stuck in a call is left running), and a
// stopped task is never reported as finished and leaves no file. A test program
// of its own, because workers stuck inside WinINet outlive their test here (under
// Wine closing a handle does not end a call blocked on it).
#include "DownloadRecorder.h"
#include "TestFiles.h"
#include "net/HttpDownloader.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace test_files;

namespace {

std::string Narrow(const std::wstring& w) {
    return simlog::ToUtf8(w);
}

class StopAll : public ::testing::Test {
protected:
    void SetUp() override {
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid()) << Narrow(sim.LastError());
        ASSERT_TRUE(sim.Reset()) << Narrow(sim.LastError());
        dir = MakeScratch(L"gantry-http-stop");
    }
    void TearDown() override {
        sim.Reset(); // releases hanging answers
        RemoveScratch(dir);
    }

    bool WaitForRequest(const std::wstring& path, size_t count = 1) {
        auto hits = sim.WaitForRequests([&](const SimRequest& r) { return r.path == path; }, count, 10000);
        return hits.size() >= count;
    }

    // StopAll's duration in milliseconds.
    static DWORD TimeStopAll(CHttpDownloader& downloader) {
        const DWORD start = GetTickCount();
        downloader.StopAll();
        return GetTickCount() - start;
    }

    SimClient sim;
    std::wstring dir;
};

TEST_F(StopAll, IdleWorkersStopAtOnce) {
    CHttpDownloader downloader;
    ASSERT_TRUE(downloader.Start());
    Sleep(200);
    EXPECT_LT(TimeStopAll(downloader), 1000u);
    EXPECT_FALSE(downloader.IsStarted());
}

TEST_F(StopAll, ASlowTrickleIsCancelledBetweenReadsAndItsPartialFileRemoved) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/trickle/big.bin", Pattern(1000000)));
    ASSERT_TRUE(sim.SetFault(L"update", L"/trickle/big.bin", L"trickle", L"bytes=64&ms=50"));
    DownloadRecorder rec;
    CHttpDownloader downloader;
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(downloader.AddTask(rec.Task(sim.Url(L"update", L"/trickle/big.bin"), dir + L"big.bin")));
    ASSERT_TRUE(rec.WaitProgress(10000));
    Sleep(300);
    ASSERT_TRUE(Exists(dir + L"big.bin"));

    // The worker sees the stop flag after its current read: no termination needed.
    EXPECT_LT(TimeStopAll(downloader), 2000u);
    EXPECT_FALSE(rec.Finished());
    EXPECT_EQ(rec.CheckSequence(), "");
    EXPECT_FALSE(Exists(dir + L"big.bin"));
}

TEST_F(StopAll, AServerThatNeverAnswersIsGivenUpAfterFiveSeconds) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/hang/v.ini", L"hang"));
    DownloadRecorder rec;
    CHttpDownloader downloader;
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(downloader.AddTask(rec.Task(sim.Url(L"update", L"/hang/v.ini"), dir + L"v.ini")));
    ASSERT_TRUE(WaitForRequest(L"/hang/v.ini"));
    Sleep(200);

    const DWORD took = TimeStopAll(downloader);
    EXPECT_GE(took, 4500u) << "the stuck worker was not waited for";
    EXPECT_LT(took, 7000u); // one stuck worker: 5 s and the other's prompt end
    EXPECT_FALSE(rec.Finished());
    EXPECT_FALSE(Exists(dir + L"v.ini"));
}

TEST_F(StopAll, AWorkerStuckInAReadIsLeftRunningNotTerminatedAndCleansUpWhenTheReadEnds) {
    // 2000 bytes, then nothing until a reset 8 s later: the worker blocks inside a read.
    ASSERT_TRUE(sim.SetContent(L"update", L"/stall/up.exe", Pattern(100000)));
    ASSERT_TRUE(sim.SetFault(L"update", L"/stall/up.exe", L"reset", L"bytes=2000&ms=8000"));
    DownloadRecorder rec;
    // Allocated: a worker that outlives StopAll may still use it.
    auto* downloader = new CHttpDownloader();
    ASSERT_TRUE(downloader->Start());
    ASSERT_TRUE(downloader->AddTask(rec.Task(sim.Url(L"update", L"/stall/up.exe"), dir + L"up.exe")));
    ASSERT_TRUE(rec.WaitProgress(10000));
    Sleep(300);
    ASSERT_TRUE(Exists(dir + L"up.exe"));

    const DWORD start = GetTickCount();
    const bool allEnded = downloader->StopAll();
    EXPECT_LT(GetTickCount() - start, CHttpDownloader::kStopWaitMs + 1500);
    if (allEnded) {
        delete downloader; // closing its handles ended the read (Windows)
    } else {
        // Still reading (Wine): a terminated worker would never delete its file.
        EXPECT_TRUE(Exists(dir + L"up.exe"));
    }
    // When the read ends, the worker ends its task its own way: no report, no file.
    for (int i = 0; i < 300 && Exists(dir + L"up.exe"); ++i)
        Sleep(50);
    EXPECT_FALSE(Exists(dir + L"up.exe")) << "the worker never finished its task";
    EXPECT_FALSE(rec.Finished());
    EXPECT_EQ(rec.CheckSequence(), "");
}

TEST_F(StopAll, BothWorkersStuckAreWaitedForFiveSecondsTogetherAndQueuedTasksAreDropped) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/hang2/a", L"hang"));
    ASSERT_TRUE(sim.SetFault(L"update", L"/hang2/b", L"hang"));
    ASSERT_TRUE(sim.SetContent(L"update", L"/hang2/queued", "never fetched"));
    DownloadRecorder a, b, queued;
    CHttpDownloader downloader;
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(downloader.AddTask(a.Task(sim.Url(L"update", L"/hang2/a"), L"")));
    ASSERT_TRUE(downloader.AddTask(b.Task(sim.Url(L"update", L"/hang2/b"), L"")));
    ASSERT_TRUE(WaitForRequest(L"/hang2/a"));
    ASSERT_TRUE(WaitForRequest(L"/hang2/b"));
    ASSERT_TRUE(downloader.AddTask(queued.Task(sim.Url(L"update", L"/hang2/queued"), dir + L"q.txt")));
    Sleep(200);

    const DWORD took = TimeStopAll(downloader);
    EXPECT_GE(took, 4500u);
    EXPECT_LT(took, 7000u);
    EXPECT_FALSE(a.Finished());
    EXPECT_FALSE(b.Finished());
    // The queued task was dropped without any report, not run by a worker that was
    // still going while the other one was waited for.
    EXPECT_TRUE(queued.Reports().empty());
    sim.Reset();
    Sleep(300);
    for (const SimRequest& r : sim.Log())
        EXPECT_NE(r.path, L"/hang2/queued");
}

TEST_F(StopAll, ANewDownloaderWorksWhileAnEarlierOnesWorkerIsStillStuck) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/hang3/x", L"hang"));
    {
        DownloadRecorder stuck;
        CHttpDownloader downloader;
        ASSERT_TRUE(downloader.Start());
        ASSERT_TRUE(downloader.AddTask(stuck.Task(sim.Url(L"update", L"/hang3/x"), L"")));
        ASSERT_TRUE(WaitForRequest(L"/hang3/x"));
        downloader.StopAll();
    }
    ASSERT_TRUE(sim.SetContent(L"update", L"/after/ok.bin", Pattern(50000)));
    DownloadRecorder rec;
    CHttpDownloader downloader;
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(downloader.AddTask(rec.Task(sim.Url(L"update", L"/after/ok.bin"), dir + L"ok.bin")));
    ASSERT_TRUE(rec.WaitFinished(15000));
    EXPECT_EQ(rec.Result(), DL_OK);
    std::string saved;
    ASSERT_TRUE(Read(dir + L"ok.bin", saved));
    EXPECT_TRUE(saved == Pattern(50000));
}

} // namespace

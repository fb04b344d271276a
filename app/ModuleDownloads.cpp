// The module's side of downloading: every request is queued here, and every
// finished request comes back here on a download worker, inside the module's
// callback gate, to be handed to its owner's completion by its request type.
#include "app/GlobalModule.h"

#include "app/base/Messages.h"
#include "app/base/Utils.h"
#include "net/HttpDownloader.h"
#include "net/RequestTypes.h"

namespace {

uint64_t MaxBytesFor(int type) {
    switch (type) {
    case kRequestUpgrader:
        return kUpgraderMaxBytes;
    case kRequestVersionFile:
        return kVersionFileMaxBytes;
    default:
        return kBeaconMaxBytes;
    }
}

} // namespace

bool CGlobalModule::SubmitDownload(const std::wstring& url, const std::wstring& target, int type,
                                   bool nameFromUrl) {
    if (!m_pDownloader)
        return false;
    DownloadTask task;
    task.url = url;
    task.target = target;
    task.retries = 0;
    task.callback = &CGlobalModule::OnDownloadEvent;
    task.userData = m_gate.get();
    task.requestType = type;
    task.nameFromUrl = nameFromUrl;
    task.guidPrefix = false;
    task.deleteOnFailure = true;
    task.maxBytes = MaxBytesFor(type);
    // The upgrader stays held from its last byte until it has been checked and started.
    task.holdFile = type == kRequestUpgrader;
    // Requests are queued by the main thread; its login window gets their results.
    m_hResultWindow.store(m_formLogin.GetHwnd());
    // Without a worker a queued task would wait for ever: not queued is the truth.
    return m_pDownloader->Start() && m_pDownloader->AddTask(task);
}

void CGlobalModule::StartVersionCheck() {
    if (m_pDownloader)
        m_update.StartVersionCheck();
}

bool CGlobalModule::DownloadToTemp(const std::wstring& url, int type, const std::wstring& fileName) {
    return SubmitDownload(url, GetTempFolder() + fileName, type, fileName.empty());
}

bool CGlobalModule::QueueReport(const std::wstring& url, int requestType, const std::wstring& fileName) {
    return DownloadToTemp(url, requestType, fileName);
}

int CGlobalModule::OnDownloadEvent(void* userData, int type, int stage, int result, void* extra) {
    auto* gate = static_cast<CCallbackGate<CGlobalModule>*>(userData);
    // Only the finished report matters here, and its extra is the task; the
    // progress reports' extra (a percentage) is never looked at.
    if (!gate || stage != DOWNLOAD_FINISHED)
        return 0;
    auto* task = static_cast<DownloadTask*>(extra);
    gate->Enter([&](CGlobalModule& module) { module.HandleDownloadEvent(type, result, task); });
    return 0;
}

void CGlobalModule::HandleDownloadEvent(int type, int result, DownloadTask* task) {
    using Completion = void (*)(CGlobalModule&, int result, DownloadTask* task);
    struct Entry {
        int type;
        Completion complete;
    };
    // The report modes end whether or not the report got through.
    static const Completion endReportMode = [](CGlobalModule& m, int, DownloadTask*) {
        PostMessageW(m.m_hResultWindow.load(), UM_EXIT_APP, 0, 0);
    };
    // Requests not listed (the activity and union reports) need nothing when done.
    static const Entry table[] = {
        {kRequestVersionFile,
         [](CGlobalModule& m, int r, DownloadTask* t) { m.m_update.OnVersionFileDone(r, t); }},
        {kRequestUpgrader, [](CGlobalModule& m, int r, DownloadTask* t) { m.m_update.OnUpgraderDone(r, t); }},
        {kRequestInstallBeacon, endReportMode},
        {kRequestUninstallBeacon, endReportMode},
    };
    for (const Entry& entry : table) {
        if (entry.type == type) {
            entry.complete(*this, result, task);
            return;
        }
    }
}

#include "net/AttemptLoop.h"

#include "net/DownloadTask.h"

int RunAttempts(int retries, const AttemptHooks& hooks) {
    if (hooks.stopRequested())
        return DL_CANCELLED;
    const int lastAttempt = retries < 0 ? 0 : retries;
    int result = DL_CANCELLED;
    for (int attempt = 0; attempt <= lastAttempt; ++attempt) {
        result = hooks.attempt();
        if (result == DL_OK || hooks.stopRequested() || attempt == lastAttempt)
            break;
        bool stopped = false;
        for (int step = 0; step < kRetryPauseSteps && !stopped; ++step) {
            hooks.sleep(kRetryPauseStepMs);
            stopped = hooks.stopRequested();
        }
        if (stopped)
            break;
    }
    return result;
}

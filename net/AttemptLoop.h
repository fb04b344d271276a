// The retry policy of one download task: how many attempts, the pause between
// them and how a stop request cuts both short. Kept free of Windows calls so the
// policy is tested natively; the worker supplies the attempt, the stop test and
// the sleep.
#pragma once

#include <functional>

constexpr int kRetryPauseSteps = 10;        // the pause between attempts is
constexpr unsigned kRetryPauseStepMs = 100; // 10 sleeps of 100 ms, polling the stop flag

struct AttemptHooks {
    std::function<int()> attempt;           // one attempt: 0 on success, else a negative code
    std::function<bool()> stopRequested;    // the worker's stop flag
    std::function<void(unsigned ms)> sleep; // one pause step
};

// Runs up to retries + 1 attempts (one when retries is negative), stopping at the
// first success. After a failed attempt a set stop flag ends the loop; otherwise,
// when an attempt remains, it pauses, ending the pause and the loop early when the
// stop flag is seen. Returns the result of the last attempt, or DL_CANCELLED when
// the stop flag was set before the first one.
int RunAttempts(int retries, const AttemptHooks& hooks);

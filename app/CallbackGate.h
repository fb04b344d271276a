// The download workers' way into the object that queued their tasks. The owner
// closes the gate before it goes; a callback that comes later (its worker was
// still inside a request when the downloader gave up waiting for it) finds the
// gate closed and touches nothing of the owner. The gate itself is then left to
// the process's exit, like the downloader.
#pragma once

#include <mutex>

template <typename Owner> class CCallbackGate {
public:
    explicit CCallbackGate(Owner* owner) : owner_(owner) {}
    CCallbackGate(const CCallbackGate&) = delete;
    CCallbackGate& operator=(const CCallbackGate&) = delete;

    // Runs fn(owner) unless the gate is closed; the owner cannot close it meanwhile.
    template <typename Fn> void Enter(Fn&& fn) {
        std::lock_guard<std::mutex> lock(lock_);
        if (owner_)
            fn(*owner_);
    }
    // Waits for a callback inside the gate to leave; none enters afterwards.
    void Close() {
        std::lock_guard<std::mutex> lock(lock_);
        owner_ = nullptr;
    }

private:
    std::mutex lock_;
    Owner* owner_;
};

// The gate between the download workers and the module: a callback inside holds
// off the owner's close, and none runs after it.
#include "app/CallbackGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct Owner {
    std::atomic<int> calls{0};
};

TEST(CallbackGate, CloseWaitsForTheCallbackInsideAndNoneEntersAfterIt) {
    Owner owner;
    CCallbackGate<Owner> gate(&owner);
    std::atomic<bool> inside{false}, release{false}, closed{false};
    std::thread worker([&] {
        gate.Enter([&](Owner& o) {
            inside = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++o.calls;
        });
    });
    while (!inside)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::thread closer([&] {
        gate.Close();
        closed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(closed) << "closed while a callback was inside";
    release = true;
    closer.join();
    worker.join();
    EXPECT_EQ(owner.calls, 1);
    gate.Enter([](Owner& o) { ++o.calls; });
    EXPECT_EQ(owner.calls, 1) << "a callback ran after the close";
}

} // namespace

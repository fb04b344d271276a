#include "ui/TopMostSetting.h"

#include <atomic>

namespace {
std::atomic<int> g_topMost{0};
}

int TopMostSetting() {
    return g_topMost.load(std::memory_order_relaxed);
}

void SetTopMostSetting(int value) {
    g_topMost.store(value, std::memory_order_relaxed);
}

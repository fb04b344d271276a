#include "ui/SkinPreload.h"

#include <system_error>

CSkinPreload::CSkinPreload(HINSTANCE instance, std::vector<Item> items) {
    held_.reserve(items.size()); // the worker only appends within this capacity
    try {
        worker_ = std::thread([this, instance, items = std::move(items)] {
            for (const Item& item : items)
                held_.push_back(SharedPngResource(instance, item.first, item.second));
        });
    } catch (const std::system_error&) {
        // No worker: each window decodes its images itself.
    }
}

CSkinPreload::~CSkinPreload() {
    Wait();
}

void CSkinPreload::Wait() {
    if (worker_.joinable())
        worker_.join();
}

// Skin images decoded on a worker thread while the UI thread goes on creating the
// windows that show them: each image is decoded into the shared images
// (ui/PngResource.h), so the window's own load later takes it from there, or
// waits for the decode of it already under way instead of decoding it again. The
// preload holds its images until it is destroyed, which first waits for the
// worker; by then the windows hold what they show.
#pragma once

#include "ui/Image.h"
#include "ui/PngResource.h"

#include <windows.h>

#include <memory>
#include <thread>
#include <utility>
#include <vector>

class CSkinPreload {
public:
    using Item = std::pair<WORD, PremultiplyRule>;

    // Starts decoding `items` of `instance` in this order; without a worker
    // (no thread could start) nothing is decoded ahead and the windows decode as before.
    CSkinPreload(HINSTANCE instance, std::vector<Item> items);
    ~CSkinPreload();
    CSkinPreload(const CSkinPreload&) = delete;
    CSkinPreload& operator=(const CSkinPreload&) = delete;

    // Waits until every item is decoded.
    void Wait();
    // After Wait: the decoded images in the order given (null for a missing resource).
    const std::vector<std::shared_ptr<const CImage>>& Held() const { return held_; }

private:
    std::vector<std::shared_ptr<const CImage>> held_;
    std::thread worker_;
};

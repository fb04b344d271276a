#include "ui/ImageCache.h"

#include <map>
#include <tuple>
#include <mutex>
#include <utility>

namespace {

struct Cache {
    std::mutex lock;
    std::map<std::tuple<HINSTANCE, WORD, int>, std::weak_ptr<const CImage>> entries;
};

// Built on first use. Its entries only watch the images: one that outlives the
// cache at exit keeps its bitmap until it goes itself.
Cache& TheCache() {
    static Cache cache;
    return cache;
}

} // namespace

std::shared_ptr<const CImage> SharedResourceImage(HINSTANCE instance, WORD id, int variant,
                                                  const std::function<void(CImage&)>& decode) {
    Cache& cache = TheCache();
    // Decoding under the lock: a second caller of the same id waits for the first
    // decode rather than doing its own.
    std::lock_guard<std::mutex> guard(cache.lock);
    std::weak_ptr<const CImage>& entry = cache.entries[{instance, id, variant}];
    if (std::shared_ptr<const CImage> alive = entry.lock())
        return alive;
    auto decoded = std::make_shared<CImage>();
    decode(*decoded);
    entry = decoded;
    return decoded;
}

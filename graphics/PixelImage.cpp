#include "graphics/PixelImage.h"

#include <algorithm>
#include <atomic>

namespace halcyra {

PixelImage::PixelImage() {
    static std::atomic<std::uint64_t> next{1};
    mId = next.fetch_add(1, std::memory_order_relaxed);
}

void PixelImage::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == mWidth && height == mHeight) return;
    mWidth = width;
    mHeight = height;
    mPixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    ++mRevision;
}

}  // namespace halcyra

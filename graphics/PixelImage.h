// An opaque RGBA picture computed on the CPU (8 bits per channel, rows top to
// bottom), shown by Canvas::DrawImage. The canvas keeps a texture of it and uploads
// the pixels again only after they were written through Pixels().
#pragma once

#include <cstdint>
#include <vector>

namespace halcyra {

class PixelImage {
public:
    PixelImage();
    PixelImage(const PixelImage&) = delete;
    PixelImage& operator=(const PixelImage&) = delete;

    // Keeps the pixels when the size is unchanged.
    void Resize(int width, int height);
    // For writing: counts as a change.
    std::uint8_t* Pixels() {
        ++mRevision;
        return mPixels.data();
    }
    const std::uint8_t* Data() const { return mPixels.data(); }

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    bool Empty() const { return mWidth <= 0 || mHeight <= 0; }
    // Which image this is, and which version of its pixels.
    std::uint64_t Id() const { return mId; }
    std::uint64_t Revision() const { return mRevision; }

private:
    std::uint64_t mId;
    std::uint64_t mRevision = 0;
    int mWidth = 0;
    int mHeight = 0;
    std::vector<std::uint8_t> mPixels;
};

}  // namespace halcyra

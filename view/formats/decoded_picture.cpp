#include "view/formats/decoded_picture.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "view/formats/picture_limits.h"

namespace pelma {
namespace {

// a × b / 255, rounded, for bytes.
inline std::uint32_t Scale(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

}  // namespace

void ForRowHalves(int width, int height, const std::function<void(int first, int end)>& work) {
    if (width > 0) ForRowHalves(height, static_cast<std::uint64_t>(width) * std::max(height, 0), work);
}

void ForRowHalves(int height, std::uint64_t pixels, const std::function<void(int first, int end)>& work) {
    if (height <= 0) return;
    const int half = height / 2;
    std::thread other;
    if (pixels >= (1u << 20) && half > 0 && std::thread::hardware_concurrency() >= 2) {
        try {
            other = std::thread([&] { work(half, height); });
        } catch (const std::system_error&) {
        }
    }
    work(0, other.joinable() ? half : height);
    if (other.joinable()) other.join();
}

bool AnyTransparent(const std::uint32_t* pixels, std::size_t count) {
    std::uint32_t all = 0xFF000000u;
    for (std::size_t i = 0; i < count; ++i) all &= pixels[i];
    return all != 0xFF000000u;
}

void CompositeOver(PixelRows rows, std::uint32_t background) {
    const std::uint32_t bb = background & 0xFF, bg = (background >> 8) & 0xFF, br = (background >> 16) & 0xFF;
    for (int y = 0; y < rows.height; ++y) {
        std::uint8_t* p = rows.Row(y);
        for (int x = 0; x < rows.width; ++x, p += 4) {
            const std::uint32_t a = p[3], na = 255 - a;
            p[0] = static_cast<std::uint8_t>(Scale(p[0], a) + Scale(bb, na));
            p[1] = static_cast<std::uint8_t>(Scale(p[1], a) + Scale(bg, na));
            p[2] = static_cast<std::uint8_t>(Scale(p[2], a) + Scale(br, na));
            p[3] = 0;
        }
    }
}

void Premultiply(PixelRows rows) {
    for (int y = 0; y < rows.height; ++y) {
        std::uint8_t* p = rows.Row(y);
        for (int x = 0; x < rows.width; ++x, p += 4) {
            const std::uint32_t a = p[3];
            if (a == 255) continue;
            p[0] = static_cast<std::uint8_t>(Scale(p[0], a));
            p[1] = static_cast<std::uint8_t>(Scale(p[1], a));
            p[2] = static_cast<std::uint8_t>(Scale(p[2], a));
        }
    }
}

DecodedPicture DecodeToPixels(const std::function<PictureInfo(const PictureAllocator&)>& decode) {
    DecodedPicture picture;
    const PictureInfo info = decode([&](int w, int h) {
        picture.pixels = AllocatePixels<std::uint32_t>(static_cast<std::size_t>(w) * h);
        return PixelRows{reinterpret_cast<std::uint8_t*>(picture.pixels.data()),
                         static_cast<std::size_t>(w) * 4, w, h, 4};
    });
    picture.width = info.width;
    picture.height = info.height;
    picture.hasAlpha = info.hasAlpha;
    return picture;
}

}  // namespace pelma

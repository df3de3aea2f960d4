#include <gtest/gtest.h>

#include "core/errors.h"
#include "tests/native/formats/failure_of.h"
#include "tests/native/formats/gif_builder.h"
#include "tests/native/formats/picture_files.h"
#include "view/formats/decoded_picture.h"
#include "view/formats/gif_reader.h"

namespace pelma {
namespace {

using testing::Bytes;
using testing::DataFile;
using testing::FailureOf;
using testing::GifFrameSpec;
using testing::GifSpec;
using testing::MadePicture;
using testing::MakeGif;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                        kClear = 0;

GifFrameSpec Solid(int left, int top, int w, int h, std::uint8_t index) {
    GifFrameSpec f;
    f.left = left, f.top = top, f.width = w, f.height = h;
    f.indices.assign(static_cast<std::size_t>(w) * h, index);
    return f;
}

// A 4 × 4 animation through every disposal: red all over (kept, 50 ms); a
// green square top-left (restored to background, 10 ms: shown 100 ms); a
// blue square bottom-right with one transparent pixel (restored to previous);
// one white pixel from a local palette. NETSCAPE loop count 1: shown twice.
GifSpec Disposals() {
    GifSpec s;
    s.width = 4, s.height = 4;
    s.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    s.netscapeLoops = 1;
    GifFrameSpec f0 = Solid(0, 0, 4, 4, 1);
    f0.delayCs = 5, f0.disposal = 1;
    GifFrameSpec f1 = Solid(0, 0, 2, 2, 2);
    f1.delayCs = 1, f1.disposal = 2;
    GifFrameSpec f2 = Solid(2, 2, 2, 2, 3);
    f2.indices[0] = 0, f2.transparent = 0, f2.disposal = 3, f2.delayCs = 25;
    GifFrameSpec f3 = Solid(3, 3, 1, 1, 1);
    f3.localPalette = {0x000000, 0xFFFFFF}, f3.delayCs = 0;
    s.frames = {f0, f1, f2, f3};
    return s;
}

std::uint32_t At(const PictureAnimation& a, int x, int y) { return a.Canvas()[y * a.Width() + x]; }

TEST(GifAnimation, DisposalTimingAndLoopCount) {
    auto a = OpenGifAnimation(MakeGif(Disposals()));
    ASSERT_EQ(a->Width(), 4);
    EXPECT_EQ(a->FrameCount(), 4);
    EXPECT_EQ(a->LoopCount(), 2);
    for (int loop = 0; loop < 2; ++loop) {
        SCOPED_TRACE(loop);
        EXPECT_EQ(a->FrameIndex(), 0);
        EXPECT_EQ(a->Delay(), 50);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(a->Canvas()[i], kRed);

        ASSERT_TRUE(a->Advance());
        EXPECT_EQ(a->Delay(), 100);  // 10 ms is shown as 100 ms
        EXPECT_EQ(At(*a, 1, 1), kGreen);
        EXPECT_EQ(At(*a, 2, 1), kRed);

        ASSERT_TRUE(a->Advance());
        EXPECT_EQ(a->Delay(), 250);
        EXPECT_EQ(At(*a, 0, 0), kClear);  // the green square went back to background
        EXPECT_EQ(At(*a, 1, 1), kClear);
        EXPECT_EQ(At(*a, 2, 2), kRed);  // transparent pixel of the blue square
        EXPECT_EQ(At(*a, 3, 3), kBlue);
        EXPECT_EQ(At(*a, 3, 2), kBlue);

        ASSERT_TRUE(a->Advance());
        EXPECT_EQ(a->Delay(), 100);
        EXPECT_EQ(At(*a, 3, 2), kRed);  // the blue square restored to what it covered
        EXPECT_EQ(At(*a, 2, 3), kRed);
        EXPECT_EQ(At(*a, 3, 3), kWhite);  // drawn from its own palette
        EXPECT_EQ(At(*a, 0, 0), kClear);
        if (loop == 0) {
            ASSERT_TRUE(a->Advance());
        }
    }
    EXPECT_FALSE(a->Advance());  // shown twice: over, the last frame stays
    EXPECT_EQ(At(*a, 3, 3), kWhite);
    EXPECT_FALSE(a->Advance());
}

// Composed straight into memory of the caller's, over an opaque background,
// every frame is what the model's own canvas shows over that background:
// restore-to-background clears to it, and transparent pixels keep it. Each
// step changes nothing outside the area it reports.
TEST(GifAnimation, ACanvasInTheCallersMemoryIsComposedOverItsBackground) {
    constexpr std::uint32_t kBackground = 0xFF336699;
    const Bytes files[] = {MakeGif(Disposals()), DataFile("pillow/dispose_prev_first_frame.gif"),
                           DataFile("pillow/dispose_none_load_end.gif"), MadePicture("im_anim.gif")};
    for (const Bytes& file : files) {
        ASSERT_GT(file.size(), 20u);
        std::vector<std::uint32_t> memory;
        const PictureAllocator canvas = [&](int w, int h) {
            memory.assign(static_cast<std::size_t>(w) * h, 0x12345678);
            return PixelRows{reinterpret_cast<std::uint8_t*>(memory.data()), static_cast<std::size_t>(w) * 4,
                             w, h, 4};
        };
        auto own = OpenGifAnimation(file);
        auto shown = OpenGifAnimation(file, kMaxPictureBytes, &canvas, kBackground);
        ASSERT_EQ(shown->Canvas(), memory.data());
        const std::size_t count = static_cast<std::size_t>(own->Width()) * own->Height();
        for (int step = 0; step < 2 * own->FrameCount(); ++step) {
            std::vector<std::uint32_t> expected(own->Canvas(), own->Canvas() + count);
            CompositeOver({reinterpret_cast<std::uint8_t*>(expected.data()),
                           static_cast<std::size_t>(own->Width()) * 4, own->Width(), own->Height(), 4},
                          kBackground & 0xFFFFFF);
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(memory[i] & 0xFFFFFF, expected[i] & 0xFFFFFF) << "step " << step << " pixel " << i;
            const std::vector<std::uint32_t> before(own->Canvas(), own->Canvas() + count);
            const bool more = own->Advance();
            ASSERT_EQ(shown->Advance(), more);
            if (!more) break;
            // Nothing changed outside the area the step says it may change.
            const PictureAnimation::Area a = own->Changed();
            for (int y = 0; y < own->Height(); ++y)
                for (int x = 0; x < own->Width(); ++x)
                    if (x < a.left || x >= a.right || y < a.top || y >= a.bottom)
                        ASSERT_EQ(own->Canvas()[y * own->Width() + x], before[y * own->Width() + x])
                            << "step " << step << " at " << x << ", " << y;
        }
    }
}

TEST(GifAnimation, LoopCountsInterlaceAndClipping) {
    GifSpec s = Disposals();
    s.netscapeLoops = -1;  // no block: once
    auto once = OpenGifAnimation(MakeGif(s));
    EXPECT_EQ(once->LoopCount(), 1);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(once->Advance());
    EXPECT_FALSE(once->Advance());
    s.netscapeLoops = 0;  // for ever
    auto forever = OpenGifAnimation(MakeGif(s));
    EXPECT_EQ(forever->LoopCount(), 0);
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(forever->Advance());
    EXPECT_EQ(forever->FrameIndex(), 0);

    // An interlaced frame of 3 × 11 with a different colour on every row,
    // partly outside the canvas (which is 3 × 9).
    GifSpec i;
    i.width = 3, i.height = 9;
    for (int c = 0; c < 16; ++c) i.palette.push_back(static_cast<std::uint32_t>(c * 0x0F0F0F));
    GifFrameSpec f;
    f.width = 3, f.height = 11, f.interlaced = true, f.control = false;
    for (int y = 0; y < 11; ++y) f.indices.insert(f.indices.end(), 3, static_cast<std::uint8_t>(y + 1));
    i.frames = {f};
    const Bytes bytes = MakeGif(i);
    const DecodedPicture p = ReadGif(bytes.data(), bytes.size());
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 9);
    EXPECT_FALSE(p.hasAlpha);
    for (int y = 0; y < 9; ++y) EXPECT_EQ(p.pixels[y * 3 + 1], 0xFF000000u | ((y + 1) * 0x0F0F0Fu)) << y;
    auto still = OpenGifAnimation(bytes);
    EXPECT_EQ(still->FrameCount(), 1);
    EXPECT_FALSE(still->Advance());

    // A plain frame reaching far below the canvas, then a frame after it:
    // the rows below are passed over and the next frame still reads.
    GifFrameSpec tall = f;
    tall.interlaced = false, tall.height = 11, tall.control = true;
    i.height = 4;
    i.frames = {tall, Solid(0, 0, 1, 1, 15)};
    auto clipped = OpenGifAnimation(MakeGif(i));
    EXPECT_EQ(At(*clipped, 2, 3), 0xFF000000u | (4 * 0x0F0F0Fu));
    ASSERT_TRUE(clipped->Advance());
    EXPECT_EQ(At(*clipped, 0, 0), 0xFF000000u | (15 * 0x0F0F0Fu));
    EXPECT_EQ(At(*clipped, 1, 0), 0xFF000000u | (1 * 0x0F0F0Fu));

    // A file ImageMagick made: three frames with their delays, a zero delay shown as 100 ms.
    auto im = OpenGifAnimation(testing::MadePicture("im_anim.gif"));
    EXPECT_EQ(im->FrameCount(), 3);
    EXPECT_EQ(im->Delay(), 200);
    EXPECT_EQ(At(*im, 5, 5), kRed);
    ASSERT_TRUE(im->Advance());
    EXPECT_EQ(im->Delay(), 100);
    EXPECT_EQ(At(*im, 5, 5), kGreen);
    ASSERT_TRUE(im->Advance());
    EXPECT_EQ(im->Delay(), 300);
    EXPECT_EQ(At(*im, 15, 15), kBlue);
    const Bytes interlaced = testing::MadePicture("im_interlaced.gif");
    EXPECT_EQ(ReadGif(interlaced.data(), interlaced.size()).pixels[200], kRed);
}

TEST(GifAnimation, DamagedAndTruncatedFiles) {
    const Bytes gif = MakeGif(Disposals());
    auto failure = [](const Bytes& b, std::uint64_t budget = kMaxPictureBytes) {
        return FailureOf<EInvalidGraphic>([&] { OpenGifAnimation(b, budget); });
    };
    EXPECT_EQ(failure(Bytes{}), L"GIF イメージが不正です");
    EXPECT_EQ(failure(testing::MadePicture("quarters.png")), L"GIF イメージが不正です");
    // Cut inside the screen descriptor, the palette, the first frame.
    for (std::size_t cut : {std::size_t{8}, std::size_t{20}, std::size_t{60}})
        EXPECT_EQ(failure(Bytes(gif.begin(), gif.begin() + cut)), L"GIF イメージが不正です") << cut;

    // Without its trailer, or cut inside a later frame: the complete frames play.
    GifSpec s = Disposals();
    s.trailer = false;
    EXPECT_EQ(OpenGifAnimation(MakeGif(s))->FrameCount(), 4);
    const Bytes cutLate(gif.begin(), gif.end() - 6);
    EXPECT_EQ(OpenGifAnimation(cutLate)->FrameCount(), 3);

    // A later frame whose compressed data is broken (a code beyond the
    // table): the model throws once, keeps its canvas, and is then over.
    GifSpec broken = Disposals();
    Bytes b = MakeGif(broken);
    const Bytes good = b;
    // The third frame's first data byte after its clear code: find its descriptor.
    std::size_t at = 0;
    for (int seen = 0; at < b.size(); ++at)
        if (b[at] == 0x2C && b[at - 1] == 0 && ++seen == 3) break;
    ASSERT_LT(at + 12, b.size());
    b[at + 12] = 0xFF;  // code bits of 7: beyond the table right after a clear
    auto a = OpenGifAnimation(b);
    ASSERT_TRUE(a->Advance());
    EXPECT_EQ(FailureOf<EInvalidGraphic>([&] { a->Advance(); }), L"GIF イメージが不正です");
    EXPECT_EQ(At(*a, 0, 3), kRed);
    EXPECT_FALSE(a->Advance());

    // A code table that fills up with no clear code after it stops growing
    // and goes on decoding: every pixel as written.
    GifSpec full{.width = 100, .height = 100};
    for (std::uint32_t c = 0; c < 16; ++c) full.palette.push_back(c * 0x0F0D0Bu);
    GifFrameSpec frame{.width = 100, .height = 100, .fullTable = true};
    std::uint64_t seed = 1;  // noise, so that the table fills early on
    for (int i = 0; i < 100 * 100; ++i) {
        seed = (1103515245 * seed + 12345) % (std::uint64_t{1} << 32);
        frame.indices.push_back(static_cast<std::uint8_t>(seed >> 28));
    }
    full.frames = {frame};
    const Bytes fullGif = MakeGif(full);
    const DecodedPicture whole = ReadGif(fullGif.data(), fullGif.size());
    ASSERT_EQ(whole.pixels.size(), 10000u);
    int wrong = 0;
    for (std::size_t i = 0; i < whole.pixels.size(); ++i)
        wrong += (whole.pixels[i] & 0xFFFFFF) != full.palette[frame.indices[i]];
    EXPECT_EQ(wrong, 0);
    auto played = OpenGifAnimation(fullGif);
    EXPECT_EQ(At(*played, 99, 99) & 0xFFFFFF, full.palette[frame.indices[9999]]);
    frame.codeSize = 11, full.frames = {frame};  // codes from 12 bits on, as browsers read them
    const Bytes wide = MakeGif(full);
    EXPECT_EQ(ReadGif(wide.data(), wide.size()).pixels, whole.pixels);

    // The budget covers the canvas.
    EXPECT_EQ(failure(good, 4 * 4 * 4 - 1), L"画像が大きすぎます");
    GifSpec huge = Disposals();
    huge.width = 60000, huge.height = 60000;
    EXPECT_EQ(failure(MakeGif(huge), 1 << 20), L"画像が大きすぎます");
}

}  // namespace
}  // namespace pelma

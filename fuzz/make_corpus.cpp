// Writes the seed corpus of the picture fuzz targets: small valid pictures of
// every layout the readers know, and a few cut short. Deterministic; run it
// from the build tree with the corpus folder as its argument:
//   build/native/fuzz/make_fuzz_corpus fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/native/formats/gif_builder.h"
#include "tests/native/formats/picture_builders.h"

namespace {

namespace fs = std::filesystem;
using pelma::testing::BmpSpec;
using pelma::testing::Bytes;
using pelma::testing::IcoEntrySpec;
using pelma::testing::MakeBmp;
using pelma::testing::MakeEmf;
using pelma::testing::MakeIco;
using pelma::testing::MakeIconImage;
using pelma::testing::MakeJpeg;
using pelma::testing::MakePlaceableWmf;
using pelma::testing::PackRows;
using Rows = std::vector<std::vector<std::uint32_t>>;

fs::path root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = root / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Cut(Bytes b, std::size_t keep) {
    if (keep < b.size()) b.resize(keep);
    return b;
}

// A w × h grid of values from a small pattern, top-down.
Rows Pattern(int w, int h, std::uint32_t (*f)(int, int)) {
    Rows rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rows[static_cast<std::size_t>(y)].push_back(f(x, y));
    return rows;
}

std::vector<std::uint32_t> Palette(int n) {
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i) p.push_back(static_cast<std::uint32_t>(i * 0x0F1F2F) & 0xFFFFFF);
    return p;
}

BmpSpec Bitmap(int w, int h, std::uint16_t bits, Bytes data) {
    BmpSpec s;
    s.width = w, s.height = h, s.bitCount = bits, s.bits = std::move(data);
    return s;
}

void Bitmaps() {
    const std::string t = "bitmap_fuzzer";
    for (unsigned bits : {1u, 4u, 8u}) {
        BmpSpec s = Bitmap(
            7, 5, static_cast<std::uint16_t>(bits),
            PackRows(Pattern(7, 5, [](int x, int y) { return static_cast<std::uint32_t>(x + y); }), bits));
        if (bits == 1)
            s.bits = PackRows(
                Pattern(7, 5, [](int x, int y) { return static_cast<std::uint32_t>((x + y) & 1); }), 1);
        s.palette = Palette(bits == 1 ? 2 : 12);
        s.clrUsed = static_cast<std::uint32_t>(s.palette.size());
        const Bytes b = MakeBmp(s);
        Write(t, "indexed" + std::to_string(bits) + ".bmp", b);
        Write(t, "indexed" + std::to_string(bits) + "_cut.bmp", Cut(b, b.size() - 9));
    }
    auto colour = [](int x, int y) {
        return static_cast<std::uint32_t>((x * 40) << 16 | (y * 50) << 8 | 0x80);
    };
    Write(
        t, "rgb16.bmp",
        MakeBmp(Bitmap(
            6, 4, 16,
            PackRows(Pattern(6, 4,
                             [](int x, int y) { return static_cast<std::uint32_t>(x * 0x421 + y * 0x1000); }),
                     16))));
    BmpSpec f565 = Bitmap(
        6, 4, 16,
        PackRows(
            Pattern(6, 4, [](int x, int y) { return static_cast<std::uint32_t>(x * 0x841 + y * 0x2000); }),
            16));
    f565.compression = 3, f565.masks = {0xF800, 0x07E0, 0x001F};
    Write(t, "bitfields565.bmp", MakeBmp(f565));
    Write(t, "rgb24.bmp", MakeBmp(Bitmap(6, 4, 24, PackRows(Pattern(6, 4, colour), 24))));
    Write(t, "rgb24_topdown.bmp", MakeBmp(Bitmap(6, -4, 24, PackRows(Pattern(6, 4, colour), 24, true))));
    Write(t, "rgb32.bmp", MakeBmp(Bitmap(5, 3, 32, PackRows(Pattern(5, 3, colour), 32))));
    BmpSpec v5 = Bitmap(5, 3, 32, PackRows(Pattern(5, 3, colour), 32));
    v5.headerSize = 124, v5.compression = 3, v5.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    Write(t, "bitfields32_v5.bmp", MakeBmp(v5));
    BmpSpec v4 = Bitmap(5, 3, 24, PackRows(Pattern(5, 3, colour), 24));
    v4.headerSize = 108;
    Write(t, "rgb24_v4.bmp", MakeBmp(v4));
    BmpSpec core =
        Bitmap(4, 2, 8, PackRows(Pattern(4, 2, [](int x, int) { return static_cast<std::uint32_t>(x); }), 8));
    core.headerSize = 12, core.palette = Palette(256);
    Write(t, "core8.bmp", MakeBmp(core));

    BmpSpec rle8 = Bitmap(8, 4, 8, Bytes{4, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 1, 8, 5, 0, 0, 2, 6, 0, 1});
    rle8.compression = 1, rle8.palette = Palette(7), rle8.clrUsed = 7;
    Write(t, "rle8.bmp", MakeBmp(rle8));
    BmpSpec rle4 =
        Bitmap(8, 3, 4, Bytes{6, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 2, 2, 0, 3, 0x11, 0, 1});
    rle4.compression = 2, rle4.palette = Palette(8), rle4.clrUsed = 8;
    Write(t, "rle4.bmp", MakeBmp(rle4));
    Write(t, "header_only.bmp", Cut(MakeBmp(Bitmap(6, 4, 24, {})), 54));
}

void Icons() {
    const std::string t = "icon_fuzzer";
    auto index = [](int x, int y) { return static_cast<std::uint32_t>((x / 4 + y / 4) % 16); };
    auto edge = [](int x, int y) { return static_cast<std::uint32_t>(x == 0 || y == 0); };
    IcoEntrySpec small;
    small.widthByte = 16, small.heightByte = 16, small.coloursByte = 16, small.bitCount = 4;
    small.image = MakeIconImage(16, 16, 4, Palette(16), Pattern(16, 16, index), Pattern(16, 16, edge));
    IcoEntrySpec big;
    big.widthByte = 32, big.heightByte = 32, big.coloursByte = 0, big.bitCount = 8;
    big.image = MakeIconImage(32, 32, 8, Palette(256), Pattern(32, 32, index), Pattern(32, 32, edge));
    Write(t, "two_sizes.ico", MakeIco(1, {small, big}));
    IcoEntrySpec alpha;
    alpha.widthByte = 8, alpha.heightByte = 8, alpha.bitCount = 32;
    alpha.image = MakeIconImage(
        8, 8, 32, {},
        Pattern(8, 8, [](int x, int y) { return static_cast<std::uint32_t>(x * 32) << 24 | 0x336699u | y; }),
        Pattern(8, 8, [](int, int) { return 0u; }));
    Write(t, "alpha32.ico", MakeIco(1, {alpha}));
    IcoEntrySpec mono;
    mono.widthByte = 16, mono.heightByte = 16, mono.coloursByte = 2, mono.bitCount = 1;
    mono.image = MakeIconImage(16, 16, 1, {0, 0xFFFFFF}, Pattern(16, 16, edge), Pattern(16, 16, edge));
    IcoEntrySpec rgb;
    rgb.widthByte = 4, rgb.heightByte = 4, rgb.bitCount = 24;
    rgb.image = MakeIconImage(
        4, 4, 24, {},
        Pattern(4, 4, [](int x, int y) { return static_cast<std::uint32_t>(x << 20 | y << 4); }),
        Pattern(4, 4, edge));
    Write(t, "mono_and_rgb.ico", MakeIco(1, {mono, rgb}));
    IcoEntrySpec png;
    png.widthByte = 0, png.heightByte = 0, png.bitCount = 32;
    png.image = Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    Write(t, "png_entry.ico", MakeIco(1, {png, small}));
    Write(t, "stock.ico", Bytes{0, 0, 0, 0, 1, 0});
    const Bytes two = MakeIco(1, {small, big});
    Write(t, "cut_directory.ico", Cut(two, 20));
    Write(t, "cut_image.ico", Cut(MakeIco(1, {small}), 6 + 16 + 60));
}

void Metafiles() {
    const std::string t = "metafile_fuzzer";
    const Bytes emf = MakeEmf(0, 0, 2540, 1905, 1024, 768, 320, 240);
    Write(t, "frame.emf", emf);
    Write(t, "cut.emf", Cut(emf, 110));
    Write(t, "placeable.wmf", MakePlaceableWmf(0, 0, 1440, 960, 1440));
    Write(t, "placeable_no_inch.wmf", MakePlaceableWmf(-10, -20, 300, 200, 0));
    Write(t, "bad_checksum.wmf", MakePlaceableWmf(0, 0, 10, 10, 96, true));
}

void Jpegs() {
    const std::string t = "jpeg_fuzzer";
    auto rgb = [](int x, int y) {
        return static_cast<std::uint32_t>((x * 8) << 16 | (y * 8) << 8 | ((x ^ y) * 8));
    };
    const Bytes base = MakeJpeg(24, 16, 3, rgb, false, 75);
    Write(t, "baseline.jpg", base);
    Write(t, "baseline_cut_in_scan.jpg", Cut(base, pelma::testing::FindMarker(base, 0xDA) + 30));
    Write(t, "headers_only.jpg", Cut(base, pelma::testing::FindMarker(base, 0xDA)));
    Write(t, "gray.jpg",
          MakeJpeg(
              16, 16, 1, [](int x, int y) { return static_cast<std::uint32_t>(x * 16 + y); }, false, 75));
    Write(t, "progressive.jpg", MakeJpeg(24, 16, 3, rgb, true, 75));
    Write(t, "full_chroma.jpg", MakeJpeg(16, 8, 3, rgb, false, 75, true));
    Write(t, "restarts.jpg", MakeJpeg(32, 16, 3, rgb, false, 75, false, [](jpeg_compress_struct& c) {
              c.restart_interval = 1;
          }));
    Write(t, "arithmetic.jpg",
          MakeJpeg(16, 16, 3, rgb, false, 75, false, [](jpeg_compress_struct& c) { c.arith_code = TRUE; }));
    Write(t, "optimized.jpg", MakeJpeg(16, 16, 3, rgb, false, 75, false, [](jpeg_compress_struct& c) {
              c.optimize_coding = TRUE;
          }));
}

// Animations through every disposal, a local palette, transparency, an
// interlaced frame partly off the canvas, a loop count; and one cut short.
void Gifs() {
    using pelma::testing::GifFrameSpec;
    using pelma::testing::GifSpec;
    auto solid = [](int l, int t, int w, int h, std::uint8_t index) {
        GifFrameSpec f;
        f.left = l, f.top = t, f.width = w, f.height = h;
        f.indices.assign(static_cast<std::size_t>(w) * h, index);
        return f;
    };
    GifSpec s;
    s.width = 6, s.height = 5, s.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, s.netscapeLoops = 2;
    GifFrameSpec f0 = solid(0, 0, 6, 5, 1), f1 = solid(1, 1, 3, 2, 2), f2 = solid(3, 2, 4, 4, 3),
                 f3 = solid(0, 4, 2, 1, 1);
    f0.disposal = 1, f0.delayCs = 5;
    f1.disposal = 2, f1.delayCs = 1;
    f2.disposal = 3, f2.transparent = 0, f2.indices[1] = 0, f2.interlaced = true;
    f3.localPalette = {0x000000, 0xFFFFFF};
    s.frames = {f0, f1, f2, f3};
    const Bytes gif = pelma::testing::MakeGif(s);
    Write("gif_fuzzer", "disposals.gif", gif);
    Write("gif_fuzzer", "disposals_cut.gif", Bytes(gif.begin(), gif.end() - 9));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus CORPUS_FOLDER\n");
        return 2;
    }
    root = argv[1];
    Bitmaps();
    Icons();
    Metafiles();
    Jpegs();
    Gifs();
    return 0;
}

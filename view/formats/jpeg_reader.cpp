#include "view/formats/jpeg_reader.h"

// libjpeg's header needs FILE and size_t declared before it.
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "core/errors.h"
#include "core/messages.h"
#include "view/formats/colour_profile.h"
#include "view/formats/orientation.h"

namespace pelma {
namespace {

constexpr std::size_t kFeedStep = 4096;
constexpr int kQuantizedColours = 236;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

// The message code the program reports. Our numbering is that of IJG 6b,
// where a missing start-of-image marker is 53; libjpeg-turbo's version-62
// table agrees, and this keeps it so should another table differ.
int ReportedCode(int msgCode) { return msgCode == JERR_NO_SOI ? 53 : msgCode; }

// One decompressor with the program's source, error and progress managers.
// libjpeg reports a fatal error by calling error_exit, which must not return;
// ours longjmps back into RunGuarded. C++ exceptions never pass through
// libjpeg's C frames, and the steps run under RunGuarded own no objects with
// destructors, so the jump skips nothing that needs cleaning up. Everything a
// step changes lives in the Session, outside the frame that called setjmp.
struct Session {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errorManager{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    int errorCode = 0;
    bool created = false;

    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t fed = 0;       // bytes handed to the decoder so far
    bool stopFeeding = false;  // too many scans: behave as if the data ended
    long memoryLimit = 0;

    // Decoding output: colour rows, or (8-bit output only) palette indices.
    bool eightBit = false;
    PixelRows rows;
    bool anyFourthByte = false;  // 4-byte rows need not have 0 in their fourth byte
    const std::function<void(int)>* rowDone = nullptr;
    std::uint8_t* indices = nullptr;
    std::uint32_t* palette = nullptr;  // room for 256 colours
    int paletteSize = 0;
    int rowsDecoded = 0;
    int orientation = 1;    // the EXIF orientation applied to the output
    JOCTET* icc = nullptr;  // the embedded ICC profile (libjpeg's malloc)
    unsigned iccLength = 0;
    std::optional<ColourConversion> colours;  // from that profile to the display's

    Session(const std::uint8_t* d, std::size_t n, std::uint64_t budget) : data(d), size(n) {
        memoryLimit = budget > static_cast<std::uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(budget);
    }
    ~Session() {
        if (created) jpeg_destroy_decompress(&cinfo);
        std::free(icc);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

Session& Of(j_common_ptr c) { return *static_cast<Session*>(c->client_data); }
Session& Of(j_decompress_ptr c) { return *static_cast<Session*>(c->client_data); }

void ErrorExit(j_common_ptr c) {
    Session& s = Of(c);
    s.errorCode = ReportedCode(c->err->msg_code);
    std::longjmp(s.jump, 1);
}

void IgnoreMessage(j_common_ptr) {}
void IgnoreEmit(j_common_ptr, int) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr c) {
    Session& s = Of(c);
    if (s.fed < s.size && !s.stopFeeding) {
        const std::size_t step = s.size - s.fed < kFeedStep ? s.size - s.fed : kFeedStep;
        c->src->next_input_byte = s.data + s.fed;
        c->src->bytes_in_buffer = step;
        s.fed += step;
    } else {
        // The data has ended: give the decoder an end-of-image marker.
        WARNMS(c, JWRN_JPEG_EOF);
        c->src->next_input_byte = kEndOfImage;
        c->src->bytes_in_buffer = sizeof kEndOfImage;
    }
    return TRUE;
}

void SkipInput(j_decompress_ptr c, long count) {
    if (count <= 0) return;
    Session& s = Of(c);
    std::size_t n = static_cast<unsigned long>(count);
    jpeg_source_mgr& src = *c->src;
    if (n <= src.bytes_in_buffer) {
        src.next_input_byte += n;
        src.bytes_in_buffer -= n;
        return;
    }
    n -= src.bytes_in_buffer;
    src.bytes_in_buffer = 0;
    s.fed += n < s.size - s.fed ? n : s.size - s.fed;
}

// Called between the decoder's input steps (markers, or one row of blocks).
// Past the scan limit the rest of the data is dropped, buffered bytes
// included, and the decoder ends the picture as for a file cut off there.
void Progress(j_common_ptr c) {
    auto* d = reinterpret_cast<j_decompress_ptr>(c);
    Session& s = Of(c);
    if (d->input_scan_number > kMaxJpegScans && !s.stopFeeding) {
        s.stopFeeding = true;
        d->src->bytes_in_buffer = 0;
    }
}

using Step = void (*)(Session&);

// Runs one step; false when libjpeg raised a fatal error (code in errorCode).
[[gnu::noinline]] bool RunGuarded(Session& s, Step step) {
    if (setjmp(s.jump) != 0) return false;
    step(s);
    return true;
}

void CreateAndReadHeader(Session& s) {
    s.cinfo.err = jpeg_std_error(&s.errorManager);
    s.errorManager.error_exit = ErrorExit;
    s.errorManager.output_message = IgnoreMessage;
    s.errorManager.emit_message = IgnoreEmit;
    s.cinfo.client_data = &s;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = s.memoryLimit;

    s.source.init_source = InitSource;
    s.source.fill_input_buffer = FillInput;
    s.source.skip_input_data = SkipInput;
    s.source.resync_to_restart = jpeg_resync_to_restart;
    s.source.term_source = TermSource;
    s.cinfo.src = &s.source;
    s.progress.progress_monitor = Progress;
    s.cinfo.progress = &s.progress;
    // The ICC profile's parts (APP2 "ICC_PROFILE") are kept for ReadProfile.
    jpeg_save_markers(&s.cinfo, JPEG_APP0 + 2, 0xFFFF);

    jpeg_read_header(&s.cinfo, TRUE);
}

void ReadProfile(Session& s) {
    if (!jpeg_read_icc_profile(&s.cinfo, &s.icc, &s.iccLength)) s.icc = nullptr;
}

// Reads the headers or throws EJPEG.
void Open(Session& s) {
    if (!RunGuarded(s, CreateAndReadHeader)) throw EJPEG(s.errorCode, JpegErrorMessage(s.errorCode));
}

// Writes one decoded row (palette indices, RGB or CMYK samples) to the
// output as colours or indices, turned by the orientation.
void WriteRow(const Session& s, const JSAMPLE* src, int y, int width, int height, int components,
              bool inverted) {
    if (s.eightBit && s.indices) {
        const std::size_t stride = static_cast<std::size_t>(MovesRowsAcross(s.orientation) ? height : width);
        const Placement p = Place(s.orientation, s.indices, stride, 1, y, width, height);
        std::uint8_t* out = p.first;
        for (int x = 0; x < width; ++x, out += p.step) *out = src[x];
        return;
    }
    const int bytes = s.rows.pixelBytes;
    const Placement p = Place(s.orientation, s.rows.first, s.rows.stride, bytes, y, width, height);
    // One loop per kind of sample, each writing B, G, R (and 0).
    auto put = [&](auto colour) {
        std::uint8_t* out = p.first;
        for (int x = 0; x < width; ++x, out += p.step) {
            const std::uint32_t c = colour(x);
            out[0] = static_cast<std::uint8_t>(c), out[1] = static_cast<std::uint8_t>(c >> 8),
            out[2] = static_cast<std::uint8_t>(c >> 16);
            if (bytes == 4) out[3] = 0;
        }
    };
    if (s.eightBit) {
        put([&](int x) { return static_cast<int>(src[x]) < s.paletteSize ? s.palette[src[x]] : 0u; });
    } else if (components == 4) {
        // Adobe's files store the inks inverted; others as they are.
        const std::uint32_t flip = inverted ? 0 : 255;
        put([&](int x) {
            const JSAMPLE* k = src + 4 * x;
            const std::uint32_t kk = k[3] ^ flip;
            return ((k[0] ^ flip) * kk + 127) / 255 << 16 | ((k[1] ^ flip) * kk + 127) / 255 << 8 |
                   ((k[2] ^ flip) * kk + 127) / 255;
        });
    } else {
        put([&](int x) {
            const JSAMPLE* k = src + 3 * x;
            return std::uint32_t{k[0]} << 16 | std::uint32_t{k[1]} << 8 | k[2];
        });
    }
}

void Decompress(Session& s) {
    jpeg_decompress_struct& c = s.cinfo;
    const bool cmyk = c.out_color_space == JCS_CMYK;
    // Colour rows come straight from the decoder's colour conversion when
    // they need no turning or ink conversion: 3-byte rows always, 4-byte rows
    // when their fourth byte may be anything.
    const bool direct =
        !s.eightBit && !cmyk && s.orientation == 1 && (s.rows.pixelBytes == 3 || s.anyFourthByte);
    if (direct) c.out_color_space = s.rows.pixelBytes == 3 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&c);
    // The rows were made for the size the decoder now gives, turned.
    const bool across = MovesRowsAcross(s.orientation);
    if (static_cast<int>(c.output_width) != (across ? s.rows.height : s.rows.width) ||
        static_cast<int>(c.output_height) != (across ? s.rows.width : s.rows.height))
        ERREXIT(&c, JERR_WIDTH_OVERFLOW);
    const int components = s.eightBit ? 1 : direct ? s.rows.pixelBytes : cmyk ? 4 : 3;
    if (c.output_components != components) ERREXIT(&c, JERR_CONVERSION_NOTIMPL);
    const JDIMENSION width = c.output_width, height = c.output_height;
    JSAMPARRAY buffer = direct ? nullptr
                               : (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                                        width * static_cast<JDIMENSION>(components), 1);

    jpeg_start_decompress(&c);
    if (s.eightBit) {
        const int count = c.actual_number_of_colors < 256 ? c.actual_number_of_colors : 256;
        for (int i = 0; i < count; ++i) {
            std::uint32_t r, g, b;
            if (c.out_color_components == 1) {
                r = g = b = c.colormap[0][i];
            } else {
                r = c.colormap[0][i], g = c.colormap[1][i], b = c.colormap[2][i];
            }
            s.palette[i] = (r << 16) | (g << 8) | b;
        }
        s.paletteSize = count;
        if (s.colours)
            s.colours->Convert(
                {reinterpret_cast<std::uint8_t*>(s.palette), std::size_t{4} * count, count, 1, 4});
    }
    const bool inverted = c.saw_Adobe_marker != 0;
    while (c.output_scanline < height) {
        const auto y = static_cast<int>(c.output_scanline);
        JSAMPROW target[1] = {direct ? s.rows.Row(y) : buffer[0]};
        if (jpeg_read_scanlines(&c, target, 1) != 1) break;
        if (!direct)  // else the decoder wrote the row in place
            WriteRow(s, target[0], y, static_cast<int>(width), static_cast<int>(height), components,
                     inverted);
        if (MovesRows(s.orientation)) continue;  // the rows are complete only at the end
        if (s.colours && !s.eightBit)            // (a palette's colours are converted once)
            s.colours->Convert({s.rows.Row(y), s.rows.stride, s.rows.width, 1, s.rows.pixelBytes});
        s.rowsDecoded = y + 1;
        if (s.rowDone && *s.rowDone) (*s.rowDone)(y);
    }
    jpeg_finish_decompress(&c);
}

// After decoding with an orientation that moves rows: every row is reported
// at once, those the decoder did not reach left as they were.
void FinishTurnedRows(Session& s, int uprightHeight) {
    if (!MovesRows(s.orientation)) return;
    if (s.colours && !s.eightBit) s.colours->Convert(s.rows);
    s.rowsDecoded = uprightHeight;
    if (s.rowDone && *s.rowDone)
        for (int y = 0; y < uprightHeight; ++y) (*s.rowDone)(y);
}

}  // namespace

std::wstring JpegErrorMessage(int code) { return FormatOne(L"JPEG エラー #%s", std::to_wstring(code)); }

bool JpegDecodesToEightBit(bool screenEightBit, int components) {
    return components == 1 || (screenEightBit && components != 4);
}

JpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes) {
    if (size == 0) return {};
    Session s(data, size, budgetBytes);
    Open(s);
    CheckPixelBudget(s.cinfo.image_width, s.cinfo.image_height, budgetBytes);
    JpegHeader h{static_cast<int>(s.cinfo.image_width), static_cast<int>(s.cinfo.image_height),
                 s.cinfo.num_components, ReadJpegOrientation(data, size)};
    if (MovesRowsAcross(h.orientation)) std::swap(h.width, h.height);
    return h;
}

int ReadJpegOrientation(const std::uint8_t* data, std::size_t size) {
    // The markers before the first scan, each with its 16-bit length.
    std::size_t at = 2;
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return 1;
        const unsigned marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return 1;
        const std::size_t length = static_cast<std::size_t>(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2) return 1;
        const std::uint8_t* body = data + at + 4;
        const std::size_t n = length - 2;
        if (marker == 0xE1 && n >= 14 && std::memcmp(body, "Exif\0\0", 6) == 0) {
            const std::uint8_t* tiff = body + 6;
            const std::size_t t = n - 6;
            const bool little = tiff[0] == 'I' && tiff[1] == 'I';
            if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
            auto u16 = [&](std::size_t o) {
                return little ? static_cast<unsigned>(tiff[o] | tiff[o + 1] << 8)
                              : static_cast<unsigned>(tiff[o] << 8 | tiff[o + 1]);
            };
            auto u32 = [&](std::size_t o) {
                return little ? std::uint32_t{u16(o)} | std::uint32_t{u16(o + 2)} << 16
                              : std::uint32_t{u16(o)} << 16 | std::uint32_t{u16(o + 2)};
            };
            if (u16(2) != 42) return 1;
            const std::uint32_t ifd = u32(4);
            if (ifd > t - 2) return 1;
            const unsigned entries = u16(ifd);
            for (unsigned i = 0; i < entries; ++i) {
                const std::size_t e = ifd + 2 + std::size_t{i} * 12;
                if (e + 12 > t) return 1;
                if (u16(e) != 0x0112) continue;
                const unsigned value = u16(e + 8);
                return u16(e + 2) == 3 && value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
            }
            return 1;
        }
        at += 2 + length;
    }
    return 1;
}

namespace {

void ApplySettings(jpeg_decompress_struct& c, bool eightBit, int scaleDenominator = 1) {
    c.scale_num = 1;
    c.scale_denom = static_cast<unsigned>(scaleDenominator);
    c.dct_method = JDCT_ISLOW;
    c.do_block_smoothing = TRUE;
    c.buffered_image = FALSE;
    // Printing inks (Adobe's YCCK included) come out as CMYK and are turned into RGB here.
    const bool inks = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    c.out_color_space = c.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE
                        : inks && !eightBit                 ? JCS_CMYK
                                                            : JCS_RGB;
    if (eightBit) {
        c.quantize_colors = TRUE;
        c.desired_number_of_colors = kQuantizedColours;
        c.two_pass_quantize = TRUE;
        c.dither_mode = JDITHER_FS;
    }
}

// Reads the headers into an open session and fills in the picture's size and
// depth; refuses a picture beyond the budget before anything is allocated.
void ReadFrame(Session& s, DecodedJpeg& result, bool screenEightBit, std::uint64_t budgetBytes) {
    Open(s);
    const jpeg_decompress_struct& c = s.cinfo;
    CheckPixelBudget(c.image_width, c.image_height, budgetBytes);
    s.orientation = ReadJpegOrientation(s.data, s.size);
    result.width = static_cast<int>(c.image_width);
    result.height = static_cast<int>(c.image_height);
    if (MovesRowsAcross(s.orientation)) std::swap(result.width, result.height);
    result.orientation = s.orientation;
    result.eightBit = JpegDecodesToEightBit(screenEightBit, c.num_components);
    if (c.num_components != 1 && RunGuarded(s, ReadProfile) && s.icc) {
        ColourConversion colours(ColourSource{std::vector<std::uint8_t>(s.icc, s.icc + s.iccLength), {}});
        if (colours) s.colours = colours;
    }
}

}  // namespace

DecodedJpeg DecodeJpeg(const std::uint8_t* data, std::size_t size, bool screenEightBit,
                       std::uint64_t budgetBytes) {
    DecodedJpeg result;
    if (size == 0) return result;
    Session s(data, size, budgetBytes);
    jpeg_decompress_struct& c = s.cinfo;
    ReadFrame(s, result, screenEightBit, budgetBytes);
    const std::size_t count = static_cast<std::size_t>(c.image_width) * c.image_height;
    if (result.eightBit) {
        result.indices = AllocatePixels<std::uint8_t>(count);
        result.palette.assign(256, 0);
    } else {
        result.pixels = AllocatePixels<std::uint32_t>(count);
    }
    ApplySettings(c, result.eightBit);

    s.eightBit = result.eightBit;
    s.rows = {reinterpret_cast<std::uint8_t*>(result.pixels.data()),
              static_cast<std::size_t>(result.width) * 4, result.width, result.height, 4};
    s.indices = result.indices.data();
    s.palette = result.palette.data();
    if (!RunGuarded(s, Decompress)) result.errorCode = s.errorCode;
    FinishTurnedRows(s, result.height);
    result.rowsDecoded = s.rowsDecoded;
    result.palette.resize(static_cast<std::size_t>(s.paletteSize));
    return result;
}

DecodedJpeg DecodeJpegInto(const std::uint8_t* data, std::size_t size, bool screenEightBit,
                           const std::function<PixelRows(int width, int height)>& allocate,
                           const std::function<void(int y)>& rowDone, std::uint64_t budgetBytes,
                           int scaleDenominator) {
    DecodedJpeg result;
    if (size == 0) return result;
    Session s(data, size, budgetBytes);
    jpeg_decompress_struct& c = s.cinfo;
    ReadFrame(s, result, screenEightBit, budgetBytes);
    if (scaleDenominator == 2 || scaleDenominator == 4 || scaleDenominator == 8) {
        result.width = (result.width + scaleDenominator - 1) / scaleDenominator;
        result.height = (result.height + scaleDenominator - 1) / scaleDenominator;
    } else {
        scaleDenominator = 1;
    }
    const PixelRows rows = allocate(result.width, result.height);
    if (!rows.first || rows.width != result.width || rows.height != result.height ||
        (rows.pixelBytes != 3 && rows.pixelBytes != 4))
        return result;
    ApplySettings(c, result.eightBit, scaleDenominator);

    std::uint32_t palette[256] = {};
    s.eightBit = result.eightBit;
    s.rows = rows;
    s.anyFourthByte = true;
    s.rowDone = &rowDone;
    s.palette = palette;
    if (!RunGuarded(s, Decompress)) result.errorCode = s.errorCode;
    FinishTurnedRows(s, result.height);
    result.rowsDecoded = s.rowsDecoded;
    return result;
}

int JpegScaleDenominator(int width, int height, int drawWidth, int drawHeight) {
    if (drawWidth <= 0 || drawHeight <= 0) return 1;
    for (int d : {8, 4, 2})
        if ((width + d - 1) / d >= drawWidth && (height + d - 1) / d >= drawHeight) return d;
    return 1;
}

}  // namespace pelma

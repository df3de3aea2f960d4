#include "view/read_ahead.h"

#include <algorithm>

#include "view/animated_picture.h"
#include "view/file_access.h"
#include "view/formats/jpeg_reader.h"
#include "view/picture_graphics.h"
#include "view/picture_loader.h"

namespace pelma {

namespace {

std::uint64_t PixelBytes(std::uint64_t width, std::uint64_t height) { return width * height * 4; }

}  // namespace

ReadAhead::ReadAhead(std::uint64_t budgetBytes) : budget_(budgetBytes), worker_([this] { Work(); }) {}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool ReadAhead::Decodes(PictureKind kind) {
    switch (kind) {
        case PictureKind::Bitmap:
        case PictureKind::Jpeg:
        case PictureKind::Png:
        case PictureKind::Gif:
        case PictureKind::WebP:
        case PictureKind::Tiff:
        case PictureKind::Heif:
        case PictureKind::Avif:
            return true;
        case PictureKind::Icon:
        case PictureKind::Metafile:
            break;
    }
    return false;
}

// What a picture of width × height takes when drawn at drawWidth ×
// drawHeight: its pixels, at the decoding scale for a JPEG, and the copy
// scaled to the size drawn.
std::uint64_t ReadAhead::PictureBytes(PictureKind kind, int width, int height, int drawWidth,
                                      int drawHeight) {
    const int scale =
        kind == PictureKind::Jpeg ? JpegScaleDenominator(width, height, drawWidth, drawHeight) : 1;
    std::uint64_t bytes = PixelBytes((static_cast<std::uint64_t>(width) + scale - 1) / scale,
                                     (static_cast<std::uint64_t>(height) + scale - 1) / scale);
    if (drawWidth > 0 && drawHeight > 0 && (drawWidth != width || drawHeight != height))
        bytes += PixelBytes(static_cast<std::uint64_t>(drawWidth), static_cast<std::uint64_t>(drawHeight));
    return bytes;
}

bool ReadAhead::StampOf(const std::wstring& file, Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    {
        AsNamed asNamed;
        if (!GetFileAttributesExW(SystemPath(file).c_str(), GetFileExInfoStandard, &data)) return false;
    }
    stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    return true;
}

void ReadAhead::Want(std::vector<Wanted> wanted, COLORREF background, std::uint64_t shownBytes) {
    {
        std::lock_guard lock(mutex_);
        shownBytes_ = shownBytes;
        std::vector<std::shared_ptr<Entry>> kept;
        for (auto& e : entries_) {
            const bool stillWanted = e->background == background &&
                                     std::any_of(wanted.begin(), wanted.end(), [&](const Wanted& w) {
                                         return w.file == e->what.file && w.kind == e->what.kind;
                                     });
            if (stillWanted && !e->dropped) {
                kept.push_back(e);
            } else if (e->state == State::Running) {
                e->dropped = true;
                kept.push_back(e);
            }
        }
        for (auto& w : wanted) {
            if (!Decodes(w.kind)) continue;
            const bool have = std::any_of(kept.begin(), kept.end(), [&](const std::shared_ptr<Entry>& e) {
                return !e->dropped && e->what.file == w.file;
            });
            if (have) continue;
            auto e = std::make_shared<Entry>();
            e->what = std::move(w);
            e->background = background;
            kept.push_back(std::move(e));
        }
        entries_ = std::move(kept);
    }
    changed_.notify_all();
}

std::shared_ptr<ui::TGraphic> ReadAhead::Take(const std::wstring& file, PictureKind kind,
                                              COLORREF background) {
    std::shared_ptr<Entry> entry;
    {
        std::unique_lock lock(mutex_);
        const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const std::shared_ptr<Entry>& e) {
            return !e->dropped && e->what.file == file && e->what.kind == kind && e->background == background;
        });
        if (it == entries_.end()) return nullptr;
        entry = *it;
        if (entry->state == State::Queued) {
            // Not started: the step reads it itself, at once.
            entries_.erase(it);
            return nullptr;
        }
        // Half done already: finishing it is quicker than starting again.
        changed_.wait(lock, [&] { return entry->state == State::Ready; });
        entries_.erase(std::find(entries_.begin(), entries_.end(), entry));
    }
    Stamp now;
    if (!entry->picture || !StampOf(file, now) || !(now == entry->stamp)) return nullptr;
    return std::move(entry->picture);
}

void ReadAhead::Keep(const std::wstring& file, PictureKind kind, COLORREF background,
                     std::shared_ptr<ui::TGraphic> picture) {
    auto e = std::make_shared<Entry>();
    if (!StampOf(file, e->stamp)) return;
    e->what = {file, kind, picture->Width(), picture->Height()};
    e->background = background;
    e->state = State::Ready;
    e->bytes = PictureBytes(kind, picture->Width(), picture->Height(), 0, 0);
    e->picture = std::move(picture);
    std::lock_guard lock(mutex_);
    if (HeldBytes() + e->bytes > budget_) return;
    entries_.push_back(std::move(e));
}

void ReadAhead::Retain(const std::wstring& file) {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<Entry>> kept;
    for (auto& e : entries_) {
        if (e->what.file == file && !e->dropped) {
            kept.push_back(e);
        } else if (e->state == State::Running) {
            e->dropped = true;
            kept.push_back(e);
        }
    }
    entries_ = std::move(kept);
}

void ReadAhead::Clear() {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<Entry>> kept;
    for (auto& e : entries_) {
        if (e->state != State::Running) continue;
        e->dropped = true;
        kept.push_back(e);
    }
    entries_ = std::move(kept);
}

void ReadAhead::WaitUntilIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        return std::none_of(entries_.begin(), entries_.end(),
                            [](const std::shared_ptr<Entry>& e) { return e->state != State::Ready; });
    });
}

int ReadAhead::Ready() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(
        entries_.begin(), entries_.end(),
        [](const std::shared_ptr<Entry>& e) { return e->state == State::Ready && e->picture; }));
}

std::uint64_t ReadAhead::HeldBytes() const {
    std::uint64_t held = shownBytes_;
    for (const auto& e : entries_) held += e->bytes;
    return held;
}

std::shared_ptr<ui::TGraphic> ReadAhead::Decode(const Wanted& what, COLORREF background, std::uint64_t room,
                                                std::uint64_t& bytes) {
    // Known from the header, a picture that would not fit is never read.
    if (what.width > 0 &&
        PictureBytes(what.kind, what.width, what.height, what.drawWidth, what.drawHeight) > room)
        return nullptr;
    std::shared_ptr<ui::TGraphic> picture = LoadPicture(what.file, what.kind, background);
    bytes = PictureBytes(what.kind, picture->Width(), picture->Height(), what.drawWidth, what.drawHeight);
    if (bytes > room) return nullptr;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture.get())) {
        if (!jpeg->DecodeAhead(what.drawWidth, what.drawHeight)) return nullptr;
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(picture.get())) {
        bitmap->PrepareDraw(what.drawWidth, what.drawHeight);
    }
    return picture;
}

void ReadAhead::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        std::shared_ptr<Entry> next;
        changed_.wait(lock, [&] {
            if (stopping_) return true;
            for (auto& e : entries_)
                if (e->state == State::Queued) {
                    next = e;
                    return true;
                }
            return false;
        });
        if (stopping_) return;
        next->state = State::Running;
        const Wanted what = next->what;
        const COLORREF background = next->background;
        const std::uint64_t held = HeldBytes();
        const std::uint64_t room = held < budget_ ? budget_ - held : 0;
        lock.unlock();
        Stamp stamp;
        std::shared_ptr<ui::TGraphic> picture;
        std::uint64_t bytes = 0;
        // The time is read before the file: a change made while it is read shows.
        if (StampOf(what.file, stamp)) {
            try {
                picture = Decode(what, background, room, bytes);
            } catch (...) {
                // A damaged or unreadable file is reported when the user opens it.
                picture = nullptr;
            }
        }
        lock.lock();
        next->stamp = stamp;
        next->state = State::Ready;
        if (next->dropped) {
            entries_.erase(std::find(entries_.begin(), entries_.end(), next));
            lock.unlock();
            picture.reset();  // freed outside the lock
            next.reset();
            lock.lock();
        } else {
            next->picture = std::move(picture);
            next->bytes = next->picture ? bytes : 0;
        }
        changed_.notify_all();
    }
}

}  // namespace pelma

// Pictures read and decoded ahead of a step through the folder, on a thread
// of their own, so that the step paints at once. The one owner of that work:
// it is replaced or dropped whenever the user goes elsewhere, it never holds
// a file open beyond its read, and what it failed on is simply not there
// (the step then opens the file as any other open would, message included).
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/graphic.h"
#include "view/formats/picture_registry.h"

namespace pelma {

class ReadAhead {
public:
    struct Wanted {
        std::wstring file;
        PictureKind kind;
        int width = 0, height = 0;          // from its header; 0 × 0 when not known
        int drawWidth = 0, drawHeight = 0;  // the size it will be drawn at; 0 × 0: its own
    };

    // `budgetBytes`: what the shown picture and those read ahead may take together.
    explicit ReadAhead(std::uint64_t budgetBytes);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether pictures of this kind are decoded ahead (icons and metafiles
    // are made when shown).
    static bool Decodes(PictureKind kind);
    // The memory a picture of this kind and size takes when drawn at that size.
    static std::uint64_t PictureBytes(PictureKind kind, int width, int height, int drawWidth, int drawHeight);

    // The pictures to have ready, in order (at most two), beside a shown
    // picture of `shownBytes`; a picture no longer wanted is dropped (one
    // being decoded is dropped when it is done). One that would not fit in
    // the budget beside the shown one and the others is not made.
    void Want(std::vector<Wanted> wanted, COLORREF background, std::uint64_t shownBytes);
    // The picture read ahead for this file, of this kind and background, if
    // it is there and the file has not changed since (size, time of last
    // write); it is handed over, not kept. One being decoded is waited for.
    std::shared_ptr<ui::TGraphic> Take(const std::wstring& file, PictureKind kind, COLORREF background);
    // Holds a picture that was shown (its file unchanged since), as if it
    // had been read ahead: the step back to it shows it at once.
    void Keep(const std::wstring& file, PictureKind kind, COLORREF background,
              std::shared_ptr<ui::TGraphic> picture);
    // Drops every picture but the one of this file (the step goes there).
    void Retain(const std::wstring& file);
    // Drops every picture; one being decoded is dropped when it is done.
    void Clear();

    // For tests and benchmarks: waits until nothing is being decoded; the
    // number of pictures held ready.
    void WaitUntilIdle();
    int Ready();

private:
    struct Stamp {
        std::uint64_t size = 0;
        FILETIME written{};
        bool operator==(const Stamp& o) const {
            return size == o.size && CompareFileTime(&written, &o.written) == 0;
        }
    };
    enum class State { Queued, Running, Ready };
    struct Entry {
        Wanted what;
        COLORREF background = 0;
        State state = State::Queued;
        bool dropped = false;  // no longer wanted while it was decoded
        Stamp stamp;
        std::shared_ptr<ui::TGraphic> picture;
        std::uint64_t bytes = 0;
    };

    static bool StampOf(const std::wstring& file, Stamp& stamp);
    // Reads and decodes one picture; nothing when it fails or would break the budget.
    std::shared_ptr<ui::TGraphic> Decode(const Wanted& what, COLORREF background, std::uint64_t room,
                                         std::uint64_t& bytes);
    std::uint64_t HeldBytes() const;  // under mutex_
    void Work();

    const std::uint64_t budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::uint64_t shownBytes_ = 0;
    bool stopping_ = false;
    std::thread worker_;  // last: started once the rest is made
};

}  // namespace pelma

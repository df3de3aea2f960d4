// Stepping through the files of the shown file's folder: its family of
// files, in Explorer's order, listed once and listed again only when the
// folder changed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "view/file_kind.h"
#include "view/folder_order.h"

namespace pelma {

class FolderBrowser {
public:
    // The file a step from `current` goes to: a file (not a folder, not
    // hidden or system) of the same family, in the same folder, that exists
    // now; files that are gone are passed over. None at that end of the
    // folder, or when the folder cannot be read.
    std::optional<std::wstring> Step(const std::wstring& current, StepDirection direction);

    // How many times a folder has been read (a step reads it only when it changed).
    int Listings() const { return listings_; }

private:
    struct Listing {
        std::wstring folder;  // full path, without a trailing '\\' except at a root
        BrowseFamily family = BrowseFamily::Other;
        FILETIME written{};
        std::vector<std::wstring> names;  // in CompareLogical order
    };
    // The listing of `folder` for `family`, read again when the folder's
    // time of last change differs from the one read with it (or `force`).
    Listing* ListingFor(const std::wstring& folder, BrowseFamily family, bool force);

    Listing listing_;
    bool listed_ = false;
    int listings_ = 0;
};

}  // namespace pelma

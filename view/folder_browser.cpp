#include "view/folder_browser.h"

#include <algorithm>
#include <memory>

#include "ui/handles.h"
#include "view/file_access.h"

namespace pelma {

namespace {

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

// The folder and the name of a file, from its full path.
bool SplitFullPath(const std::wstring& fileName, std::wstring& folder, std::wstring& name) {
    const std::wstring path = SystemPath(fileName);
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return false;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    const auto at = full.find_last_of(L'\\');
    if (at == std::wstring::npos || at + 1 >= full.size()) return false;
    name = full.substr(at + 1);
    folder = full.substr(0, at);
    if (!folder.empty() && folder.back() == L':') folder += L'\\';  // "C:" alone would be a current folder
    return true;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

bool FolderWritten(const std::wstring& folder, FILETIME& written) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    AsNamed asNamed;
    if (!GetFileAttributesExW(SystemPath(folder).c_str(), GetFileExInfoStandard, &data)) return false;
    written = data.ftLastWriteTime;
    return true;
}

bool IsBrowsable(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

bool RecentlyChanged(const FILETIME& written) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart;
    };
    return ticks(now) - ticks(written) < 2 * 10'000'000ull;  // 100 ns ticks
}

}  // namespace

FolderBrowser::Listing* FolderBrowser::ListingFor(const std::wstring& folder, BrowseFamily family,
                                                  bool force) {
    FILETIME written{};
    if (!FolderWritten(folder, written)) return nullptr;
    if (!force && listed_ && listing_.folder == folder && listing_.family == family &&
        CompareFileTime(&listing_.written, &written) == 0)
        return &listing_;
    listed_ = false;
    listing_.folder = folder;
    listing_.family = family;
    listing_.written = written;
    listing_.names.clear();
    ++listings_;
    WIN32_FIND_DATAW found;
    std::unique_ptr<void, FindCloser> find;
    {
        AsNamed asNamed;
        find.reset(FindFirstFileExW(SystemPath(Join(folder, L"*")).c_str(), FindExInfoBasic, &found,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    }
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        return nullptr;
    }
    do {
        if (!IsBrowsable(found.dwFileAttributes)) continue;
        const std::wstring name = found.cFileName;
        if (BrowseFamilyOf(UpperCaseAscii(ExtractFileExt(name))) == family) listing_.names.push_back(name);
    } while (FindNextFileW(find.get(), &found));
    std::sort(listing_.names.begin(), listing_.names.end(),
              [](const std::wstring& a, const std::wstring& b) { return CompareLogical(a, b) < 0; });
    listed_ = true;
    return &listing_;
}

std::optional<std::wstring> FolderBrowser::Step(const std::wstring& current, StepDirection direction) {
    std::wstring folder, name;
    if (!SplitFullPath(current, folder, name)) return std::nullopt;
    const BrowseFamily family = BrowseFamilyOf(UpperCaseAscii(ExtractFileExt(name)));
    bool relisted = false;
    Listing* listing = ListingFor(folder, family, false);
    while (listing) {
        const std::optional<std::size_t> at = StepIndex(listing->names, name, direction);
        if (!at) {
            // At the end: a file may have come in within the resolution of
            // the folder's time (two seconds on FAT) after it was read.
            if (relisted || !RecentlyChanged(listing->written)) return std::nullopt;
            relisted = true;
            listing = ListingFor(folder, family, true);
            continue;
        }
        const std::wstring candidate = Join(folder, listing->names[*at]);
        if (IsBrowsable(NamedFileAttributes(candidate))) return candidate;
        // Gone since the folder was read: passed over, and forgotten.
        name = listing->names[*at];
        listing->names.erase(listing->names.begin() + static_cast<std::ptrdiff_t>(*at));
        if (direction == StepDirection::First) direction = StepDirection::Next;
        if (direction == StepDirection::Last) direction = StepDirection::Previous;
    }
    return std::nullopt;
}

}  // namespace pelma

// How a file name decides what the program does with the file: the one table
// of the extensions the program knows, read by the dispatch, the picture
// registry, the Open dialog's picture filter and folder browsing.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "view/formats/picture_registry.h"

namespace pelma {

enum class FileKind { RichText, Picture, Movie, Sound, TextOrHex };

// One extension the program knows.
struct KnownExtension {
    std::wstring_view upperExt;  // dot included: ".JPG"
    FileKind kind;
    // The reader of a picture; none for a picture extension that the
    // picture view refuses (".DIB").
    std::optional<PictureKind> reader;
    // Listed by the Open dialog's picture entry, and named in its title
    // (an alias such as ".JPEG" is listed only).
    bool inPictureFilter = false;
    bool inPictureFilterTitle = false;
};

// Every extension the program knows; any other is text or hex.
std::span<const KnownExtension> KnownExtensions();
// The row of an upper-cased extension (dot included), or nullptr.
const KnownExtension* FindKnownExtension(const std::wstring& upperExt);

// The part from the last '.' to the end, dot included, when no '\\' or ':'
// follows that dot; otherwise empty. File names are UTF-16, so a double-byte
// character can never be mistaken for a delimiter.
std::wstring ExtractFileExt(const std::wstring& fileName);

// The part after the last '\\' or ':'.
std::wstring ExtractFileName(const std::wstring& fileName);

// Maps 'a'..'z' to 'A'..'Z' and leaves every other character as it is.
std::wstring UpperCaseAscii(std::wstring text);

// The kind of an upper-cased extension (text or hex when it is not known).
FileKind ClassifyExtension(const std::wstring& upperExt);

// The files a step through a folder goes to from a file of this extension:
// pictures that the picture view opens, movies and sounds together, rich text,
// and text or hex for every other file.
enum class BrowseFamily { Pictures, Media, RichText, Other };
BrowseFamily BrowseFamilyOf(const std::wstring& upperExt);

// The Open dialog's picture entry: its title and its patterns, separated by
// a zero character and ended by one.
std::wstring PictureDialogFilter();

}  // namespace pelma

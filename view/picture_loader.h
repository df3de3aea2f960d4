// Reading a picture file into the picture kind that shows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/graphic.h"
#include "view/formats/decoded_picture.h"
#include "view/formats/picture_registry.h"

namespace pelma {

// The window pictures are shown in: its monitor's colour profile, as the
// system reports it (GetICMProfileW), is the one pictures with a profile of
// their own are converted to (see view/formats/colour_profile.h). Without a
// window, or without a profile, they are converted to sRGB.
void ShowPicturesIn(HWND window);

// Loads a picture file as the registry's kind for it: the file is read whole
// with other writers denied and closed again; raises the picture errors.
// Pixels with alpha are shown over `background`, the colour of the view
// behind the picture. The display's profile is asked for first, and read
// again when the system names another.
std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName, PictureKind kind,
                                          COLORREF background);

// A picture file's size from its first bytes (see PeekPictureSize), read
// with the loader's sharing and closed again; none when they do not tell it.
// Raises when the file cannot be opened.
std::optional<PictureInfo> PeekPictureFile(const std::wstring& fileName, PictureKind kind);

// The whole of an open picture file. A read that fails once the file is open
// ends the stream: EReadError with the stream-read message, whatever the cause.
std::vector<std::uint8_t> ReadPictureBytes(HANDLE file);

}  // namespace pelma

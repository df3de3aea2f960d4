// Reading a picture file into the picture kind that shows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/graphic.h"
#include "view/formats/picture_registry.h"

namespace pelma {

// Loads a picture file as the registry's kind for it: the file is read whole
// with other writers denied and closed again; raises the picture errors.
// Pixels with alpha are shown over `background`, the colour of the view
// behind the picture.
std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName, PictureKind kind,
                                          COLORREF background);

// The whole of an open picture file. A read that fails once the file is open
// ends the stream: EReadError with the stream-read message, whatever the cause.
std::vector<std::uint8_t> ReadPictureBytes(HANDLE file);

}  // namespace pelma

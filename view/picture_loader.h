// Reading a picture file into the picture kind that shows it.
#pragma once

#include <memory>
#include <string>

#include "ui/graphic.h"
#include "view/formats/picture_registry.h"

namespace pelma {

// Loads a picture file as the registry's kind for it: the file is read whole
// with other writers denied and closed again; raises the picture errors.
std::shared_ptr<ui::TGraphic> LoadPicture(const std::wstring& fileName, PictureKind kind);

}  // namespace pelma

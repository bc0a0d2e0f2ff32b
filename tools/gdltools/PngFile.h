// PNG bytes of an RGBA picture, by libpng: the only place the kit writes PNG.
#pragma once

#include <string>

#include "Error.h"
#include "LevelRender.h"

namespace gdl {

Result<std::string> EncodePng(const RgbaImage& image);

}  // namespace gdl

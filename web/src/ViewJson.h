// The player's and the chooser's view data as JSON, for the page to render as
// the Qt forms render the same structs. Texts stay the core's Windows-1252
// bytes: each byte above 0x7F is written as \u00XX, which the page turns
// back into bytes and decodes as Windows-1252.
#pragma once

#include <string>
#include <string_view>

#include "Chooser.h"
#include "PlayerView.h"

namespace gdl {

std::string JsonText(std::string_view bytes);
std::string ViewJson(const PlayerView& view);
std::string ChooserJson(const ChooserView& view);

}  // namespace gdl

// The player's and the chooser's view data as JSON, for the page to render as
// the Qt forms render the same structs. Texts stay the core's Windows-1252
// bytes: each byte above 0x7F is written as \u00XX, which the page turns
// back into bytes and decodes as Windows-1252.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "Chooser.h"
#include "PlayerView.h"

namespace gdl {

std::string JsonText(std::string_view bytes);

// The page's word for a value of one of the core's enums: the table's, or
// `other` for a value the table leaves out.
template <typename E, std::size_t N>
const char* PageName(E value, const std::pair<E, const char*> (&names)[N], const char* other) {
    for (const auto& [known, name] : names)
        if (known == value) return name;
    return other;
}

std::string ViewJson(const PlayerView& view);
std::string ChooserJson(const ChooserView& view);

}  // namespace gdl

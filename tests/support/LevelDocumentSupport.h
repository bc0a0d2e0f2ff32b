// The level document's tests share these: a document from text, an edit
// that must be accepted, and a source laid out as a hand-written file is.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "LevelDocument.h"
#include "LevelEdits.h"

namespace gdltest {

inline gdl::LevelDocument Load(std::string_view text) {
    auto doc = gdl::LevelDocument::FromBytes(text, "test.lvs");
    EXPECT_TRUE(doc.Ok()) << doc.Err().Message();
    return std::move(doc).Value();
}

inline gdl::EditCommand Must(gdl::Result<gdl::EditCommand> command) {
    EXPECT_TRUE(command.Ok()) << command.Err().Message();
    return command.Ok() ? std::move(command).Value() : gdl::EditCommand{};
}

// A two-level source with the layouts a hand-written file has.
inline const std::string kHandWrittenSource =
    "; two levels\n"
    "\n"
    "level ONE\n"
    "name  First\n"
    "time  2:30\n"
    "quota 1\n"
    "map\n"
    "XXXXX\n"
    "X@*EX\n"
    "XXXXX\n"
    "end\n"
    "\n"
    "; the second\n"
    "level TWO\n"
    "time  1:00\n"
    "map\n"
    "  XXXX\n"
    "  X@EX\n"
    "  XXXX\n"
    "end";

}  // namespace gdltest

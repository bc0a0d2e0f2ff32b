// The one decision of what a level source file is, taken by every program
// and tool that reads one (ld.exe, GDLTools.exe, GDLMap, GDLEdit): a regular
// file of at most kMaxSourceBytes without NUL bytes. A read error or a
// refusal is a message, never an exception.
#pragma once

#include <string>
#include <string_view>

#include "Error.h"

namespace gdl {

// The bytes of a source, or why they are no source; name is how messages
// name it ("NAME is not a level source: it holds binary data").
Result<void> CheckSourceBytes(std::string_view bytes, const std::string& name);
// Reads and checks the file: "cannot read NAME: Input/output error",
// "NAME is too large for a level source (...)", "NAME is not a regular file".
Result<std::string> ReadSourceFile(const std::string& path, const std::string& name = {});

}  // namespace gdl

// The questions GDLMap asks, through the prompts port: the text and the
// buttons are decided here, the answer is the port's enum, and what follows
// from it is done here, so tests answer with a scripted double.
#pragma once

#include <cstddef>
#include <string>

#include "Error.h"
#include "Prompts.h"

namespace gdl {

class MapEditor;

inline constexpr char kMapCaption[] = "GDLMap";

// A failed command, shown as a warning; nothing when it worked.
void ReportProblem(Prompts& prompts, const Result<void>& result);

// "Delete level NAME?", Yes deletes it.
Result<void> AskDeleteLevel(MapEditor& session, Prompts& prompts);
// Reload from the File menu: with unsaved edits it asks first.
Result<void> AskReload(MapEditor& session, Prompts& prompts);

enum class CloseAnswer { Close, Stay };
// "Save changes to NAME?" with Save, Discard and Cancel: a failed save
// stays open.
CloseAnswer AskClose(MapEditor& session, Prompts& prompts);

// What Replace All says after it ran: "Replaced 12 tiles of steel wall
// with wall in the whole source."
std::string ReplaceReport(std::size_t count, const std::string& from, const std::string& to,
                          bool wholeSource);

// The status bar's hint while a field has the keyboard.
inline constexpr char kBackToMapHint[] = "Esc or a click on the map returns the keys to the map";

}  // namespace gdl

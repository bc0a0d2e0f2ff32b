// The questions GDLMap asks, through the prompts port: the text and the
// buttons are decided here, the answer is the port's enum, and what follows
// from it is done here, so tests answer with a scripted double.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "Error.h"
#include "Prompts.h"

namespace gdl {

class MapEditor;

inline constexpr char kMapCaption[] = "GDLMap";

// A failed command, shown as a warning; nothing when it worked.
void ReportProblem(Prompts& prompts, const Result<void>& result);

// "Delete level NAME (lines 5 to 12)?", Yes deletes it.
Result<void> AskDeleteLevel(MapEditor& session, Prompts& prompts);
// Reload from the File menu: with unsaved edits it asks first.
// reload does it (the file session's, which starts the journal again);
// without, the session reloads alone.
Result<void> AskReload(MapEditor& session, Prompts& prompts,
                       const std::function<Result<void>()>& reload = {});

enum class CloseAnswer { Close, Discard, Stay };
// "Save changes to NAME?" with Save, Discard and Cancel: a failed save
// stays open. `save` writes the file as the window saves it (refusing a
// read-only file, asking before overwriting another program's change); by
// default the session's own Save.
CloseAnswer AskClose(MapEditor& session, Prompts& prompts, const std::function<bool()>& save = {});

// What Replace All says after it ran: "Replaced 12 tiles of steel wall
// with wall in the whole source."
std::string ReplaceReport(std::size_t count, const std::string& from, const std::string& to,
                          bool wholeSource);

// The status bar's hint while a field has the keyboard.
inline constexpr char kBackToMapHint[] = "Esc or a click on the map returns the keys to the map";

}  // namespace gdl

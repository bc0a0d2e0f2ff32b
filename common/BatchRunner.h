// Our own runner for the kit's batch files (see BatchScript.h for the lines
// it understands). No shell is involved, so no file name can inject a command.
#pragma once

#include <functional>
#include <string>

#include "BatchScript.h"
#include "Process.h"

namespace gdl {

// Runs a parsed script in folder: commands in order, each waited for, with the
// set variables in the environment. processEvents runs while a command runs
// (see ProcessWait). errorOutput, when given, receives what the hidden
// commands wrote to their standard error. Returns 0 or an error number.
int RunBatchScript(const BatchScript& script, const std::string& folder, bool shown,
                   const std::function<void()>& processEvents, std::string* errorOutput = nullptr);

// As RunBatchScript, but the script runs on in a child process of its own and
// the call returns as soon as it has started; it outlives the caller.
int StartBatchScript(const BatchScript& script, const std::string& folder, bool shown);

}  // namespace gdl

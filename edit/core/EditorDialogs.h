// The editor's modal dialogs as a port: TfAddS (copy/move/cancel), TfHint and
// TfDes. The Qt layer shows the real dialogs; tests script the answers.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProjectFile.h"

namespace gdl {

class DesignersDialog;

enum class AddSourceAnswer { Copy, Move, Cancel };

// What TfAddS shows. Closing the dialog answers Cancel.
struct AddSourceRequest {
    std::string caption;
    std::string line1;
    std::string line2;
    bool copyVisible = true;
    std::string copyCaption = "&Copy";
    std::string moveCaption = "&Move";
    std::string cancelCaption = "Cancel";
};

class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;
    virtual AddSourceAnswer AskAddSource(const AddSourceRequest& request) = 0;
    // TfHint: caption, bold title line, text (at most 320 characters, no line
    // breaks). The text on OK, nullopt on Cancel.
    virtual std::optional<std::string> EditHint(const std::string& caption,
                                                const std::string& title,
                                                const std::string& text) = 0;
    // TfDes over an opened dialog core: true on "&Update", false on "&Cancel".
    // The form forwards every event to the core and renders its state.
    virtual bool EditDesigners(DesignersDialog& dialog) = 0;
};

}  // namespace gdl

// The editor's pictures, drawn at start-up so that the kit carries no
// artwork files. All share one palette and a 32-unit drawing grid.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace gdl {

enum class IconId {
    App,
    NewProject,
    OpenProject,
    MergeProject,
    SaveProject,
    Properties,
    Source,
    Levels,
    Build,
    Playtest,
    Help,
    Exit,
    ArrowLeft,
    ArrowRight,
    Included,
    NotIncluded,
    InfoError,
    Hidden,
    HintYes,
    HintNo,
    MusicNote,
    AddSource,
};

// One picture at size x size device-independent pixels.
QPixmap IconPixmap(IconId id, int size);
// The picture at the usual sizes (16 to 48), for buttons and menus.
QIcon MakeIcon(IconId id);

}  // namespace gdl

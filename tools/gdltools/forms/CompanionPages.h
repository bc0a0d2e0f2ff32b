// The companion's window: one page class each for the kit's about page, the
// viewer of a level set or project, and the port mapping.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "SetView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace gdl {

class MapView;
class Registry;

// The map of a level, one pixel a tile, in the tile legend's colours.
QImage MapImage(const SetViewLevel& level);

class AboutPage : public QWidget {
public:
    AboutPage(const std::string& toolFolder, QWidget* parent = nullptr);
};

class SetViewPage : public QWidget {
public:
    SetViewPage(SetView view, QWidget* parent = nullptr);
    // Shows the map of the level in table row `row`.
    void SelectLevel(int row);
    QTableWidget* Levels() const { return levels_; }
    MapView* Map() const { return map_; }
    // "Show codes and hints": the codes and hints columns stay hidden until
    // it is ticked, so a player looking at the set is not told them.
    QCheckBox* ShowCodes() const { return showCodes_; }

private:
    SetView view_;
    QTableWidget* levels_;
    MapView* map_;
    QLabel* mapCaption_;
    QCheckBox* showCodes_;
};

class PortsPage : public QWidget {
public:
    PortsPage(Registry& registry, std::string devRoot, QWidget* parent = nullptr);
    // Rereads the registry and the devices present.
    void Refresh();
    // Stores each port's choice; the status line says what happened.
    void Apply();
    QComboBox* Choice(int port) const { return choices_[port]; }
    QLabel* Status() const { return status_; }

private:
    Registry& registry_;
    std::string devRoot_;
    QComboBox* choices_[4];
    QLabel* opens_[4];
    QLabel* status_;
};

// The window: the about page, the viewer when a file was named (or the
// message why it cannot be shown), and the ports.
class CompanionWindow : public QWidget {
public:
    CompanionWindow(const std::string& toolFolder, const std::string& file, Registry& registry,
                    QWidget* parent = nullptr);
    SetViewPage* Viewer() const { return viewer_; }
    PortsPage* Ports() const { return ports_; }

private:
    SetViewPage* viewer_ = nullptr;
    PortsPage* ports_ = nullptr;
};

// GDLTools.exe with a display: the window for file ("" for none).
int RunCompanionWindow(int argc, char** argv, const std::string& file);

}  // namespace gdl

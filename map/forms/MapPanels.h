// GDLMap's panels, each a class of its own over the session: the levels
// with their thumbnails, the shown level's figures, the problems of the
// source and the undo history. A panel shows what the session holds and
// says what the user did through its signals; the window forwards them.
#pragma once

#include <QListWidget>
#include <QWidget>
#include <vector>

#include "MapEditor.h"

class QAction;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace gdl {

class LevelsPanel : public QWidget {
    Q_OBJECT
public:
    // The buttons under the list are the commands' own actions.
    LevelsPanel(const std::vector<QAction*>& buttons, QWidget* parent = nullptr);
    QListWidget* List() const { return list_; }
    // Names and thumbnails of every level; the shown one current.
    void Show(const MapEditor& session);
    void ShowCurrent(const MapEditor& session);

signals:
    void levelPicked(int index);
    void levelMoved(int from, int to);

private:
    QListWidget* list_;
    bool showing_ = false;
};

class PropertiesPanel : public QWidget {
    Q_OBJECT
public:
    explicit PropertiesPanel(QWidget* parent = nullptr);
    void Show(const MapEditor& session);
    // The fields whose Enter, or leaving them, commits.
    std::vector<QWidget*> Fields() const;

signals:
    // What the panel showed and what it holds now.
    void fieldsEdited(const LevelFields& shown, const LevelFields& edited);
    void resizeAsked(int width, int height, ResizeAnchor anchor);
    // Enter in a field: the map may take the keyboard back.
    void committed();

private:
    void Commit();
    LevelFields Edited() const;

    QLineEdit* eLevelName_;
    QLineEdit* eLongName_;
    QSpinBox* eTime_;
    QSpinBox* eQuota_;
    QSpinBox* eWidth_;
    QSpinBox* eHeight_;
    QComboBox* cAnchor_;
    LevelFields shown_;
    bool showing_ = false;
};

class ProblemsPanel : public QListWidget {
    Q_OBJECT
public:
    explicit ProblemsPanel(QWidget* parent = nullptr);
    void Show(const std::vector<MapProblem>& problems);

signals:
    void problemPicked(int index);
};

class HistoryPanel : public QListWidget {
    Q_OBJECT
public:
    explicit HistoryPanel(QWidget* parent = nullptr);
    // "(opened)" and every command; the undone ones grey.
    void Show(const std::vector<std::string>& texts, std::size_t done);

signals:
    // A click on an entry: the state after that many commands.
    void stepPicked(std::size_t done);

private:
    bool showing_ = false;
};

}  // namespace gdl

// What the page forms of TfProj share: the way a page runs a command of the
// core, one descriptor per push button that both makes it and shows it, and
// the small widgets the pages are built from.
#pragma once

#include <QPushButton>
#include <QString>
#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ProjectWindow.h"

class QGridLayout;
class QHBoxLayout;
class QLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QVBoxLayout;
class QWidget;

namespace gdl {

// A command of the core: a handler of one of the project window's parts.
using Command = std::function<void(ProjectWindow&)>;

// The part of the window whose handlers a control calls.
template <class Part>
Part& PartOf(ProjectWindow& w) {
    return std::get<Part&>(std::tie(w.Files(), w.Pages(), w.Options(), w.Props(), w.Source(),
                                    w.Levels(), w.Build(), w.Tests()));
}

// The command that runs handler on its part: a control's one hop to the core.
template <class Part>
Command On(void (Part::*handler)()) {
    return [handler](ProjectWindow& w) { (PartOf<Part>(w).*handler)(); };
}

// The window a page belongs to: it runs one command of the core at a time.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual void Forward(const Command& command) = 0;
};

// A push button of a page: its caption, control name, tooltip, the core's
// handler of its click and the flag of the page's view that enables it.
template <class View>
struct ButtonControl {
    const char* caption;
    const char* name;
    const char* tip;
    Command click;
    bool View::*enabled = nullptr;  // nullptr: always enabled
};

QPushButton* Button(QWidget* parent, const QString& caption, const QString& name,
                    const QString& tip = {});

// The buttons of one page, made from their descriptors and rendered from the
// page's view.
template <class View>
class PageButtons {
public:
    explicit PageButtons(CommandRunner& runner) : runner_(runner) {}

    QPushButton* Add(QWidget* parent, const ButtonControl<View>& control) {
        QPushButton* button =
            Button(parent, QString::fromLatin1(control.caption), QString::fromLatin1(control.name),
                   QString::fromLatin1(control.tip));
        CommandRunner& runner = runner_;
        auto click = control.click;
        QObject::connect(button, &QPushButton::clicked, button,
                         [&runner, click] { runner.Forward(click); });
        buttons_.emplace_back(button, control.enabled);
        return button;
    }

    // Makes the buttons and lays them out row by row, columns to a row.
    QGridLayout* Grid(QWidget* parent, int columns,
                      std::initializer_list<ButtonControl<View>> controls);

    void Render(const View& view) const {
        for (const auto& [button, enabled] : buttons_)
            if (enabled) button->setEnabled(view.*enabled);
    }

private:
    CommandRunner& runner_;
    std::vector<std::pair<QPushButton*, bool View::*>> buttons_;
};

// What every page form holds: the runner its controls forward to, and the
// buttons the page's view enables.
template <class View>
class PageForm {
public:
    explicit PageForm(CommandRunner& runner) : runner_(runner), buttons_(runner) {}

protected:
    CommandRunner& runner_;
    PageButtons<View> buttons_;
};

// What a page form gives its window: the page's fields and its arrows.
struct PageContent {
    QWidget* content = nullptr;
    QPushButton* back = nullptr;
    QPushButton* next = nullptr;
};

// The read-only level information boxes of a page.
struct LevelInfoBoxes {
    QLineEdit* name = nullptr;
    QLineEdit* size = nullptr;
    QLineEdit* time = nullptr;
    QLineEdit* quota = nullptr;
};

// Room between fields that share a row; the style's own spacing is none here.
inline constexpr int kRowSpacing = 6;

// A grid of buttons, columns to a row.
QGridLayout* ButtonGridOf(int columns, const std::vector<QPushButton*>& buttons);
QLabel* Caption(const QString& text, QWidget* parent, QWidget* buddy = nullptr);
// A list under its caption, its buttons under it; the list takes the height.
QVBoxLayout* ListColumn(const QString& caption, QListWidget* list, QLayout* buttons);
// A box the user cannot type into, painted in the window's colour.
QLineEdit* ReadOnlyBox(QWidget* parent, const QString& name, int width = 0);
QListWidget* List(QWidget* parent, const QString& name);
// A password or wizard code box: 4 characters, upper case.
QLineEdit* CodeBox(QWidget* parent, const QString& name);
// A page's arrow button, running the core's page command.
QPushButton* ArrowButton(CommandRunner& runner, bool right, const QString& name, const QString& tip,
                         Command click);
void SetText(QLineEdit* box, const QString& text);
void SetText(QLabel* label, const QString& text);
void SetValue(QSpinBox* box, int value);
// Sets a tooltip as WrapToolTip breaks it, so it never grows wider than the
// screen.
void SetToolTip(QWidget* widget, const QString& tip);
// Widgets side by side, kept to the left.
QHBoxLayout* LeftRow(std::initializer_list<QWidget*> widgets);
// The level label beside "Level:".
QLabel* LevelNumber(QWidget* parent, const QString& name);
// eName, eSize, eTime and eQuota followed by the page's letter.
LevelInfoBoxes MakeInfoBoxes(QWidget* parent, QChar page);
// The three number boxes under their captions.
std::array<std::pair<QString, QLineEdit*>, 3> Numbers(const LevelInfoBoxes& boxes);
void ShowInfo(const LevelInfoBoxes& boxes, const std::string& name, const std::string& size,
              const std::string& time, const std::string& quota);

template <class View>
QGridLayout* PageButtons<View>::Grid(QWidget* parent, int columns,
                                     std::initializer_list<ButtonControl<View>> controls) {
    std::vector<QPushButton*> made;
    for (const ButtonControl<View>& control : controls) made.push_back(Add(parent, control));
    return ButtonGridOf(columns, made);
}

}  // namespace gdl

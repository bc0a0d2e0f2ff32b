// Small widgets the forms share: the controls of the original toolkit that Qt
// has no exact counterpart for.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QValidator>
#include <functional>
#include <string>
#include <vector>

#include "QtText.h"

namespace gdl {

// A multi-line box with a length limit that takes no line breaks: Enter goes
// to the window (a dialog's default button), pasted line breaks become blanks.
class MemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MemoEdit(int maxLength, QWidget* parent = nullptr);
    // Sets the text without emitting textEdited; an equal text is left alone so
    // the cursor stays where the user put it.
    void SetTextQuiet(const QString& text);
    int MaxLength() const { return maxLength_; }

signals:
    // Only for changes the user made.
    void textEdited(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void OnTextChanged();
    int maxLength_;
    bool quiet_ = false;
};

// Turns typed and pasted letters into capitals.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A picture that keeps its place in the layout while hidden.
QLabel* MakePicture(QWidget* parent, const QPixmap& pixmap, const QString& objectName);

// Brings a list's items in line with texts, touching only rows that differ.
void SyncList(QListWidget* list, const std::vector<std::string>& items,
              QString (*convert)(std::string_view) = &ToQString);

// Makes row the current and only selected row; -1 selects nothing.
void SelectRow(QListWidget* list, int row);
// The selected row of a single-selection list, or -1.
int SelectedRow(const QListWidget* list);

// A click on a list row, as one event: a change of the selection by mouse or
// keyboard, or a click on the row that was already selected. The row a list
// makes current by itself when it takes the focus is no click.
void ConnectListClick(QListWidget* list, QObject* context, std::function<void()> click);

// Escapes "&" so that a text shows as it is in a caption that takes mnemonics.
QString EscapeMnemonics(const QString& text);

}  // namespace gdl

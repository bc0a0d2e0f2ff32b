// The player window's own widgets: the code field and the panels' texts.
#pragma once

#include <QLabel>
#include <QLineEdit>

namespace gdl {

// The field always holds a whole code (the level's, or "????"): entering it
// selects that code, so what is typed replaces it.
class CodeEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    void SetText(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// A panel's text in white bold; one too wide for its panel is drawn smaller
// rather than cut off at both ends (a set title may have 40 characters).
class PanelText : public QLabel {
public:
    PanelText(QWidget* panel, int pointSize);
    void Show(const QString& text);

private:
    int pointSize_;
};

}  // namespace gdl

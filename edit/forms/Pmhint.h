// TfHint: edits the hint of one level entry.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLabel;

namespace gdl {

class MemoEdit;

class TfHint : public QDialog {
    Q_OBJECT
public:
    explicit TfHint(QWidget* parent = nullptr);

    // The text on OK, nothing on Cancel.
    std::optional<std::string> Edit(const std::string& caption, const std::string& title,
                                    const std::string& text);
    // Fills the dialog without showing it.
    void Prepare(const std::string& caption, const std::string& title, const std::string& text);
    std::string Text() const;

private:
    QLabel* title_;
    MemoEdit* eHint_;
};

}  // namespace gdl

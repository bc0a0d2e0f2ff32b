// TfHint, the player's hint dialog: caption, label and memo set by the caller.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace gdl {
class MemoEdit;
}

// The player's hint dialog; the editor has a TfHint of its own.
namespace gdl::play {

class TfHint : public QDialog {
    Q_OBJECT
public:
    explicit TfHint(QWidget* parent = nullptr);
    void ShowHint(const std::string& caption, const std::string& label, const std::string& memo);

private:
    QLabel* Label1 = nullptr;
    MemoEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace gdl::play

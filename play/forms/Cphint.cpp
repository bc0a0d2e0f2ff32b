#include "Cphint.h"

#include <QLabel>
#include <QPushButton>

#include "FormWidgets.h"
#include "LevelSetFile.h"
#include "PlayerPictures.h"
#include "QtText.h"

namespace gdl::play {

TfHint::TfHint(QWidget* parent) : QDialog(parent) {
    setObjectName("fHint");
    setWindowTitle("Hint for Level");
    Label1 = FrameGemDialog(this, QSize(259, 190), 8, QRect(32, 8, 219, 20));
    Memo1 = new MemoEdit(static_cast<int>(kHintChars), this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setGeometry(8, 34, 243, 114);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button1->setGeometry(92, 156, 75, 26);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TfHint::ShowHint(const std::string& caption, const std::string& label,
                      const std::string& memo) {
    setWindowTitle(ToQString(caption));
    Label1->setText(ToQString(label));
    Memo1->SetTextQuiet(ToQString(memo));
    exec();
}

}  // namespace gdl::play

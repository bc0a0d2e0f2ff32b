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
    setFixedSize(259, 190);
    // A dialog border: a title and the close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* image = new QLabel(this);
    image->setObjectName("Image1");
    image->setPixmap(GemPicture());
    image->setGeometry(8, 10, 16, 16);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(32, 8, 219, 20);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
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

#include "ReplaceDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "TileImages.h"

namespace gdl {

namespace {

QComboBox* TileChoice(const char* name) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    // The tile's code is the item's data: nothing is decided on its text.
    for (const auto& info : TileLegend())
        box->addItem(TileIcon(static_cast<std::uint8_t>(info.tile), 18),
                     QString("%1  %2").arg(QChar(info.symbol)).arg(info.name),
                     static_cast<int>(info.tile));
    return box;
}

Tile Chosen(const QComboBox* box) {
    return static_cast<Tile>(box->currentData().toInt());
}

}  // namespace

ReplaceDialog::ReplaceDialog(Replace replace, QWidget* parent)
    : QDialog(parent), replace_(std::move(replace)) {
    setObjectName("replaceDialog");
    setWindowTitle("Replace All");
    cFrom_ = TileChoice("cFrom");
    cTo_ = TileChoice("cTo");
    cWhere_ = new QComboBox;
    cWhere_->setObjectName("cWhere");
    cWhere_->addItem("This level", false);
    cWhere_->addItem("The whole source", true);
    lReport_ = new QLabel;
    lReport_->setObjectName("lReport");
    auto* form = new QFormLayout;
    form->addRow("&Replace:", cFrom_);
    form->addRow("&With:", cTo_);
    form->addRow("&In:", cWhere_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* go = buttons->addButton("Replace &All", QDialogButtonBox::ApplyRole);
    go->setObjectName("bReplaceAll");
    go->setDefault(true);
    connect(go, &QPushButton::clicked, this, [this] {
        lReport_->setText(replace_(Chosen(cFrom_), Chosen(cTo_), cWhere_->currentData().toBool()));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lReport_);
    layout->addWidget(buttons);
}

void ReplaceDialog::Start(Tile from) {
    cFrom_->setCurrentIndex(cFrom_->findData(static_cast<int>(from)));
    lReport_->clear();
    open();
}

QString ReplaceDialog::Report() const {
    return lReport_->text();
}

}  // namespace gdl

#include "Pmadds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormWidgets.h"
#include "Icons.h"
#include "QtText.h"

namespace gdl {

TfAddS::TfAddS(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fAddS"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* image = MakePicture(this, IconPixmap(IconId::AddSource, 48), QStringLiteral("Image1"));
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {label1_, label2_}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(360);
    }

    bCopy_ = new QPushButton(this);
    bCopy_->setObjectName(QStringLiteral("bCopy"));
    bMove_ = new QPushButton(this);
    bMove_->setObjectName(QStringLiteral("bMove"));
    bCancel_ = new QPushButton(this);
    bCancel_->setObjectName(QStringLiteral("bCancel"));
    bCopy_->setDefault(true);
    connect(bCopy_, &QPushButton::clicked, this, [this] {
        answer_ = AddSourceAnswer::Copy;
        accept();
    });
    connect(bMove_, &QPushButton::clicked, this, [this] {
        answer_ = AddSourceAnswer::Move;
        accept();
    });
    connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* texts = new QVBoxLayout;
    texts->addWidget(label1_);
    texts->addSpacing(6);
    texts->addWidget(label2_);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bCopy_);
    buttons->addWidget(bMove_);
    buttons->addWidget(bCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfAddS::Prepare(const AddSourceRequest& request) {
    setWindowTitle(ToQString(request.caption));
    // The lines name files, so they are shown as paths would be.
    label1_->setText(DisplayText(request.line1));
    label2_->setText(DisplayText(request.line2));
    bCopy_->setText(ToQString(request.copyCaption));
    bCopy_->setVisible(request.copyVisible);
    bMove_->setText(ToQString(request.moveCaption));
    bCancel_->setText(ToQString(request.cancelCaption));
    bCopy_->setDefault(request.copyVisible);
}

AddSourceAnswer TfAddS::Ask(const AddSourceRequest& request) {
    Prepare(request);
    answer_ = AddSourceAnswer::Cancel;
    if (exec() != QDialog::Accepted) return AddSourceAnswer::Cancel;
    return answer_;
}

}  // namespace gdl

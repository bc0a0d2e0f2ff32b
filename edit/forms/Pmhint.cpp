#include "Pmhint.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "EditorDialogs.h"
#include "FormWidgets.h"
#include "QtText.h"

namespace gdl {

TfHint::TfHint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fHint"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("lTitle"));
    title_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    eHint_ = new MemoEdit(static_cast<int>(kMaxHintLength), this);
    eHint_->setObjectName(QStringLiteral("eHint"));
    eHint_->setFixedSize(380, 110);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("bCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(eHint_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfHint::Prepare(const std::string& caption, const std::string& title,
                     const std::string& text) {
    setWindowTitle(ToQString(caption));
    title_->setText(ToQString(title));
    eHint_->SetTextQuiet(ToQString(text).left(static_cast<int>(kMaxHintLength)));
    eHint_->setFocus();
}

std::string TfHint::Text() const {
    return FromQString(eHint_->toPlainText());
}

std::optional<std::string> TfHint::Edit(const std::string& caption, const std::string& title,
                                        const std::string& text) {
    Prepare(caption, title, text);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return Text();
}

}  // namespace gdl

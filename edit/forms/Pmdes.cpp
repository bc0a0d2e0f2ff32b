#include "Pmdes.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "DesignersDialog.h"
#include "FormWidgets.h"
#include "QtText.h"

namespace gdl {
namespace {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& name) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter belongs to the list and the edit box here, never to a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

TfDes::TfDes(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fDes"));
    setWindowTitle(QStringLiteral("Add/Edit Designers"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    bAdd_ = MakeButton(this, QStringLiteral("&Add"), QStringLiteral("bAdd"));
    bEdit_ = MakeButton(this, QStringLiteral("&Edit"), QStringLiteral("bEdit"));
    bRemove_ = MakeButton(this, QStringLiteral("&Remove"), QStringLiteral("bRemove"));
    QPushButton* bUpdate = MakeButton(this, QStringLiteral("&Update"), QStringLiteral("bUpdate"));
    QPushButton* bCancel = MakeButton(this, QStringLiteral("&Cancel"), QStringLiteral("bCancel"));

    cList_ = new QListWidget(this);
    cList_->setObjectName(QStringLiteral("cList"));
    cList_->setFixedSize(220, 200);
    cList_->installEventFilter(this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("edit"));
    edit_->setFixedWidth(220);
    edit_->installEventFilter(this);

    ConnectListClick(cList_, this, [this] { cListClick(); });
    connect(cList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { cListDblClick(); });
    connect(edit_, &QLineEdit::textEdited, this, &TfDes::editChange);
    connect(bAdd_, &QPushButton::clicked, this, &TfDes::bAddClick);
    connect(bEdit_, &QPushButton::clicked, this, &TfDes::bEditClick);
    connect(bRemove_, &QPushButton::clicked, this, &TfDes::bRemoveClick);
    connect(bUpdate, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* commands = new QVBoxLayout;
    commands->addWidget(bAdd_);
    commands->addWidget(bEdit_);
    commands->addWidget(bRemove_);
    commands->addStretch();
    auto* names = new QVBoxLayout;
    names->addWidget(cList_);
    names->addWidget(edit_);
    auto* top = new QHBoxLayout;
    top->addLayout(names);
    top->addLayout(commands);
    auto* answers = new QHBoxLayout;
    answers->addStretch();
    answers->addWidget(bUpdate);
    answers->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(answers);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfDes::Bind(DesignersDialog* dialog) {
    dialog_ = dialog;
    if (dialog_) Render();
}

bool TfDes::Edit(DesignersDialog& dialog) {
    Bind(&dialog);
    cList_->setFocus();
    const bool update = exec() == QDialog::Accepted;
    Bind(nullptr);
    return update;
}

template <class Command>
void TfDes::Forward(Command command) {
    if (!dialog_ || rendering_) return;
    command(*dialog_);
    Render();
}

void TfDes::cListClick() {
    Forward([this](DesignersDialog& d) { d.cListClick(SelectedRow(cList_)); });
}
void TfDes::cListDblClick() {
    Forward([](DesignersDialog& d) { d.cListDblClick(); });
}
void TfDes::bEditClick() {
    Forward([](DesignersDialog& d) { d.bEditClick(); });
}
void TfDes::bAddClick() {
    Forward([](DesignersDialog& d) { d.bAddClick(); });
}
void TfDes::bRemoveClick() {
    Forward([](DesignersDialog& d) { d.bRemoveClick(); });
}
void TfDes::editChange(const QString& text) {
    Forward([&text](DesignersDialog& d) { d.editChange(FromQString(text)); });
}
void TfDes::editEnter() {
    Forward([](DesignersDialog& d) { d.editEnter(); });
}

bool TfDes::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == cList_) bEditClick();
            if (watched == edit_) editEnter();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfDes::Render() {
    if (!dialog_) return;
    rendering_ = true;
    const DesignersDialog& d = *dialog_;
    SyncList(cList_, d.Items());
    SelectRow(cList_, d.Selected());
    const QString text = ToQString(d.EditText());
    if (edit_->text() != text) edit_->setText(text);
    edit_->setEnabled(d.EditBoxEnabled());
    bEdit_->setEnabled(d.EditButtonEnabled());
    bRemove_->setEnabled(d.RemoveButtonEnabled());
    if (isVisible()) {
        QWidget* target = d.FocusTarget() == DesignersDialog::Focus::Edit && d.EditBoxEnabled()
                              ? static_cast<QWidget*>(edit_)
                              : static_cast<QWidget*>(cList_);
        target->setFocus();
    }
    rendering_ = false;
}

}  // namespace gdl

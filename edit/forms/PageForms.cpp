#include "PageForms.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QSpinBox>

#include "FormWidgets.h"
#include "Icons.h"
#include "QtText.h"

namespace gdl {

QPushButton* Button(QWidget* parent, const QString& caption, const QString& name,
                    const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!tip.isEmpty()) SetToolTip(button, tip);
    return button;
}

QGridLayout* ButtonGridOf(int columns, const std::vector<QPushButton*>& buttons) {
    auto* grid = new QGridLayout;
    int i = 0;
    for (QPushButton* button : buttons) {
        grid->addWidget(button, i / columns, i % columns);
        ++i;
    }
    return grid;
}

QLabel* Caption(const QString& text, QWidget* parent, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QVBoxLayout* ListColumn(const QString& caption, QListWidget* list, QLayout* buttons) {
    auto* column = new QVBoxLayout;
    column->addWidget(Caption(caption, list->parentWidget()));
    column->addWidget(list, 1);
    column->addLayout(buttons);
    return column;
}

QLineEdit* ReadOnlyBox(QWidget* parent, const QString& name, int width) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette look = box->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    box->setPalette(look);
    if (width > 0) box->setFixedWidth(width);
    return box;
}

QListWidget* List(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

QLineEdit* CodeBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(static_cast<int>(kMaxCodeLength));
    box->setValidator(new UpperCaseValidator(box));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 16);
    return box;
}

QPushButton* ArrowButton(CommandRunner& runner, bool right, const QString& name, const QString& tip,
                         Command click) {
    auto* button = Button(nullptr, QString(), name, tip);
    button->setIcon(MakeIcon(right ? IconId::ArrowRight : IconId::ArrowLeft));
    button->setIconSize(QSize(20, 20));
    button->setFixedSize(36, 28);
    QObject::connect(button, &QPushButton::clicked, button,
                     [&runner, click = std::move(click)] { runner.Forward(click); });
    return button;
}

void SetText(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

void SetValue(QSpinBox* box, int value) {
    if (box->value() != value) box->setValue(value);
}

void SetToolTip(QWidget* widget, const QString& tip) {
    const QString wrapped = WrapToolTip(tip);
    if (widget->toolTip() != wrapped) widget->setToolTip(wrapped);
}

QHBoxLayout* LeftRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kRowSpacing);
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

QLabel* LevelNumber(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(60);
    return label;
}

LevelInfoBoxes MakeInfoBoxes(QWidget* parent, QChar page) {
    return {ReadOnlyBox(parent, QStringLiteral("eName") + page),
            ReadOnlyBox(parent, QStringLiteral("eSize") + page, 70),
            ReadOnlyBox(parent, QStringLiteral("eTime") + page, 70),
            ReadOnlyBox(parent, QStringLiteral("eQuota") + page, 70)};
}

std::array<std::pair<QString, QLineEdit*>, 3> Numbers(const LevelInfoBoxes& boxes) {
    return {{{QStringLiteral("Size:"), boxes.size},
             {QStringLiteral("Time:"), boxes.time},
             {QStringLiteral("Quota:"), boxes.quota}}};
}

void ShowInfo(const LevelInfoBoxes& boxes, const std::string& name, const std::string& size,
              const std::string& time, const std::string& quota) {
    SetText(boxes.name, ToQString(name));
    SetText(boxes.size, ToQString(size));
    SetText(boxes.time, ToQString(time));
    SetText(boxes.quota, ToQString(quota));
}

}  // namespace gdl

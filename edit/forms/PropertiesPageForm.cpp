#include "PropertiesPageForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "FormWidgets.h"
#include "QtText.h"

namespace gdl {

PageContent PropertiesPageForm::Build() {
    propsFields_ = new QWidget;
    propsFields_->setObjectName(QStringLiteral("propsFields"));

    eName_ = new QLineEdit(propsFields_);
    eName_->setObjectName(QStringLiteral("eName"));
    eName_->setMaxLength(static_cast<int>(kMaxNameLength));
    auto* eCopyright = ReadOnlyBox(propsFields_, QStringLiteral("eCopyright"));
    eCopyright->setText(QStringLiteral("Copyright \u00A9"));
    eCopyright->setFixedWidth(eCopyright->fontMetrics().horizontalAdvance(eCopyright->text()) + 16);
    ePreDate_ = new QSpinBox(propsFields_);
    ePreDate_->setObjectName(QStringLiteral("ePreDate"));
    ePreDate_->setRange(0, kMaxYear);
    ePreDate_->setValue(2000);
    eNotice_ = new QLineEdit(propsFields_);
    eNotice_->setObjectName(QStringLiteral("eNotice"));
    eNotice_->setMaxLength(static_cast<int>(kMaxNoticeLength));
    cComments_ = new MemoEdit(static_cast<int>(kMaxCommentsLength), propsFields_);
    cComments_->setObjectName(QStringLiteral("cComments"));
    cComments_->setFixedHeight(cComments_->fontMetrics().lineSpacing() * 5 + 12);
    cOffset_ = new QSpinBox(propsFields_);
    cOffset_->setObjectName(QStringLiteral("cOffset"));
    // A minus sign is taken, so that the core can reset a negative count to 0.
    const int entries = static_cast<int>(kMaxProjectEntries);
    cOffset_->setRange(-entries, entries);
    cOffset_->setFixedWidth(80);
    struct MusicChoice {
        QRadioButton*& button;
        const char* caption;
        const char* name;
        MusicMode mode;
    };
    auto* musicGroup = new QButtonGroup(propsFields_);
    auto* musicRow = new QHBoxLayout;
    for (const MusicChoice& choice :
         {MusicChoice{xAMusic_, "&Automatic", "xAMusic", MusicMode::Automatic},
          MusicChoice{xRMusic_, "&Random", "xRMusic", MusicMode::Random},
          MusicChoice{xMMusic_, "&Manual", "xMMusic", MusicMode::Manual}}) {
        choice.button = new QRadioButton(QString::fromLatin1(choice.caption), propsFields_);
        choice.button->setObjectName(QString::fromLatin1(choice.name));
        musicGroup->addButton(choice.button);
        const MusicMode mode = choice.mode;
        QObject::connect(choice.button, &QRadioButton::clicked, choice.button,
                         [this, mode] { xAMusicClick(mode); });
        if (musicRow->count() > 0) musicRow->addSpacing(12);
        musicRow->addWidget(choice.button);
    }
    musicRow->addStretch();
    xAMusic_->setChecked(true);
    eWizard_ = CodeBox(propsFields_, QStringLiteral("eWizard"));
    QPushButton* bGenWiz =
        buttons_.Add(propsFields_, {"&Generate", "bGenWiz", "Generate Wizard Mode Password",
                                    On(&PropertiesPage::bGenWizClick)});

    auto* noticeRow = new QHBoxLayout;
    noticeRow->setSpacing(kRowSpacing);
    noticeRow->addWidget(eCopyright);
    noticeRow->addWidget(ePreDate_);
    noticeRow->addWidget(eNotice_, 1);

    auto* grid = new QGridLayout(propsFields_);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setVerticalSpacing(10);
    int row = 0;
    grid->addWidget(Caption(QStringLiteral("Project &Name:"), propsFields_, eName_), row, 0);
    grid->addWidget(eName_, row++, 1);
    grid->addWidget(Caption(QStringLiteral("N&otice:"), propsFields_, eNotice_), row, 0);
    grid->addLayout(noticeRow, row++, 1);
    grid->addWidget(Caption(QStringLiteral("&Comments:"), propsFields_, cComments_), row, 0,
                    Qt::AlignTop);
    grid->addWidget(cComments_, row++, 1);
    grid->addWidget(Caption(QStringLiteral("Hidden &Levels:"), propsFields_, cOffset_), row, 0);
    grid->addLayout(LeftRow({cOffset_}), row++, 1);
    grid->addWidget(Caption(QStringLiteral("M&usic:"), propsFields_, xAMusic_), row, 0);
    grid->addLayout(musicRow, row++, 1);
    grid->addWidget(Caption(QStringLiteral("&Wizard Mode:"), propsFields_, eWizard_), row, 0);
    grid->addLayout(LeftRow({eWizard_, bGenWiz}), row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);

    QObject::connect(eName_, &QLineEdit::textEdited, eName_, [this] { eNameChange(); });
    QObject::connect(ePreDate_, &QSpinBox::valueChanged, ePreDate_, [this] { ePreDateChange(); });
    QObject::connect(eNotice_, &QLineEdit::textEdited, eNotice_, [this] { eNoticeChange(); });
    QObject::connect(cComments_, &MemoEdit::textEdited, cComments_, [this] { cCommentsChange(); });
    QObject::connect(cOffset_, &QSpinBox::valueChanged, cOffset_, [this] { cOffsetChange(); });
    QObject::connect(eWizard_, &QLineEdit::textEdited, eWizard_, [this] { eWizardChange(); });

    bNext1_ = ArrowButton(runner_, true, QStringLiteral("bNext1"),
                          QStringLiteral("Source Levels Page"), On(&PageControl::bSourceClick));
    return {propsFields_, nullptr, bNext1_};
}

void PropertiesPageForm::eNameChange() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Props().eNameChange(FromQString(eName_->text())); });
}
void PropertiesPageForm::ePreDateChange() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Props().ePreDateChange(ePreDate_->value()); });
}
void PropertiesPageForm::eNoticeChange() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Props().eNoticeChange(FromQString(eNotice_->text())); });
}
void PropertiesPageForm::cCommentsChange() {
    runner_.Forward([this](ProjectWindow& core) {
        core.Props().cCommentsChange(FromQString(cComments_->toPlainText()));
    });
}
void PropertiesPageForm::cOffsetChange() {
    runner_.Forward([this](ProjectWindow& core) { core.Props().cOffsetChange(cOffset_->value()); });
}
void PropertiesPageForm::xAMusicClick(MusicMode mode) {
    runner_.Forward([mode](ProjectWindow& core) { core.Props().xAMusicClick(mode); });
}
void PropertiesPageForm::eWizardChange() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Props().eWizardChange(FromQString(eWizard_->text())); });
}

void PropertiesPageForm::Render(const PropertiesPageView& v) {
    propsFields_->setVisible(v.fieldsVisible);
    SetText(eName_, ToQString(v.name));
    SetValue(ePreDate_, v.year);
    SetText(eNotice_, ToQString(v.notice));
    cComments_->SetTextQuiet(ToQString(v.comments));
    SetValue(cOffset_, v.offset);
    xAMusic_->setChecked(v.musicMode == MusicMode::Automatic);
    xRMusic_->setChecked(v.musicMode == MusicMode::Random);
    xMMusic_->setChecked(v.musicMode == MusicMode::Manual);
    SetText(eWizard_, ToQString(v.wizard));
    bNext1_->setEnabled(v.bNext1Enabled);
    buttons_.Render(v);
}

}  // namespace gdl

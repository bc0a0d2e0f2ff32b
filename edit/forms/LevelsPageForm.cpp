#include "LevelsPageForm.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

#include "FormWidgets.h"
#include "Icons.h"
#include "MapView.h"
#include "QtText.h"

namespace gdl {

PageContent LevelsPageForm::Build() {
    using V = LevelsPageView;
    auto* content = new QWidget;

    cLevels_ = List(content, QStringLiteral("cLevels"));
    QGridLayout* listButtons = buttons_.Grid(
        content, 3,
        {{"&Up", "bUp", "Move Level Up", On(&LevelsPage::bUpClick), &V::bUpEnabled},
         {"&Down", "bDown", "Move Level Down", On(&LevelsPage::bDownClick), &V::bDownEnabled},
         {"&Test", "bTestL", "Test Level", On(&Playtest::bTestLClick), &V::bTestLEnabled},
         {"T&op", "bTop", "Move Level to Top", On(&LevelsPage::bTopClick), &V::bTopEnabled},
         {"E&nd", "bEnd", "Move Level to End", On(&LevelsPage::bEndClick), &V::bEndEnabled},
         {"&Remove", "bRemove", "Remove Level from Level Set", On(&LevelsPage::bRemoveClick),
          &V::bRemoveEnabled}});
    QVBoxLayout* listColumn =
        ListColumn(QStringLiteral("Levels in Level Set:"), cLevels_, listButtons);

    auto* details = new QGroupBox(QStringLiteral("Level"), content);
    lLevelR_ = LevelNumber(details, QStringLiteral("lLevelR"));
    iHidden_ = MakePicture(details, IconPixmap(IconId::Hidden, 20), QStringLiteral("iHidden"));
    SetToolTip(iHidden_,
               QStringLiteral("This level can only be accessed by entering its password"));
    iHidden_->hide();
    infoR_ = MakeInfoBoxes(details, u'R');
    cDesigner_ = new QComboBox(details);
    cDesigner_->setObjectName(QStringLiteral("cDesigner"));
    cDesigner_->setEditable(false);
    cDesigner_->setMinimumContentsLength(16);
    cDesigner_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QPushButton* bDesigners =
        buttons_.Add(details, {"&Add/Edit Designers", "bDesigners", "Add/Edit Designers",
                               On(&LevelsPage::bDesignersClick), &V::bDesignersEnabled});
    ePassword_ = CodeBox(details, QStringLiteral("ePassword"));
    QPushButton* bGenerate =
        buttons_.Add(details, {"&Generate", "bGenerate", "Generate Password",
                               On(&LevelsPage::bGenerateClick), &V::bGenerateEnabled});
    eMusic_ = new QSpinBox(details);
    eMusic_->setObjectName(QStringLiteral("eMusic"));
    eMusic_->setRange(0, kMaxMusic);
    eMusic_->setFixedWidth(64);
    bMusic_ = buttons_.Add(details, {"Play &Music", "bMusic", "Play Selected Music",
                                     On(&LevelsPage::bMusicClick), &V::bMusicEnabled});
    bMusic_->setMinimumWidth(
        bMusic_->fontMetrics().horizontalAdvance(QStringLiteral("Stop Music")) + 24);
    iTune_ = MakePicture(details, IconPixmap(IconId::MusicNote, 22), QStringLiteral("iTune"));
    iTune_->hide();
    iHint_ = MakePicture(details, IconPixmap(IconId::HintNo, 24), QStringLiteral("iHint"));
    QPushButton* bEditHint =
        buttons_.Add(details, {"&Edit...", "bEditHint", "Edit Hint",
                               On(&LevelsPage::bEditHintClick), &V::bEditHintEnabled});

    auto* numbers = new QHBoxLayout;
    numbers->setSpacing(6);
    for (const auto& [caption, box] : Numbers(infoR_)) {
        if (numbers->count() > 0) numbers->addSpacing(8);
        numbers->addWidget(Caption(caption, details));
        numbers->addWidget(box);
    }
    numbers->addStretch();
    auto* designerRow = new QHBoxLayout;
    designerRow->setSpacing(kRowSpacing);
    designerRow->addWidget(cDesigner_, 1);
    designerRow->addWidget(bDesigners);

    auto* form = new QGridLayout(details);
    form->setVerticalSpacing(8);
    int row = 0;
    form->addWidget(Caption(QStringLiteral("Level:"), details), row, 0);
    form->addLayout(LeftRow({lLevelR_, iHidden_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Name:"), details), row, 0);
    form->addWidget(infoR_.name, row++, 1);
    form->addLayout(numbers, row++, 0, 1, 2);
    auto* rule = new QFrame(details);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    form->addWidget(rule, row++, 0, 1, 2);
    form->addWidget(Caption(QStringLiteral("Designer:"), details), row, 0);
    form->addLayout(designerRow, row++, 1);
    form->addWidget(Caption(QStringLiteral("Password:"), details), row, 0);
    form->addLayout(LeftRow({ePassword_, bGenerate}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Music:"), details), row, 0);
    form->addLayout(LeftRow({eMusic_, bMusic_, iTune_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Hint:"), details), row, 0);
    form->addLayout(LeftRow({iHint_, bEditHint}), row++, 1);
    form->setRowStretch(row, 1);
    form->setColumnStretch(1, 1);
    // The selected entry's map, beside its details.
    mapR_ = new MapView(details);
    mapR_->setObjectName(QStringLiteral("iMapR"));
    mapR_->SetFit(true);
    mapR_->SetShowGrid(false);
    mapR_->setFocusPolicy(Qt::NoFocus);
    mapR_->setMinimumWidth(160);
    form->addWidget(mapR_, 0, 2, row + 1, 1);
    form->setColumnStretch(2, 1);

    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(listColumn, 2);
    layout->addWidget(details, 3);

    CommandRunner& runner = runner_;
    ConnectListClick(cLevels_, cLevels_, [this] { cLevelsClick(); });
    QObject::connect(cLevels_, &QListWidget::itemDoubleClicked, cLevels_,
                     [&runner] { runner.Forward(On(&Playtest::bTestLClick)); });
    QObject::connect(cDesigner_, &QComboBox::activated, cDesigner_,
                     [this](int index) { cDesignerChange(index); });
    QObject::connect(ePassword_, &QLineEdit::textEdited, ePassword_, [this] { ePasswordChange(); });
    QObject::connect(eMusic_, &QSpinBox::valueChanged, eMusic_, [this] { eMusicChange(); });

    return {content,
            ArrowButton(runner_, false, QStringLiteral("bPrev3"),
                        QStringLiteral("Source Levels Page"), On(&PageControl::bSourceClick)),
            ArrowButton(runner_, true, QStringLiteral("bNext3"),
                        QStringLiteral("Build Level Set Page"), On(&PageControl::bBuildClick))};
}

void LevelsPageForm::cLevelsClick() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Levels().cLevelsClick(SelectedRow(cLevels_)); });
}
void LevelsPageForm::cDesignerChange(int index) {
    runner_.Forward([this, index](ProjectWindow& core) {
        core.Levels().cDesignerChange(index >= 0 ? FromQString(cDesigner_->itemText(index))
                                                 : std::string());
    });
}
void LevelsPageForm::ePasswordChange() {
    runner_.Forward([this](ProjectWindow& core) {
        core.Levels().ePasswordChange(FromQString(ePassword_->text()));
    });
}
void LevelsPageForm::eMusicChange() {
    runner_.Forward([this](ProjectWindow& core) { core.Levels().eMusicChange(eMusic_->value()); });
}

void LevelsPageForm::Render(const LevelsPageView& v) {
    SyncList(cLevels_, v.levels);
    SelectRow(cLevels_, v.selected);
    SetText(lLevelR_, ToQString(v.levelLabel));
    iHidden_->setVisible(v.hiddenVisible);
    ShowInfo(infoR_, v.eNameR, v.eSizeR, v.eTimeR, v.eQuotaR);
    if (mapR_->Grid().tiles != v.preview.tiles.tiles ||
        mapR_->Grid().width != v.preview.tiles.width)
        mapR_->SetGrid(v.preview.tiles);
    SetToolTip(mapR_, ToQString(v.preview.problem));

    QStringList designers;
    for (const std::string& d : v.designers) designers << ToQString(d);
    QStringList shown;
    for (int i = 0; i < cDesigner_->count(); ++i) shown << cDesigner_->itemText(i);
    if (shown != designers) {
        cDesigner_->clear();
        cDesigner_->addItems(designers);
    }
    if (cDesigner_->currentIndex() != v.designerSelected) {
        cDesigner_->setCurrentIndex(v.designerSelected);
    }
    SetToolTip(cDesigner_, ToQString(v.designerHint));
    SetText(ePassword_, ToQString(v.password));
    SetValue(eMusic_, v.music);
    eMusic_->setEnabled(v.musicEnabled);
    iHint_->setPixmap(IconPixmap(v.hasHint ? IconId::HintYes : IconId::HintNo, 24));
    SetToolTip(iHint_, ToQString(v.hintTooltip));
    bMusic_->setText(ToQString(v.bMusicCaption));
    SetToolTip(bMusic_, ToQString(v.bMusicHint));
    iTune_->setVisible(v.iTuneVisible);
    cDesigner_->setEnabled(v.cDesignerEnabled);
    ePassword_->setEnabled(v.ePasswordEnabled);
    buttons_.Render(v);
}

}  // namespace gdl

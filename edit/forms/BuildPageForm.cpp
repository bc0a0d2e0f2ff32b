#include "BuildPageForm.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "FormWidgets.h"
#include "Icons.h"
#include "QtText.h"

namespace gdl {

PageContent BuildPageForm::Build() {
    auto* content = new QWidget;

    eLevelSet_ = ReadOnlyBox(content, QStringLiteral("eLevelSet"));
    xBSF_ = new QCheckBox(QStringLiteral("Build in &Source Folder"), content);
    xBSF_->setObjectName(QStringLiteral("xBSF"));
    xGLL_ = new QCheckBox(QStringLiteral("&Generate Level List (text)"), content);
    xGLL_->setObjectName(QStringLiteral("xGLL"));
    QPushButton* bDoBuild = buttons_.Add(
        content,
        {"&Build", "bDoBuild", "", On(&BuildPage::bDoBuildClick), &BuildPageView::bDoBuildEnabled});
    bDoBuild->setIcon(MakeIcon(IconId::Build));
    bDoBuild->setMinimumWidth(90);
    cStatus_ = List(content, QStringLiteral("cStatus"));
    cStatus_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cStatus_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pBar_ = new QProgressBar(content);
    pBar_->setObjectName(QStringLiteral("pBar"));
    pBar_->setTextVisible(false);
    pBar_->setFixedHeight(14);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(Caption(QStringLiteral("Level Set File:"), content));
    fileRow->addWidget(eLevelSet_, 1);
    auto* optionsRow = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(xBSF_);
    checks->addWidget(xGLL_);
    optionsRow->addLayout(checks);
    optionsRow->addStretch();
    optionsRow->addWidget(bDoBuild, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(fileRow);
    layout->addLayout(optionsRow);
    layout->addWidget(cStatus_, 1);
    layout->addWidget(pBar_);

    QObject::connect(xBSF_, &QCheckBox::clicked, xBSF_, [this](bool on) { xBSFClick(on); });
    QObject::connect(xGLL_, &QCheckBox::clicked, xGLL_, [this](bool on) { xGLLClick(on); });

    bPrev4_ = ArrowButton(runner_, false, QStringLiteral("bPrev4"),
                          QStringLiteral("Level Set Page"), On(&PageControl::bLevelsClick));
    return {content, bPrev4_, nullptr};
}

void BuildPageForm::xBSFClick(bool checked) {
    runner_.Forward([checked](ProjectWindow& core) { core.Build().xBSFClick(checked); });
}
void BuildPageForm::xGLLClick(bool checked) {
    runner_.Forward([checked](ProjectWindow& core) { core.Build().xGLLClick(checked); });
}

void BuildPageForm::Render(const BuildPageView& v) {
    SetText(eLevelSet_, DisplayText(v.eLevelSet));
    SetToolTip(eLevelSet_, DisplayText(v.eLevelSetHint));
    xBSF_->setChecked(v.xBSFChecked);
    xBSF_->setEnabled(v.xBSFEnabled);
    xGLL_->setChecked(v.xGLLChecked);
    SyncList(cStatus_, v.cStatus, &DisplayText);
    SelectRow(cStatus_, v.cStatusSelected);
    if (QListWidgetItem* item = cStatus_->currentItem()) cStatus_->scrollToItem(item);
    if (pBar_->maximum() != v.pBarMax) pBar_->setRange(0, std::max(0, v.pBarMax));
    if (pBar_->value() != v.pBarPosition) pBar_->setValue(v.pBarPosition);
    bPrev4_->setEnabled(v.bPrev4Enabled);
    buttons_.Render(v);
}

}  // namespace gdl

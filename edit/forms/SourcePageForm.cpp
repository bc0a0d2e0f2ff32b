#include "SourcePageForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "FormWidgets.h"
#include "Icons.h"
#include "MapView.h"
#include "QtText.h"

namespace gdl {
namespace {

QPixmap UsagePixmap(UsageIcon usage) {
    switch (usage) {
        case UsageIcon::Included:
            return IconPixmap(IconId::Included, 20);
        case UsageIcon::NotIncluded:
            return IconPixmap(IconId::NotIncluded, 20);
        case UsageIcon::Error:
            return IconPixmap(IconId::InfoError, 20);
        case UsageIcon::None:
            break;
    }
    return {};
}

}  // namespace

PageContent SourcePageForm::Build() {
    using V = SourcePageView;
    auto* content = new QWidget;

    cSource_ = List(content, QStringLiteral("cSource"));
    cContents_ = List(content, QStringLiteral("cContents"));
    QGridLayout* sourceButtons = buttons_.Grid(
        content, 2,
        {{"&New", "bNewS", "Create New Source", On(&SourcePage::bNewSClick), &V::bNewSEnabled},
         {"&Add", "bAddS", "Add Source to Project", On(&SourcePage::bAddSClick), &V::bAddSEnabled},
         {"&Edit", "bEditS", "Edit Source", On(&SourcePage::bEditSClick), &V::bEditSEnabled},
         {"&Remove", "bRemoveS", "Remove Source from Project", On(&SourcePage::bRemoveSClick),
          &V::bRemoveSEnabled}});
    QGridLayout* levelButtons =
        buttons_.Grid(content, 2,
                      {{"&Include", "bInclude", "Include Level in Level Set",
                        On(&SourcePage::bIncludeClick), &V::bIncludeEnabled},
                       {"In&clude All", "bIncludeAll", "Include All Levels in Level Set",
                        On(&SourcePage::bIncludeAllClick), &V::bIncludeAllEnabled},
                       {"E&xclude", "bExclude", "Exclude Level from Level Set",
                        On(&SourcePage::bExcludeClick), &V::bExcludeEnabled},
                       {"Exc&lude All", "bExcludeAll", "Exclude All Levels from Level Set",
                        On(&SourcePage::bExcludeAllClick), &V::bExcludeAllEnabled}});

    QVBoxLayout* sourceColumn =
        ListColumn(QStringLiteral("Source Files:"), cSource_, sourceButtons);
    QVBoxLayout* levelColumn =
        ListColumn(QStringLiteral("Levels in Source:"), cContents_, levelButtons);

    auto* details = new QGroupBox(QStringLiteral("Level"), content);
    lLevelI_ = LevelNumber(details, QStringLiteral("lLevelI"));
    iUsage_ = MakePicture(details, IconPixmap(IconId::NotIncluded, 20), QStringLiteral("iUsage"));
    iUsage_->hide();
    infoI_ = MakeInfoBoxes(details, u'I');
    auto* form = new QGridLayout(details);
    int row = 0;
    form->addWidget(Caption(QStringLiteral("Level:"), details), row, 0);
    form->addLayout(LeftRow({lLevelI_, iUsage_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Name:"), details), row, 0);
    form->addWidget(infoI_.name, row++, 1);
    for (const auto& [caption, box] : Numbers(infoI_)) {
        form->addWidget(Caption(caption, details), row, 0);
        form->addWidget(box, row++, 1, Qt::AlignLeft);
    }
    // The selected level's map, and the source's problems under it.
    mapI_ = new MapView(details);
    mapI_->setObjectName(QStringLiteral("iMapI"));
    mapI_->SetFit(true);
    mapI_->SetShowGrid(false);
    mapI_->setFocusPolicy(Qt::NoFocus);
    // The free room under the figures is the map's; it is scaled to fit.
    mapI_->setMinimumHeight(150);
    form->addWidget(mapI_, row, 0, 1, 2);
    form->setRowStretch(row++, 5);
    form->addWidget(Caption(QStringLiteral("Problems:"), details), row++, 0, 1, 2);
    problemsI_ = new QListWidget(details);
    problemsI_->setObjectName(QStringLiteral("cProblemsI"));
    problemsI_->setWordWrap(true);
    problemsI_->setFocusPolicy(Qt::NoFocus);
    problemsI_->setSelectionMode(QAbstractItemView::NoSelection);
    problemsI_->setMaximumHeight(72);
    form->addWidget(problemsI_, row, 0, 1, 2);
    form->setRowStretch(row++, 1);
    details->setFixedWidth(240);

    // While GDLMap has a source, a line says so: the lists are as they were.
    lEditing_ = new QLabel(content);
    lEditing_->setObjectName(QStringLiteral("lEditing"));
    lEditing_->setTextFormat(Qt::PlainText);
    lEditing_->hide();
    auto* columns = new QHBoxLayout;
    columns->addLayout(sourceColumn, 1);
    columns->addLayout(levelColumn, 1);
    columns->addWidget(details);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(columns, 1);
    layout->addWidget(lEditing_);

    CommandRunner& runner = runner_;
    ConnectListClick(cSource_, cSource_, [this] { cSourceClick(); });
    QObject::connect(cSource_, &QListWidget::itemDoubleClicked, cSource_,
                     [&runner] { runner.Forward(On(&SourcePage::bEditSClick)); });
    ConnectListClick(cContents_, cContents_, [this] { cContentsClick(); });
    QObject::connect(cContents_, &QListWidget::itemDoubleClicked, cContents_,
                     [&runner] { runner.Forward(On(&SourcePage::cContentsDblClick)); });

    return {content,
            ArrowButton(runner_, false, QStringLiteral("bPrev2"),
                        QStringLiteral("Project Properties Page"), On(&PageControl::bPropsClick)),
            ArrowButton(runner_, true, QStringLiteral("bNext2"), QStringLiteral("Level Set Page"),
                        On(&PageControl::bLevelsClick))};
}

void SourcePageForm::cSourceClick() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Source().cSourceClick(SelectedRow(cSource_)); });
}
void SourcePageForm::cContentsClick() {
    runner_.Forward(
        [this](ProjectWindow& core) { core.Source().cContentsClick(SelectedRow(cContents_)); });
}

void SourcePageForm::Render(const SourcePageView& v) {
    SyncList(cSource_, v.sources);
    SelectRow(cSource_, v.sourceSelected);
    SyncList(cContents_, v.contents);
    SelectRow(cContents_, v.contentsSelected);
    SetText(lLevelI_, ToQString(v.levelLabel));
    if (v.usage == UsageIcon::None) {
        iUsage_->hide();
    } else {
        iUsage_->setPixmap(UsagePixmap(v.usage));
        iUsage_->show();
    }
    SetToolTip(iUsage_, ToQString(v.usageHint));
    ShowInfo(infoI_, v.eNameI, v.eSizeI, v.eTimeI, v.eQuotaI);
    if (mapI_->Grid().tiles != v.preview.tiles.tiles ||
        mapI_->Grid().width != v.preview.tiles.width)
        mapI_->SetGrid(v.preview.tiles);
    SetToolTip(mapI_, ToQString(v.preview.problem));
    SetText(lEditing_, ToQString(v.editing));
    lEditing_->setVisible(!v.editing.empty());
    SyncList(problemsI_, v.problems);
    for (int i = 0; i < problemsI_->count(); ++i)
        problemsI_->item(i)->setToolTip(problemsI_->item(i)->text());
    buttons_.Render(v);
}

}  // namespace gdl

#include "Cpload.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "FormWidgets.h"
#include "Guarded.h"
#include "PlayerPictures.h"
#include "QtText.h"

namespace gdl {

TfLoad::TfLoad(Chooser& core, QWidget* parent) : QDialog(parent), core_(core) {
    setObjectName("fLoad");
    setWindowTitle(kChooserCaption);
    FrameGemDialog(this, QSize(402, 338), 10, QRect(32, 8, 300, 20))->setText(kChooserLabel);

    cLevelSets = new QListWidget(this);
    cLevelSets->setObjectName("cLevelSets");
    cLevelSets->setGeometry(10, 34, 382, 150);
    cLevelSets->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectListClick(cLevelSets, this, [this] { cLevelSetsClick(); });
    connect(cLevelSets, &QListWidget::itemDoubleClicked, this, [this] { bOKClick(); });

    mPopup = new QMenu(this);
    mPopup->setObjectName("mPopup");
    QAction* select = mPopup->addAction("&Select", this, [this] { bOKClick(); });
    select->setObjectName("Select1");
    mPopup->setDefaultAction(select);
    mPopup->addAction("&Remove", this, [this] { Remove1Click(); })->setObjectName("Remove1");
    mPopup->addAction("&About", this, [this] { About1Click(); })->setObjectName("About1");
    connect(cLevelSets, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (core_.View().popupEnabled) mPopup->popup(cLevelSets->viewport()->mapToGlobal(at));
    });

    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 190, 382, 18);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(10, 210, 382, 84);
    Label3 = new QLabel(GroupBox1);
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* box = new QVBoxLayout(GroupBox1);
    box->addWidget(Label3);

    bOK = new QPushButton("OK", this);
    bOK->setObjectName("bOK");
    bOK->setDefault(true);
    bOK->setGeometry(146, 302, 75, 26);
    connect(bOK, &QPushButton::clicked, this, [this] { bOKClick(); });
    bCancel = new QPushButton("Cancel", this);
    bCancel->setObjectName("bCancel");
    bCancel->setGeometry(231, 302, 75, 26);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    bOther = new QPushButton("O&ther...", this);
    bOther->setObjectName("bOther");
    bOther->setGeometry(316, 302, 75, 26);
    connect(bOther, &QPushButton::clicked, this, [this] { bOtherClick(); });
    Render();
}

void TfLoad::Run(const std::function<void()>& handler) {
    RunGuarded(this, handler);
    Render();
    if (core_.View().result == ModalResult::Ok) accept();
    if (core_.View().result == ModalResult::Cancel) reject();
}

void TfLoad::cLevelSetsClick() {
    if (rendering_) return;
    Run([this] {
        core_.Select(SelectedRow(cLevelSets));
        core_.cLevelSetsClick();
    });
}

void TfLoad::Render() {
    const ChooserView& v = core_.View();
    rendering_ = true;
    SyncList(cLevelSets, v.cLevelSets);
    SelectRow(cLevelSets, v.selected);
    rendering_ = false;
    Label2->setText(ToQString(v.Label2));
    Label3->setText(ToQString(v.Label3));
    bOK->setEnabled(v.bOKEnabled);
}

std::optional<std::string> TfLoad::ShowLoad(const std::string& installFolder,
                                            const std::string& folder,
                                            const std::string& fileName) {
    core_.Prepare(installFolder, folder, fileName);
    // Activation fills the list, or opens the file dialog over the empty chooser.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
    if (exec() != QDialog::Accepted) return std::nullopt;
    return core_.FileName();
}

}  // namespace gdl

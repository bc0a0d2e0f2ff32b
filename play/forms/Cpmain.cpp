#include "Cpmain.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>
#include <utility>
#include <vector>

#include "DeviceWatcher.h"
#include "FormWidgets.h"
#include "Guarded.h"
#include "PlayerPictures.h"
#include "PlayerWidgets.h"
#include "QtText.h"

namespace gdl {

namespace {

constexpr int kClientWidth = 423;
constexpr int kClientHeight = 385;
constexpr int kStatusHeight = 20;
constexpr int kSendBarWidth = 120;

struct PanelPlace {
    const char* name;
    int left, top, width, height;
    PanelView PlayerView::*view;
};

// Where the design puts each panel; the heights are ours.
const PanelPlace kPanels[] = {
    {"Panel1", 5, 12, 413, 45, &PlayerView::Panel1},
    {"Panel2", 122, 80, 181, 33, &PlayerView::Panel2},
    {"Panel3", 5, 124, 413, 26, &PlayerView::Panel3},
    {"Panel4", 5, 156, 413, 26, &PlayerView::Panel4},
    {"Panel9", 141, 196, 72, 26, &PlayerView::Panel9},
    {"Panel8", 141, 196, 142, 26, &PlayerView::Panel8},
    {"Panel5", 95, 254, 94, 41, &PlayerView::Panel5},
    {"Panel6", 235, 254, 94, 41, &PlayerView::Panel6},
    {"Panel12", 59, 254, 94, 41, &PlayerView::Panel12},
    {"Panel13", 271, 254, 94, 41, &PlayerView::Panel13},
    {"Panel7", 9, 328, 94, 33, &PlayerView::Panel7},
    {"Panel10", 165, 328, 94, 33, &PlayerView::Panel10},
    {"Panel11", 321, 328, 94, 33, &PlayerView::Panel11},
};

struct ButtonPlace {
    const char* panel;
    const char* name;
    const char* colour;
    ButtonView PlayerView::*view;
    void (PlayerWindow::*click)();
};

const ButtonPlace kButtons[] = {
    {"Panel5", "SpeedButton1", "lime", &PlayerView::SpeedButton1, &PlayerWindow::SpeedButton1Click},
    {"Panel6", "SpeedButton2", "lime", &PlayerView::SpeedButton2, &PlayerWindow::SpeedButton2Click},
    {"Panel7", "SpeedButton3", "yellow", &PlayerView::SpeedButton3,
     &PlayerWindow::SpeedButton3Click},
    {"Panel10", "SpeedButton4", "yellow", &PlayerView::SpeedButton4,
     &PlayerWindow::SpeedButton4Click},
    {"Panel11", "SpeedButton5", "yellow", &PlayerView::SpeedButton5,
     &PlayerWindow::SpeedButton5Click},
    {"Panel12", "SpeedButton6", "lime", &PlayerView::SpeedButton6,
     &PlayerWindow::SpeedButton6Click},
    {"Panel13", "SpeedButton7", "lime", &PlayerView::SpeedButton7,
     &PlayerWindow::SpeedButton7Click},
};

struct MenuPlace {
    const char* name;
    MenuItemView PlayerView::*view;
};

const MenuPlace kMenuItems[] = {
    {"Load1", &PlayerView::Load1},
    {"Restart1", &PlayerView::Restart1},
    {"Quit1", &PlayerView::Quit1},
    {"Play1", &PlayerView::Play1},
    {"Next1", &PlayerView::Next1},
    {"WBack1", &PlayerView::WBack1},
    {"WPlay1", &PlayerView::WPlay1},
    {"WNext1", &PlayerView::WNext1},
    {"Com11", &PlayerView::Com11},
    {"Com21", &PlayerView::Com21},
    {"Com31", &PlayerView::Com31},
    {"Com41", &PlayerView::Com41},
    {"ChooseDevice1", &PlayerView::ChooseDevice1},
    {"IgnoreLynxButtons1", &PlayerView::IgnoreLynxButtons1},
    {"AutoLoadLevelSet1", &PlayerView::AutoLoadLevelSet1},
    {"SavePassword1", &PlayerView::SavePassword1},
    {"Contents1", &PlayerView::Contents1},
    {"About1", &PlayerView::About1},
    {"Info1", &PlayerView::Info1},
    {"N2", &PlayerView::N2},
    {"Hint1", &PlayerView::Hint1},
};

QString PanelStyle(const char* name, Rgb colour) {
    auto light = [](int c) { return std::min(255, c + 96); };
    return QString("QFrame#%1 { background: rgb(%2,%3,%4); border: 2px outset rgb(%5,%6,%7); }")
        .arg(QString(name))
        .arg(colour.r)
        .arg(colour.g)
        .arg(colour.b)
        .arg(light(colour.r))
        .arg(light(colour.g))
        .arg(light(colour.b));
}

}  // namespace

TfPlay::TfPlay(QWidget* parent) : QMainWindow(parent) {
    setObjectName("fPlay");
    setWindowTitle(kPlayerCaption);
    // Only the hints named here: a fixed window offers no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    auto* image = new QLabel(client);
    image->setObjectName("Image1");
    image->setGeometry(0, 0, kClientWidth, kClientHeight - kStatusHeight);
    image->setPixmap(CaveBackground(kClientWidth, kClientHeight - kStatusHeight));

    for (const auto& place : kPanels) {
        QFrame* panel = MakePanel(place.name, place.left, place.top, place.width, place.height);
        // The set title stands out.
        const int points = font().pointSize() + (std::string(place.name) == "Panel1" ? 5 : 0);
        auto* text = new PanelText(panel, points);
        text->setObjectName(QString(place.name) + "Text");
        texts_[place.name] = text;
        auto* layout = new QHBoxLayout(panel);
        layout->setContentsMargins(2, 0, 2, 0);
        layout->addWidget(text);
    }
    for (const auto& b : kButtons)
        buttons_[b.name] = MakeButton(panels_[b.panel], b.name, b.colour, b.click);

    ePW = new CodeEdit(client);
    ePW->setObjectName("ePW");
    ePW->setGeometry(212, 196, 73, 26);
    ePW->setMaxLength(4);
    ePW->setValidator(new UpperCaseValidator(ePW));
    ePW->setAlignment(Qt::AlignCenter);
    ePW->setStyleSheet("font-weight: bold; font-size: 14pt;");
    connect(ePW, &QLineEdit::textEdited, this, [this](const QString& text) {
        Run([this, text] { core_->ePWChange(FromQString(text)); });
    });

    Label1 = new QLabel(client);
    Label1->setObjectName("Label1");
    Label1->hide();

    QFrame* status =
        MakePanel("Panel14", 0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
    status->setStyleSheet(
        "QFrame#Panel14 { background: palette(window); border-top: 1px solid "
        "palette(mid); }");
    Panel14Text = new QLabel(status);
    Panel14Text->setObjectName("Panel14Text");
    Panel14Text->setGeometry(4, 1, kClientWidth - 30, kStatusHeight - 2);
    const std::pair<const char*, Lamp> lamps[] = {{"iOff", Lamp::Off},
                                                  {"iOn", Lamp::On},
                                                  {"iWarn", Lamp::Warn},
                                                  {"iErr", Lamp::Err},
                                                  {"iPlay", Lamp::InPlay}};
    for (const auto& [name, lamp] : lamps) MakePicture(status, LampPicture(lamp), name)->hide();
    iStat = MakePicture(status, LampPicture(Lamp::Off), "iStat");
    iStat->setGeometry(kClientWidth - 20, 2, 16, 16);
    auto* click = new ClickFilter([this] { Run([this] { core_->Panel14Click(); }); }, this);
    Panel14Text->installEventFilter(click);
    iStat->installEventFilter(click);
    // A thin bar between the status text and the lamp while a level goes out.
    pSend = new QProgressBar(status);
    pSend->setObjectName("pSend");
    pSend->setTextVisible(false);
    pSend->setGeometry(kClientWidth - 20 - kSendBarWidth - 6, (kStatusHeight - 6) / 2,
                       kSendBarWidth, 6);
    pSend->hide();

    BuildMenus();
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ePW->setFocus();
}

QFrame* TfPlay::MakePanel(const char* name, int left, int top, int width, int height) {
    auto* panel = new QFrame(centralWidget());
    panel->setObjectName(name);
    panel->setGeometry(left, top, width, height);
    panel->setStyleSheet(PanelStyle(name, kClBlue));
    panels_[name] = panel;
    return panel;
}

QToolButton* TfPlay::MakeButton(QFrame* panel, const char* name, const char* colour,
                                void (PlayerWindow::*click)()) {
    auto* button = new QToolButton(panel);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(3, 3, panel->width() - 6, panel->height() - 6);
    button->setStyleSheet(QString("QToolButton { color: %1; font-weight: bold; font-size: 13pt; "
                                  "border: none; background: transparent; }"
                                  "QToolButton:hover { background: rgba(255,255,255,40); }"
                                  "QToolButton:pressed { background: rgba(0,0,0,60); }"
                                  "QToolButton:disabled { color: rgb(110,110,170); }")
                              .arg(colour));
    connect(button, &QToolButton::clicked, this,
            [this, click] { Run([this, click] { (core_->*click)(); }); });
    return button;
}

QAction* TfPlay::MakeAction(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut, void (PlayerWindow::*click)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    if (click)
        connect(action, &QAction::triggered, this,
                [this, click] { Run([this, click] { (core_->*click)(); }); });
    actions_[name] = action;
    return action;
}

void TfPlay::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    MakeAction(file, "Load1", "&Load", QKeySequence("Ctrl+L"), &PlayerWindow::SpeedButton3Click);
    MakeAction(file, "Restart1", "&Restart", QKeySequence("Ctrl+R"),
               &PlayerWindow::SpeedButton4Click);
    MakeAction(file, "Quit1", "&Quit", QKeySequence("Ctrl+Q"), &PlayerWindow::SpeedButton5Click);
    Level1 = menuBar()->addMenu("&Level");
    Level1->setObjectName("Level1");
    MakeAction(Level1, "Play1", "&Play", QKeySequence("Ctrl+P"), &PlayerWindow::SpeedButton1Click);
    MakeAction(Level1, "Next1", "&Next", QKeySequence("Ctrl+N"), &PlayerWindow::SpeedButton2Click);
    WLevel1 = menuBar()->addMenu("&Level");
    WLevel1->setObjectName("WLevel1");
    MakeAction(WLevel1, "WBack1", "&Back", QKeySequence("Ctrl+B"),
               &PlayerWindow::SpeedButton6Click);
    MakeAction(WLevel1, "WPlay1", "&Play", QKeySequence("Ctrl+P"),
               &PlayerWindow::SpeedButton1Click);
    MakeAction(WLevel1, "WNext1", "&Next", QKeySequence("Ctrl+N"),
               &PlayerWindow::SpeedButton7Click);
    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("Options1");
    auto* ports = new QActionGroup(this);
    const std::pair<const char*, void (PlayerWindow::*)()> coms[] = {
        {"Com11", &PlayerWindow::Com11Click},
        {"Com21", &PlayerWindow::Com21Click},
        {"Com31", &PlayerWindow::Com31Click},
        {"Com41", &PlayerWindow::Com41Click}};
    int k = 1;
    for (const auto& [name, click] : coms) {
        QAction* a = MakeAction(options, name, QString("Com&%1").arg(k++), {}, click);
        a->setCheckable(true);
        ports->addAction(a);
    }
    MakeAction(options, "ChooseDevice1", "Choose &Device...", {},
               &PlayerWindow::ChooseDevice1Click);
    options->addSeparator();
    for (auto [name, caption, click] :
         {std::tuple{"IgnoreLynxButtons1", "&Ignore Lynx EOL Buttons",
                     &PlayerWindow::IgnoreLynxButtons1Click},
          std::tuple{"AutoLoadLevelSet1", "&Auto Load Level Set",
                     &PlayerWindow::AutoLoadLevelSet1Click},
          std::tuple{"SavePassword1", "&Save Password", &PlayerWindow::SavePassword1Click}})
        MakeAction(options, name, caption, {}, click)->setCheckable(true);
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    MakeAction(help, "Contents1", "&Index", QKeySequence("F1"), &PlayerWindow::Contents1Click);
    MakeAction(help, "About1", "&About", QKeySequence("F2"), &PlayerWindow::About1Click);
    MakeAction(help, "Info1", "I&nfo", QKeySequence("F3"), &PlayerWindow::Info1Click);
    QAction* n2 = help->addSeparator();
    n2->setObjectName("N2");
    actions_["N2"] = n2;
    MakeAction(help, "Hint1", "&Hint", QKeySequence("F4"), &PlayerWindow::Hint1Click);
}

void TfPlay::Run(const std::function<void()>& handler) {
    if (!core_ || closing_) return;
    RunGuarded(this, handler);
    Render();
    if (core_->View().closeRequested) close();
}

void TfPlay::RenderMenus(const PlayerView& v) {
    for (const auto& item : kMenuItems) {
        const MenuItemView& m = v.*item.view;
        QAction* a = actions_[item.name];
        if (!a->isSeparator()) a->setText(ToQString(m.caption));
        a->setVisible(m.visible);
        a->setChecked(m.checked);
        a->setEnabled(m.enabled);
    }
    Level1->menuAction()->setVisible(v.Level1.visible);
    WLevel1->menuAction()->setVisible(v.WLevel1.visible);
    // A shortcut of the hidden Level menu must not answer for the shown one.
    for (QAction* a : Level1->actions()) a->setEnabled(a->isEnabled() && v.Level1.visible);
    for (QAction* a : WLevel1->actions()) a->setEnabled(a->isEnabled() && v.WLevel1.visible);
}

void TfPlay::Render() {
    if (!core_) return;
    const PlayerView& v = core_->View();
    setWindowTitle(ToQString(v.caption));
    for (const auto& place : kPanels) {
        const PanelView& p = v.*place.view;
        QFrame* panel = panels_[place.name];
        panel->move(p.left, place.top);
        panel->setVisible(p.visible);
        texts_[place.name]->Show(ToQString(p.text));
    }
    panels_["Panel5"]->setStyleSheet(PanelStyle("Panel5", v.Panel5Color));
    panels_["Panel6"]->setStyleSheet(PanelStyle("Panel6", v.Panel6Color));
    for (const auto& b : kButtons) {
        const ButtonView& view = v.*b.view;
        buttons_[b.name]->setText(ToQString(view.caption));
        buttons_[b.name]->setEnabled(view.enabled);
    }
    ePW->SetText(ToQString(v.ePW));
    ePW->setVisible(v.ePWVisible);
    Label1->setText(ToQString(v.Label1));
    Panel14Text->setText(ToQString(v.Panel14.text));
    Panel14Text->setToolTip(PathToQString(v.Panel14Hint));
    iStat->setPixmap(LampPicture(v.iStat));
    iStat->setToolTip(PathToQString(v.iStatHint.empty() ? v.Panel14Hint : v.iStatHint));
    // A reason to read is a click away.
    const Qt::CursorShape pointer =
        v.Panel14Hint.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor;
    Panel14Text->setCursor(pointer);
    iStat->setCursor(pointer);
    pSend->setRange(0, static_cast<int>(v.pSend.max));
    pSend->setValue(static_cast<int>(v.pSend.position));
    pSend->setVisible(v.pSend.visible);
    RenderMenus(v);
}

std::function<void(std::function<void()>)> TfPlay::PostFunction() {
    return [this](std::function<void()> fn) {
        QMetaObject::invokeMethod(
            this, [this, fn = std::move(fn)] { Run(fn); }, Qt::QueuedConnection);
    };
}

void TfPlay::RepaintNow() {
    Render();
    repaint();
}

void TfPlay::closeEvent(QCloseEvent* event) {
    if (core_ && !closing_) {
        closing_ = true;
        RunGuarded(this, [this] {
            core_->FormClose();
            core_->FormDestroy();
        });
    }
    event->accept();
}

}  // namespace gdl

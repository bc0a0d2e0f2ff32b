#include "CompanionPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <tuple>

#include "Companion.h"
#include "DesktopIdentity.h"
#include "Environment.h"
#include "Guarded.h"
#include "MapView.h"
#include "PortMap.h"
#include "QtText.h"
#include "Registry.h"
#include "TileImages.h"

namespace gdl {

namespace {

constexpr char kTitle[] = "GDLKIT Tools";
constexpr char kDefaultChoice[] = "(default)";
constexpr int kMapSide = 256;
constexpr int kCodeColumn = 6;
constexpr int kHintColumn = 8;

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString PortOpensText(const PortMapping& p) {
    if (p.device.empty()) return QStringLiteral("opens nothing now");
    QString text = QStringLiteral("opens ") + PathToQString(p.device);
    if (!p.present) text += QStringLiteral(" (not present)");
    return text;
}

}  // namespace

namespace {

constexpr int kLegendSwatch = 20;

// The tiles with their pictures, symbols and names, in three columns.
QWidget* MakeLegend(QWidget* parent) {
    auto* legend = new QWidget(parent);
    legend->setObjectName(QStringLiteral("legend"));
    auto* grid = new QGridLayout(legend);
    grid->setContentsMargins(0, 0, 0, 0);
    int i = 0;
    const int rows = (kTileCount + 2) / 3;
    for (const auto& info : TileLegend()) {
        auto* icon = new QLabel(legend);
        icon->setPixmap(TileIcon(static_cast<std::uint8_t>(info.tile), kLegendSwatch)
                            .pixmap(kLegendSwatch, kLegendSwatch));
        auto* text =
            new QLabel(QStringLiteral("%1  %2").arg(QChar(info.symbol)).arg(info.name), legend);
        grid->addWidget(icon, i % rows, (i / rows) * 2);
        grid->addWidget(text, i % rows, (i / rows) * 2 + 1);
        ++i;
    }
    for (int column : {1, 3, 5}) grid->setColumnStretch(column, 1);
    return legend;
}

}  // namespace

QImage MapImage(const SetViewLevel& level) {
    if (level.tiles.empty() || level.width <= 0 || level.height <= 0) return {};
    return LevelImage(TileGrid{level.width, level.height, level.tiles}, 1);
}

AboutPage::AboutPage(const std::string& toolFolder, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("<b>GDLKIT Tools " GDLKIT_VERSION "</b><br>"
                                              "The construction kit for Glimmerdeep level "
                                              "sets on the Atari Lynx."),
                               this);
    layout->addWidget(heading);
    auto* folders = new QFormLayout;
    folders->addRow(QStringLiteral("Install:"),
                    PlainLabel(PathToQString(InstallFolderText(toolFolder)), this));
    folders->addRow(
        QStringLiteral("Tools:"),
        PlainLabel(toolFolder.empty() ? QStringLiteral("(unknown)") : PathToQString(toolFolder),
                   this));
    layout->addLayout(folders);
    auto files = KitFileStates(toolFolder);
    auto* table = new QTableWidget(static_cast<int>(files.size()), 3, this);
    table->setObjectName(QStringLiteral("kitFiles"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("State"), QStringLiteral("What it is")});
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        const auto& f = files[static_cast<std::size_t>(i)];
        table->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(f.name)));
        auto* state =
            new QTableWidgetItem(f.present ? QStringLiteral("present") : QStringLiteral("MISSING"));
        if (!f.present) state->setForeground(Qt::red);
        table->setItem(i, 1, state);
        table->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(f.role)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
}

SetViewPage::SetViewPage(SetView view, QWidget* parent) : QWidget(parent), view_(std::move(view)) {
    auto* layout = new QVBoxLayout(this);
    auto* header = new QFormLayout;
    header->addRow(view_.isProject ? QStringLiteral("Project:") : QStringLiteral("Level set:"),
                   PlainLabel(PathToQString(view_.path), this));
    header->addRow(QStringLiteral("Name:"), PlainLabel(ToQString(view_.name), this));
    header->addRow(QStringLiteral("Copyright:"),
                   PlainLabel(ToQString(view_.year + " " + view_.notice), this));
    header->addRow(QStringLiteral("Comments:"), PlainLabel(ToQString(view_.comments), this));
    header->addRow(QStringLiteral("Wizard:"),
                   PlainLabel(view_.hasWizard ? QStringLiteral("a wizard code is set")
                                              : QStringLiteral("none"),
                              this));
    header->addRow(
        QStringLiteral("Levels:"),
        PlainLabel(QStringLiteral("%1 numbered, %2 hidden").arg(view_.numbered).arg(view_.hidden),
                   this));
    layout->addLayout(header);
    for (const auto& w : view_.warnings) {
        auto* warning = PlainLabel(QStringLiteral("Warning: ") + ToQString(w), this);
        warning->setStyleSheet(QStringLiteral("color: #b00000"));
        layout->addWidget(warning);
    }

    const QStringList columns{"Level",    "Name", "Size",  "Time", "Quota",
                              "Designer", "Code", "Music", "Hint"};
    levels_ = new QTableWidget(static_cast<int>(view_.levels.size()), columns.size(), this);
    levels_->setObjectName(QStringLiteral("levels"));
    levels_->setHorizontalHeaderLabels(columns);
    levels_->verticalHeader()->hide();
    levels_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    levels_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    levels_->setSelectionBehavior(QAbstractItemView::SelectRows);
    levels_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int r = 0; r < levels_->rowCount(); ++r) {
        const SetViewLevel& l = view_.levels[static_cast<std::size_t>(r)];
        const QString cells[] = {QString::fromStdString(l.label),
                                 ToQString(l.name),
                                 ToQString(l.size),
                                 ToQString(l.time),
                                 ToQString(l.quota),
                                 ToQString(l.designer),
                                 ToQString(l.code),
                                 QString::number(l.music),
                                 ToQString(l.hint)};
        for (int c = 0; c < columns.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 8) item->setToolTip(cells[c]);
            levels_->setItem(r, c, item);
        }
    }
    levels_->resizeColumnsToContents();
    levels_->setColumnWidth(8, 160);
    levels_->horizontalHeader()->setStretchLastSection(true);

    showCodes_ = new QCheckBox(QStringLiteral("Show codes and hints"), this);
    showCodes_->setObjectName(QStringLiteral("xShowCodes"));
    auto showCodes = [this](bool on) {
        levels_->setColumnHidden(kCodeColumn, !on);
        levels_->setColumnHidden(kHintColumn, !on);
    };
    showCodes(false);
    connect(showCodes_, &QCheckBox::toggled, this, showCodes);
    layout->addWidget(showCodes_);

    auto* mapBox = new QWidget(this);
    auto* mapLayout = new QVBoxLayout(mapBox);
    mapCaption_ = PlainLabel(QString(), mapBox);
    map_ = new MapView(mapBox);
    map_->setObjectName(QStringLiteral("map"));
    map_->SetFit(true);
    map_->SetShowGrid(false);
    auto* zoom = new QHBoxLayout;
    for (auto [text, name, act] : {std::tuple<const char*, const char*, void (MapView::*)()>{
                                       "Zoom In", "bZoomIn", &MapView::ZoomIn},
                                   {"Zoom Out", "bZoomOut", &MapView::ZoomOut}}) {
        auto* b = new QPushButton(QString::fromLatin1(text), mapBox);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, map_, act);
        zoom->addWidget(b);
    }
    auto* fit = new QPushButton(QStringLiteral("Fit"), mapBox);
    fit->setObjectName(QStringLiteral("bFit"));
    connect(fit, &QPushButton::clicked, map_, [this] { map_->SetFit(true); });
    zoom->addWidget(fit);
    auto* scroll = new QScrollArea(mapBox);
    scroll->setWidget(map_);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(kMapSide, kMapSide * 3 / 4);
    mapLayout->addWidget(mapCaption_);
    mapLayout->addWidget(scroll, 1);
    mapLayout->addLayout(zoom);
    mapLayout->addWidget(MakeLegend(mapBox));

    auto* split = new QSplitter(this);
    split->addWidget(levels_);
    split->addWidget(mapBox);
    split->setStretchFactor(0, 1);
    layout->addWidget(split, 1);

    connect(levels_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { SelectLevel(row); });
    if (levels_->rowCount() > 0) {
        levels_->setCurrentCell(0, 0);
    } else {
        mapCaption_->setText(QStringLiteral("The set holds no level."));
    }
}

void SetViewPage::SelectLevel(int row) {
    if (row < 0 || row >= static_cast<int>(view_.levels.size())) return;
    const SetViewLevel& l = view_.levels[static_cast<std::size_t>(row)];
    QString caption = QStringLiteral("Level ") + QString::fromStdString(l.label);
    if (!l.name.empty()) caption += QStringLiteral(", ") + ToQString(l.name);
    if (!l.problem.empty()) caption += QStringLiteral("\n") + ToQString(l.problem);
    mapCaption_->setText(caption);
    const bool whole = l.width > 0 && l.height > 0 &&
                       l.tiles.size() == static_cast<std::size_t>(l.width) * l.height;
    map_->SetGrid(whole ? TileGrid{l.width, l.height, l.tiles} : TileGrid{});
}

PortsPage::PortsPage(Registry& registry, std::string devRoot, QWidget* parent)
    : QWidget(parent), registry_(registry), devRoot_(std::move(devRoot)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(
        QStringLiteral("The device each of the player's ports opens. \"(default)\" takes the "
                       "serial devices found in order, so the first USB serial adapter is "
                       "Com1. Your user must be in the device's group, usually \"dialout\"."),
        this));
    auto* grid = new QGridLayout;
    for (int i = 0; i < kMappedPorts; ++i) {
        grid->addWidget(new QLabel(QStringLiteral("Com%1").arg(i + 1), this), i, 0);
        choices_[i] = new QComboBox(this);
        choices_[i]->setObjectName(QStringLiteral("com%1").arg(i + 1));
        choices_[i]->setEditable(true);
        choices_[i]->setMinimumContentsLength(40);
        grid->addWidget(choices_[i], i, 1);
        opens_[i] = PlainLabel(QString(), this);
        grid->addWidget(opens_[i], i, 2);
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("&Apply"), this);
    apply->setObjectName(QStringLiteral("apply"));
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(apply);
    layout->addLayout(buttons);
    status_ = PlainLabel(QString(), this);
    status_->setObjectName(QStringLiteral("status"));
    layout->addWidget(status_);
    layout->addStretch();
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(refresh, &QPushButton::clicked, this, [this] {
        Refresh();
        status_->setText(QStringLiteral("Devices read again."));
    });
    Refresh();
}

void PortsPage::Refresh() {
    auto ports = ReadPortMappings(registry_, devRoot_);
    auto devices = FindSerialDevices(devRoot_);
    for (int i = 0; i < kMappedPorts; ++i) {
        QComboBox* box = choices_[i];
        box->clear();
        box->addItem(QString::fromLatin1(kDefaultChoice));
        for (const SerialDevice& d : devices) {
            QString label = PathToQString(d.path);
            box->addItem(label, label);
        }
        const PortMapping& p = ports[static_cast<std::size_t>(i)];
        if (p.configured.empty()) {
            box->setCurrentIndex(0);
        } else {
            QString configured = PathToQString(p.configured);
            int at = box->findText(configured);
            if (at < 0) {
                box->addItem(configured);
                at = box->count() - 1;
            }
            box->setCurrentIndex(at);
        }
        opens_[i]->setText(PortOpensText(p));
    }
}

void PortsPage::Apply() {
    QStringList problems;
    for (int i = 0; i < kMappedPorts; ++i) {
        QString text = choices_[i]->currentText().trimmed();
        std::string device =
            text == QString::fromLatin1(kDefaultChoice) ? std::string() : PathFromQString(text);
        std::string why = SetPortDevice(registry_, "Com" + std::to_string(i + 1), device);
        if (!why.empty()) problems << QStringLiteral("Com%1: %2").arg(i + 1).arg(ToQString(why));
    }
    Refresh();
    status_->setText(problems.isEmpty() ? QStringLiteral("The ports are set.")
                                        : problems.join(QStringLiteral("\n")));
}

CompanionWindow::CompanionWindow(const std::string& toolFolder, const std::string& file,
                                 Registry& registry, QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pages"));
    tabs->addTab(new AboutPage(toolFolder, tabs), QStringLiteral("&About"));
    if (!file.empty()) {
        std::string problem;
        if (auto view = LoadSetView(file, &problem)) {
            const bool project = view->isProject;
            viewer_ = new SetViewPage(std::move(*view), tabs);
            tabs->addTab(viewer_,
                         project ? QStringLiteral("&Project") : QStringLiteral("&Level Set"));
        } else {
            auto* failed = PlainLabel(ToQString(problem), tabs);
            failed->setAlignment(Qt::AlignCenter);
            tabs->addTab(failed, QStringLiteral("&Level Set"));
        }
        tabs->setCurrentIndex(1);
    }
    ports_ = new PortsPage(registry, "/dev", tabs);
    tabs->addTab(ports_, QStringLiteral("P&orts"));
    layout->addWidget(tabs);
    resize(860, 560);
}

int RunCompanionWindow(int argc, char** argv, const std::string& file) {
    GuardedApplication app(argc, argv, QString::fromLatin1(kTitle));
    QApplication::setApplicationName(QString::fromLatin1(kTitle));
    SetDesktopIdentity("gdltools");
    FileRegistry registry = FileRegistry::FromEnvironment();
    CompanionWindow window(ProgramFolder(), file, registry);
    window.show();
    return QApplication::exec();
}

}  // namespace gdl

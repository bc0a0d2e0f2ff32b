#include "MapPanels.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "LevelCompile.h"
#include "QtText.h"
#include "TileImages.h"

namespace gdl {

namespace {

// One size for every thumbnail, so the names line up.
const QSize kThumbnail(64, 40);

const char* const kAnchors[] = {"Top left", "Top",         "Top right", "Left",        "Centre",
                                "Right",    "Bottom left", "Bottom",    "Bottom right"};

// A level's time in one box, as the source writes it: "4:00". The arrows
// step the minutes when the cursor stands before the colon, else the seconds.
class TimeBox : public QSpinBox {
public:
    TimeBox() {
        setRange(0, kMaxMinutes * 60 + 59);
        setObjectName("eTime");
        setToolTip("Minutes:seconds, 0:00 to 99:59");
    }

    void stepBy(int steps) override {
        const int colon = static_cast<int>(lineEdit()->text().indexOf(':'));
        const bool minutes = colon >= 0 && lineEdit()->cursorPosition() <= colon;
        QSpinBox::stepBy(minutes ? steps * 60 : steps);
    }

protected:
    QString textFromValue(int value) const override {
        return ToQString(TimeText(value / 60, value % 60));
    }
    int valueFromText(const QString& text) const override {
        return ParseTimeText(FromQString(text.trimmed())).value_or(value());
    }
    QValidator::State validate(QString& input, int&) const override {
        const std::string text = FromQString(input.trimmed());
        if (ParseTimeText(text)) return QValidator::Acceptable;
        // Digits with at most one colon may still become a time.
        const auto colon = text.find(':');
        const bool partial =
            text.size() <= 5 && text.find_first_not_of("0123456789:") == std::string::npos &&
            (colon == std::string::npos || text.find(':', colon + 1) == std::string::npos);
        return partial ? QValidator::Intermediate : QValidator::Invalid;
    }
};

QSpinBox* NumberBox(QSpinBox* box, int low, int high, const char* name) {
    box->setRange(low, high);
    box->setObjectName(name);
    return box;
}

}  // namespace

LevelsPanel::LevelsPanel(const std::vector<QAction*>& buttons, QWidget* parent)
    : QWidget(parent), list_(new QListWidget) {
    auto* layout = new QVBoxLayout(this);
    list_->setObjectName("levels");
    list_->setIconSize(kThumbnail);
    list_->setUniformItemSizes(true);
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    layout->addWidget(list_, 1);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!showing_ && row >= 0) emit levelPicked(row);
    });
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                if (!showing_) emit levelMoved(from, to > from ? to - 1 : to);
            });
    auto* row = new QHBoxLayout;
    for (QAction* action : buttons) {
        auto* button = new QToolButton;
        button->setDefaultAction(action);
        button->setObjectName("b" + action->objectName().mid(1));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        row->addWidget(button);
    }
    row->addStretch(1);
    layout->addLayout(row);
}

void LevelsPanel::Show(const MapEditor& session) {
    showing_ = true;
    const LevelDocument& doc = session.Document();
    const int count = static_cast<int>(doc.LevelCount());
    while (list_->count() > count) delete list_->takeItem(list_->count() - 1);
    while (list_->count() < count) list_->addItem(QString());
    for (int i = 0; i < count; ++i) {
        const DocLevel& level = doc.Level(static_cast<std::size_t>(i));
        QString text = ToQString(level.name.empty() ? "(no name)" : level.name);
        if (level.longName != level.name && !level.longName.empty())
            text += "  " + ToQString(level.longName);
        if (level.hasErrors) text += "  (errors)";
        QListWidgetItem* item = list_->item(i);
        item->setText(text);
        item->setIcon(LevelThumbnail(doc.Tiles(static_cast<std::size_t>(i)), kThumbnail));
    }
    showing_ = false;
    ShowCurrent(session);
}

void LevelsPanel::ShowCurrent(const MapEditor& session) {
    showing_ = true;
    if (list_->currentRow() != session.Level()) list_->setCurrentRow(session.Level());
    showing_ = false;
}

PropertiesPanel::PropertiesPanel(QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    eLevelName_ = new QLineEdit;
    eLevelName_->setObjectName("eLevelName");
    eLongName_ = new QLineEdit;
    eLongName_->setObjectName("eLongName");
    eLongName_->setMaxLength(static_cast<int>(kMaxLongNameChars));
    eTime_ = new TimeBox;
    eQuota_ = NumberBox(new QSpinBox, 0, kMaxQuota, "eQuota");
    form->addRow("Level &name:", eLevelName_);
    form->addRow("&Long name:", eLongName_);
    form->addRow("T&ime:", eTime_);
    form->addRow("&Quota:", eQuota_);
    for (QLineEdit* e : {eLevelName_, eLongName_}) {
        connect(e, &QLineEdit::editingFinished, this, &PropertiesPanel::Commit);
        connect(e, &QLineEdit::returnPressed, this, &PropertiesPanel::committed);
    }
    for (QSpinBox* s : {eTime_, eQuota_}) {
        connect(s, &QSpinBox::editingFinished, this, &PropertiesPanel::Commit);
        connect(s->findChild<QLineEdit*>(), &QLineEdit::returnPressed, this,
                &PropertiesPanel::committed);
    }
    eWidth_ = NumberBox(new QSpinBox, 1, kMaxMapSide, "eWidth");
    eHeight_ = NumberBox(new QSpinBox, 1, kMaxMapSide, "eHeight");
    cAnchor_ = new QComboBox;
    cAnchor_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* anchor : kAnchors) cAnchor_->addItem(anchor);
    auto* size = new QHBoxLayout;
    size->addWidget(eWidth_);
    size->addWidget(new QLabel("x"));
    size->addWidget(eHeight_);
    size->addWidget(cAnchor_);
    auto* resize = new QToolButton;
    resize->setText("Resi&ze");
    resize->setObjectName("bResize");
    connect(resize, &QToolButton::clicked, this, [this] {
        emit resizeAsked(eWidth_->value(), eHeight_->value(),
                         static_cast<ResizeAnchor>(cAnchor_->currentIndex()));
        emit committed();
    });
    size->addWidget(resize);
    form->addRow("Size:", size);
}

std::vector<QWidget*> PropertiesPanel::Fields() const {
    return {eLevelName_, eLongName_, eTime_, eQuota_, eWidth_, eHeight_, cAnchor_};
}

void PropertiesPanel::Show(const MapEditor& session) {
    showing_ = true;
    const bool has = session.Level() >= 0;
    for (QWidget* w : Fields()) w->setEnabled(has);
    shown_ = session.Fields();
    // A name longer than the format allows (a file made elsewhere) is shown whole.
    eLevelName_->setMaxLength(static_cast<int>(std::max(kMaxLevelNameChars, shown_.name.size())));
    eLevelName_->setText(ToQString(shown_.name));
    eLongName_->setText(ToQString(shown_.longName));
    eTime_->setValue(shown_.minutes * 60 + shown_.seconds);
    eQuota_->setValue(shown_.quota);
    if (has) {
        const TileGrid& grid = session.Grid();
        eWidth_->setValue(std::max(1, grid.width));
        eHeight_->setValue(std::max(1, grid.height));
    }
    showing_ = false;
}

LevelFields PropertiesPanel::Edited() const {
    LevelFields edited = shown_;
    // Only what the user typed counts; a field merely entered and left is as shown.
    if (eLevelName_->isModified()) edited.name = FromQString(eLevelName_->text());
    if (eLongName_->isModified()) edited.longName = FromQString(eLongName_->text());
    edited.minutes = eTime_->value() / 60;
    edited.seconds = eTime_->value() % 60;
    edited.quota = eQuota_->value();
    return edited;
}

void PropertiesPanel::Commit() {
    if (showing_) return;
    const LevelFields edited = Edited();
    if (edited == shown_) return;
    emit fieldsEdited(shown_, edited);
}

ProblemsPanel::ProblemsPanel(QWidget* parent) : QListWidget(parent) {
    setObjectName("problems");
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit problemPicked(row(item)); });
}

void ProblemsPanel::Show(const std::vector<MapProblem>& problems) {
    clear();
    for (const auto& p : problems) {
        auto* item = new QListWidgetItem(ToQString(p.text), this);
        item->setForeground(p.error ? QColor(180, 0, 0) : QColor(150, 100, 0));
    }
}

HistoryPanel::HistoryPanel(QWidget* parent) : QListWidget(parent) {
    setObjectName("history");
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!showing_) emit stepPicked(static_cast<std::size_t>(row(item)));
    });
}

void HistoryPanel::Show(const std::vector<std::string>& texts, std::size_t done) {
    showing_ = true;
    clear();
    addItem("(opened)");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* item = new QListWidgetItem(ToQString(texts[i]), this);
        if (i >= done) item->setForeground(Qt::gray);
    }
    setCurrentRow(static_cast<int>(done));
    showing_ = false;
}

}  // namespace gdl

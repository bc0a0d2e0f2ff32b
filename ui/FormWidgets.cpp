#include "FormWidgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextCursor>
#include <memory>

#include "QtText.h"

namespace gdl {

MemoEdit::MemoEdit(int maxLength, QWidget* parent) : QPlainTextEdit(parent), maxLength_(maxLength) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(this, &QPlainTextEdit::textChanged, this, &MemoEdit::OnTextChanged);
}

void MemoEdit::SetTextQuiet(const QString& text) {
    if (toPlainText() == text) return;
    quiet_ = true;
    setPlainText(text);
    moveCursor(QTextCursor::End);
    quiet_ = false;
}

void MemoEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    QString text = source->text();
    text.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral(" "));
    insertPlainText(text);
}

void MemoEdit::OnTextChanged() {
    QString text = toPlainText();
    if (text.contains(u'\n') || text.size() > maxLength_) {
        // Whatever slipped past the key filter (drag and drop, input methods).
        const int position = textCursor().position();
        text.replace(u'\n', u' ');
        text.truncate(maxLength_);
        const bool wasQuiet = quiet_;
        quiet_ = true;
        setPlainText(text);
        QTextCursor cursor = textCursor();
        cursor.setPosition(std::min<int>(position, static_cast<int>(text.size())));
        setTextCursor(cursor);
        quiet_ = wasQuiet;
    }
    if (!quiet_) emit textEdited(text);
}

QValidator::State UpperCaseValidator::validate(QString& input, int& /*pos*/) const {
    input = input.toUpper();
    return Acceptable;
}

QLabel* MakePicture(QWidget* parent, const QPixmap& pixmap, const QString& objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setPixmap(pixmap);
    label->setFixedSize(pixmap.deviceIndependentSize().toSize());
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    return label;
}

void SyncList(QListWidget* list, const std::vector<std::string>& items,
              QString (*convert)(std::string_view)) {
    const int wanted = static_cast<int>(items.size());
    while (list->count() > wanted)
        std::unique_ptr<QListWidgetItem>(list->takeItem(list->count() - 1));
    for (int row = 0; row < wanted; ++row) {
        const QString text = convert(items[static_cast<std::size_t>(row)]);
        if (row < list->count()) {
            QListWidgetItem* item = list->item(row);
            if (item->text() != text) item->setText(text);
        } else {
            list->addItem(text);
        }
    }
}

void SelectRow(QListWidget* list, int row) {
    if (row < 0 || row >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    if (list->currentRow() != row) list->setCurrentRow(row);
    if (!list->item(row)->isSelected()) list->item(row)->setSelected(true);
}

int SelectedRow(const QListWidget* list) {
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ConnectListClick(QListWidget* list, QObject* context, std::function<void()> click) {
    // Qt reports a click on a new row twice: the selection changes on the
    // press and the click comes with the release.
    auto pressedChange = std::make_shared<bool>(false);
    QObject::connect(list, &QListWidget::itemSelectionChanged, context, [pressedChange, click] {
        *pressedChange = QApplication::mouseButtons() != Qt::NoButton;
        click();
    });
    QObject::connect(list, &QListWidget::itemClicked, context,
                     [pressedChange, click](QListWidgetItem*) {
                         if (*pressedChange) {
                             *pressedChange = false;
                             return;
                         }
                         click();
                     });
}

QString EscapeMnemonics(const QString& text) {
    QString out = text;
    return out.replace(u'&', QStringLiteral("&&"));
}

}  // namespace gdl

#include "PlayerWidgets.h"

#include <QFontMetrics>

namespace gdl {

void CodeEdit::SetText(const QString& text) {
    if (text == this->text()) return;
    setText(text);
    if (hasFocus()) selectAll();
}

void CodeEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectAll();
}

PanelText::PanelText(QWidget* panel, int pointSize) : QLabel(panel), pointSize_(pointSize) {
    setAlignment(Qt::AlignCenter);
    setStyleSheet("color: white; background: transparent;");
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(pointSize);
    setFont(bold);
}

void PanelText::Show(const QString& text) {
    if (text == this->text()) return;
    constexpr int kSmallest = 6;
    QFont f = font();
    f.setPointSize(pointSize_);
    const int room = parentWidget()->width() - 8;
    while (f.pointSize() > kSmallest && QFontMetrics(f).horizontalAdvance(text) > room)
        f.setPointSize(f.pointSize() - 1);
    setFont(f);
    setText(text);
}

}  // namespace gdl

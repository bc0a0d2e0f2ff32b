#include "Guarded.h"

#include <QMessageBox>
#include <QString>
#include <exception>

#include "PlayerView.h"

namespace gdl {

namespace {

void ShowError(QWidget* owner, const QString& what) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kPlayerAppTitle), what,
                    QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void RunGuarded(QWidget* owner, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowError(owner, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(owner, QStringLiteral("An unknown error occurred."));
    }
}

}  // namespace gdl

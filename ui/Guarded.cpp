#include "Guarded.h"

#include <QMessageBox>
#include <exception>

namespace gdl {

namespace {

QString& GuardTitle() {
    static QString title;
    return title;
}

void ShowError(QWidget* owner, const QString& what) {
    QMessageBox box(QMessageBox::Critical, GuardTitle(), what, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// Returns true when handler ran to its end.
bool Guard(QWidget* owner, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        ShowError(owner, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(owner, QStringLiteral("An unknown error occurred."));
    }
    return false;
}

}  // namespace

void SetGuardTitle(const QString& title) {
    GuardTitle() = title;
}

void RunGuarded(QWidget* owner, const std::function<void()>& handler) {
    Guard(owner, handler);
}

GuardedApplication::GuardedApplication(int& argc, char** argv, const QString& title)
    : QApplication(argc, argv) {
    SetGuardTitle(title);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    Guard(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace gdl

// The application of both programs: an error that escapes an event handler
// is shown in the standard error box and the program goes on.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace gdl {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv, QString title)
        : QApplication(argc, argv), title_(std::move(title)) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            ShowError(QStringLiteral("An unknown error occurred."));
        }
        return false;
    }

private:
    void ShowError(const QString& what) {
        QMessageBox box(QMessageBox::Critical, title_, what, QMessageBox::Ok, activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    QString title_;
};

}  // namespace gdl

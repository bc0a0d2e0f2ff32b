// What the form tests share: one QApplication on the offscreen platform, and
// key presses sent the way the window system would send them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace gdltest {

// The application lives from before the first test to after the last, and
// goes before the program's exit: Qt's own statics are gone by then.
class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[18] = "gdlkit-forms-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// Google Test owns and deletes the environment.
inline const bool kQtAppEnvironmentAdded =
    (::testing::AddGlobalTestEnvironment(new QtAppEnvironment), true);

inline QApplication& EnsureApp() {
    return *qApp;
}

inline void PressKey(QWidget* widget, int key, const QString& text = {},
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &release);
}

// Types text character by character into a widget, as a user would.
inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - u'A') : 0;
        PressKey(widget, c.isLetter() && c.unicode() < 128 ? key : 0, QString(c));
    }
}

// Runs once a modal dialog is up: hands it to inspect and closes it.
inline void WhenModalShows(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        inspect(modal);
        modal->close();
    });
}

}  // namespace gdltest

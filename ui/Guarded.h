// The last line of defence of every window: an error that escapes an event
// handler is shown in the standard error box and the program goes on.
#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class QWidget;

namespace gdl {

// The caption of the error box; each program sets its own title once.
void SetGuardTitle(const QString& title);

// Runs handler; an escaping error is shown over owner and swallowed.
void RunGuarded(QWidget* owner, const std::function<void()>& handler);

// The application of every program: events delivered by Qt itself (paints,
// timers, signals not routed through RunGuarded) get the same backstop.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv, const QString& title);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace gdl

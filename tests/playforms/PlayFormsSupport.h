// What the player's form tests share beside the editor's: finding a control
// by its design name, and waiting on the event loop for something to happen.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Cpmain.h"
#include "PlayerFakes.h"
#include "PlayerWindow.h"
#include "QtPlayerPorts.h"
#include "ZcommLine.h"

// Failed comparisons show the text, not its code units.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace gdltest {

template <class T>
T* Child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Runs the event loop until done() holds, for at most the deadline.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs act from the event loop once ready() holds, checking every few
// milliseconds (a modal dialog's own loop runs it); gives up after the
// deadline and calls act anyway, so a dialog still gets closed.
inline void WhenReady(QObject* context, std::function<bool()> ready, std::function<void()> act,
                      std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
    auto* poll = new QTimer(context);
    const auto end = std::chrono::steady_clock::now() + deadline;
    QObject::connect(poll, &QTimer::timeout, context, [poll, end, ready, act] {
        if (!ready() && std::chrono::steady_clock::now() < end) return;
        poll->deleteLater();
        poll->stop();
        act();
    });
    poll->start(5);
}

// The real window over the real serial component, with device as Com1 (a
// simulator's pseudo-terminal), on args; onRepaint runs after each repaint
// the core asks for.
struct WindowOnDevice {
    WindowOnDevice(const std::string& device, std::vector<std::string> args,
                   const std::string& folder)
        : core({registry, runner, prompts, timer, line, dialogs,
                [this] {
                    form.RepaintNow();
                    if (onRepaint) onRepaint();
                }},
               std::move(args), folder) {
        registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Com1", device);
        form.SetCore(&core);
        timer.SetTick([this] { form.Timer1Timer(); });
    }

    std::function<void()> onRepaint;
    gdl::MemoryRegistry registry;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ScriptedPlayerDialogs dialogs;
    gdl::TfPlay form;
    gdl::QtTimer timer{&form};
    gdl::ZcommLine line{form.PostFunction(), &registry};
    gdl::PlayerWindow core;
};

}  // namespace gdltest

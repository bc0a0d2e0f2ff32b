// The window's side of "Test on Lynx": the Lynx cable's line over the serial
// component, the watchdog as a Qt timer, and the line's events handed to the
// test send, so the progress bar and the status line follow the wire.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "Registry.h"
#include "TestSend.h"
#include "ZcommLine.h"

namespace gdl {

class LynxTestSend : public QObject {
    Q_OBJECT
public:
    explicit LynxTestSend(QObject* parent);
    ~LynxTestSend() override;

    // Sends the compiled level to the port of $LD_COM (or the stored one);
    // while a send is under way it is refused with a word.
    void Start(const std::string& levelName, const std::string& compiled);
    bool Busy() const { return send_->Busy(); }

signals:
    void statusChanged(const QString& text, const QString& problem);
    void progressChanged(int done, int total);

private:
    class WatchdogTimer : public Timer {
    public:
        explicit WatchdogTimer(QObject* owner);
        void Start(int ms) override { timer.start(ms); }
        void Stop() override { timer.stop(); }
        bool Enabled() const override { return timer.isActive(); }
        QTimer timer;
    };

    void Show();

    FileRegistry registry_;
    std::unique_ptr<ZcommLine> line_;
    WatchdogTimer watchdog_;
    std::unique_ptr<TestSend> send_;
};

}  // namespace gdl

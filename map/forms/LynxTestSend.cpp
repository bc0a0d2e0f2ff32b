#include "LynxTestSend.h"

#include <QMetaObject>
#include <QPointer>
#include <cstdlib>

#include "QtText.h"

namespace gdl {

namespace {

// Bytes written between two turns of the event loop: about a tenth of a
// second of the wire at 9600 baud.
constexpr std::size_t kStepBytes = 96;

}  // namespace

LynxTestSend::WatchdogTimer::WatchdogTimer(QObject* owner) : timer(owner) {
    timer.setSingleShot(true);
}

LynxTestSend::LynxTestSend(QObject* parent)
    : QObject(parent), registry_(FileRegistry::FromEnvironment()), watchdog_(this) {
    QPointer<LynxTestSend> self(this);
    line_ = std::make_unique<ZcommLine>(
        [self](std::function<void()> fn) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, fn = std::move(fn)] {
                    if (self) fn();
                },
                Qt::QueuedConnection);
        },
        &registry_);
    send_ = std::make_unique<TestSend>(*line_, watchdog_);
    line_->onDataAvailable = [this] {
        send_->DataAvailable();
        Show();
    };
    line_->onErrorOccurred = [this](int, const std::string& errorstr) {
        send_->ErrorOccurred(errorstr);
        Show();
    };
    connect(&watchdog_.timer, &QTimer::timeout, this, [this] {
        send_->Tick();
        Show();
    });
    writer_.setInterval(0);
    connect(&writer_, &QTimer::timeout, this, [this] {
        if (!send_->Step(kStepBytes)) writer_.stop();
        Show();
    });
}

LynxTestSend::~LynxTestSend() {
    writer_.stop();
    send_->Close();
}

void LynxTestSend::Start(const std::string& levelName, const std::string& compiled) {
    writer_.stop();
    const char* ldCom = std::getenv("LD_COM");
    const std::string port = TestSendPort(ldCom ? ldCom : "", &registry_);
    if (send_->Start(port, levelName, compiled)) writer_.start();
    Show();
}

void LynxTestSend::Show() {
    emit statusChanged(ToQString(send_->Status()), ToQString(send_->Problem()));
    emit progressChanged(
        static_cast<int>(send_->Written()),
        send_->Busy() ? static_cast<int>(send_->Total()) : static_cast<int>(send_->Written()));
}

}  // namespace gdl

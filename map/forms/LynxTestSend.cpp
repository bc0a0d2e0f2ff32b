#include "LynxTestSend.h"

#include <QMetaObject>
#include <QPointer>
#include <cstdlib>

#include "QtText.h"

namespace gdl {

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
    line_->onWriteProgress = [this] {
        send_->WriteProgress();
        Show();
    };
    line_->onWritten = [this](bool ok) {
        send_->Written(ok);
        Show();
    };
    connect(&watchdog_.timer, &QTimer::timeout, this, [this] {
        send_->Tick();
        Show();
    });
}

LynxTestSend::~LynxTestSend() {
    send_->Close();
}

void LynxTestSend::Start(const std::string& levelName, const std::string& compiled) {
    const char* ldCom = std::getenv("LD_COM");
    const std::string port = TestSendPort(ldCom ? ldCom : "", &registry_);
    send_->Start(port, levelName, compiled);
    Show();
}

void LynxTestSend::Show() {
    emit statusChanged(ToQString(send_->Status()), ToQString(send_->Problem()));
    emit progressChanged(static_cast<int>(send_->Written()),
                         send_->Exchange().Writing() ? static_cast<int>(send_->Total())
                                                     : static_cast<int>(send_->Written()));
}

}  // namespace gdl

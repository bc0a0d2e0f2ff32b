// Tells the player when serial devices come and go: the folders where the
// kernel makes their nodes are watched, and a burst of changes (one adapter
// makes several) becomes one call.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace gdl {

class DeviceWatcher : public QObject {
    Q_OBJECT
public:
    DeviceWatcher(std::string devRoot, std::function<void()> changed, QObject* parent = nullptr);

private:
    void Watch();
    std::string devRoot_;
    std::function<void()> changed_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

// Turns a mouse click on a widget (the status line, the lamp) into a call.
class ClickFilter : public QObject {
    Q_OBJECT
public:
    ClickFilter(std::function<void()> clicked, QObject* parent)
        : QObject(parent), clicked_(std::move(clicked)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> clicked_;
};

}  // namespace gdl

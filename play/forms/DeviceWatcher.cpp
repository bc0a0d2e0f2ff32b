#include "DeviceWatcher.h"

#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>

#include "PathJoin.h"
#include "QtText.h"

namespace gdl {

namespace {
// udev makes the by-id link a moment after the node: changes this close
// together are one plug.
constexpr int kSettleMs = 300;
}  // namespace

DeviceWatcher::DeviceWatcher(std::string devRoot, std::function<void()> changed, QObject* parent)
    : QObject(parent), devRoot_(std::move(devRoot)), changed_(std::move(changed)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        Watch();
        if (changed_) changed_();
    });
    auto later = [this] { settle_.start(); };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, later);
    Watch();
}

// serial/ and serial/by-id/ exist only while an adapter is plugged in, so
// they are added again whenever they appear.
void DeviceWatcher::Watch() {
    for (const char* folder : {"", "serial", "serial/by-id"}) {
        const QString path = PathToQString(*folder ? JoinPath(devRoot_, folder) : devRoot_);
        if (QFileInfo::exists(path) && !watcher_.directories().contains(path))
            watcher_.addPath(path);
    }
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (clicked_) clicked_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace gdl

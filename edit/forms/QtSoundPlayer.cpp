#include "QtSoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include "QtText.h"

namespace gdl {

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::PlayAsync(const std::string& path) {
    Stop();
    // A bare name is resolved against the current folder, as the original did.
    const QFileInfo file(PathToQString(path));
    if (!file.isFile()) return;
    // A fresh effect per tune: re-using one for a new source can replay the
    // old sample while the new one loads.
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    effect_->setLoopCount(1);
    effect_->play();
}

void QtSoundPlayer::Stop() {
    if (effect_) effect_->stop();
    effect_.reset();
}

}  // namespace gdl

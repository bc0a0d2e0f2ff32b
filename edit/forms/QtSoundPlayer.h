// The music preview through Qt Multimedia.
#pragma once

#include <QObject>
#include <memory>

#include "SoundPlayer.h"

class QSoundEffect;

namespace gdl {

// Plays one wave file at a time, without waiting; a new tune stops the old
// one. A missing or unplayable file plays nothing and reports nothing.
class QtSoundPlayer : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    Q_DISABLE_COPY(QtSoundPlayer)

    void PlayAsync(const std::string& path) override;
    void Stop() override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace gdl

// Asynchronous playing of a wave file, and stopping it.
#pragma once

#include <string>
#include <vector>

namespace gdl {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing once; a missing or unplayable file is silent.
    virtual void PlayAsync(const std::string& path) = 0;
    virtual void Stop() = 0;
};

}  // namespace gdl

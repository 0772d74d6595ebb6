// Plays one of the program's wave files through Qt Multimedia and returns when it has ended.
#pragma once

#include "harvest/HarvestEngine.h"

#include <chrono>
#include <optional>
#include <string>

namespace tarnwick {

// The playing time of a PCM wave file from its header; nothing when the file is missing or is not
// a wave file the player can take.
std::optional<std::chrono::milliseconds> WaveDuration(const std::string& path);

class SoundFilePlayer final : public SoundPlayer {
public:
    // The wait beyond the file's own length before giving up on a sound that never reports its end.
    explicit SoundFilePlayer(std::chrono::milliseconds margin = std::chrono::milliseconds(500));

    // Synchronous: returns when the sound has ended, never later than its length plus the margin.
    // A missing or unplayable file, or a machine without an audio output, plays nothing at once.
    void PlaySoundFile(const std::string& path) override;

private:
    std::chrono::milliseconds margin_;
};

} // namespace tarnwick

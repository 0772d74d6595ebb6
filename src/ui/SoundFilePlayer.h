// Plays the program's wave files through Qt Multimedia without waiting for them to end.
#pragma once

#include "harvest/HarvestEngine.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick {

// The playing time of a PCM wave file from its header; nothing when the file is missing or is not
// a wave file the player can take.
std::optional<std::chrono::milliseconds> WaveDuration(const std::string& path);

class SoundFilePlayer final : public SoundPlayer {
public:
    SoundFilePlayer();
    ~SoundFilePlayer() override;
    SoundFilePlayer(const SoundFilePlayer&) = delete;
    SoundFilePlayer& operator=(const SoundFilePlayer&) = delete;

    // Starts the sound and returns at once; the same sound asked again starts over, different
    // sounds overlap. A missing or unplayable file, or a machine without an audio output, plays
    // nothing.
    void PlaySoundFile(const std::string& path) override;

private:
    struct Sound;
    std::map<std::string, std::unique_ptr<Sound>> sounds_;
};

} // namespace tarnwick

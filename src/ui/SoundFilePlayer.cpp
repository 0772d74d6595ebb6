// Wave playback: the header is checked here so a broken file never reaches the audio back end.
// Playing never waits: the engine's steps must not let other events run in their middle.
#include "ui/SoundFilePlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <array>
#include <cstdint>
#include <fstream>
#include <utility>

namespace tarnwick {
namespace {

std::uint32_t Le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::uint16_t Le16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

} // namespace

std::optional<std::chrono::milliseconds> WaveDuration(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::array<unsigned char, 12> riff{};
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size())) {
        return std::nullopt;
    }
    if (std::string(riff.begin(), riff.begin() + 4) != "RIFF" ||
        std::string(riff.begin() + 8, riff.end()) != "WAVE") {
        return std::nullopt;
    }

    std::uint32_t byteRate = 0;
    std::uint16_t format = 0;
    // Walk the chunks; the format chunk must come before the data chunk.
    for (int chunks = 0; chunks < 64; ++chunks) {
        std::array<unsigned char, 8> head{};
        if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) {
            return std::nullopt;
        }
        const std::string id(head.begin(), head.begin() + 4);
        const std::uint32_t size = Le32(head.data() + 4);
        if (id == "fmt ") {
            if (size < 16) {
                return std::nullopt;
            }
            std::array<unsigned char, 16> fmt{};
            if (!in.read(reinterpret_cast<char*>(fmt.data()), fmt.size())) {
                return std::nullopt;
            }
            format = Le16(fmt.data());
            byteRate = Le32(fmt.data() + 8);
            in.seekg(std::streamoff(size - 16 + (size & 1)), std::ios::cur);
        } else if (id == "data") {
            if (format != 1 || byteRate == 0) {
                return std::nullopt;
            }
            return std::chrono::milliseconds(std::int64_t(size) * 1000 / byteRate);
        } else {
            in.seekg(std::streamoff(size + (size & 1)), std::ios::cur);
        }
        if (!in) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// One wave file, loaded once and kept for the next time it is asked for.
struct SoundFilePlayer::Sound {
    explicit Sound(const QAudioDevice& device)
        : effect(device) {}
    QSoundEffect effect;
    bool wanted = false; // asked for while still loading
};

SoundFilePlayer::SoundFilePlayer() = default;

SoundFilePlayer::~SoundFilePlayer() = default;

void SoundFilePlayer::PlaySoundFile(const std::string& path) {
    if (!WaveDuration(path)) {
        return;
    }
    auto found = sounds_.find(path);
    if (found == sounds_.end()) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            return;
        }
        auto sound = std::make_unique<Sound>(device);
        Sound* loading = sound.get();
        // Loading runs in the background; a sound asked for meanwhile starts once it is ready.
        QObject::connect(&loading->effect, &QSoundEffect::statusChanged, &loading->effect, [loading] {
            if (loading->effect.status() == QSoundEffect::Ready && std::exchange(loading->wanted, false)) {
                loading->effect.play();
            }
        });
        loading->effect.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        found = sounds_.emplace(path, std::move(sound)).first;
    }
    Sound& sound = *found->second;
    if (sound.effect.status() != QSoundEffect::Ready) {
        sound.wanted = sound.effect.status() != QSoundEffect::Error;
        return;
    }
    sound.effect.stop();
    sound.effect.play();
}

} // namespace tarnwick

// Wave playback: the header is checked here so a broken file never reaches the audio back end.
#include "ui/SoundFilePlayer.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <array>
#include <cstdint>
#include <fstream>

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
    if (!in)
        return std::nullopt;
    std::array<unsigned char, 12> riff{};
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size()))
        return std::nullopt;
    if (std::string(riff.begin(), riff.begin() + 4) != "RIFF" ||
        std::string(riff.begin() + 8, riff.end()) != "WAVE")
        return std::nullopt;

    std::uint32_t byteRate = 0;
    std::uint16_t format = 0;
    // Walk the chunks; the format chunk must come before the data chunk.
    for (int chunks = 0; chunks < 64; ++chunks) {
        std::array<unsigned char, 8> head{};
        if (!in.read(reinterpret_cast<char*>(head.data()), head.size()))
            return std::nullopt;
        const std::string id(head.begin(), head.begin() + 4);
        const std::uint32_t size = Le32(head.data() + 4);
        if (id == "fmt ") {
            if (size < 16)
                return std::nullopt;
            std::array<unsigned char, 16> fmt{};
            if (!in.read(reinterpret_cast<char*>(fmt.data()), fmt.size()))
                return std::nullopt;
            format = Le16(fmt.data());
            byteRate = Le32(fmt.data() + 8);
            in.seekg(std::streamoff(size - 16 + (size & 1)), std::ios::cur);
        } else if (id == "data") {
            if (format != 1 || byteRate == 0)
                return std::nullopt;
            return std::chrono::milliseconds(std::int64_t(size) * 1000 / byteRate);
        } else {
            in.seekg(std::streamoff(size + (size & 1)), std::ios::cur);
        }
        if (!in)
            return std::nullopt;
    }
    return std::nullopt;
}

SoundFilePlayer::SoundFilePlayer(std::chrono::milliseconds margin)
    : margin_(margin) {}

void SoundFilePlayer::PlaySoundFile(const std::string& path) {
    const auto duration = WaveDuration(path);
    if (!duration)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;

    QSoundEffect effect(device);
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Ready)
            effect.play();
        else if (effect.status() == QSoundEffect::Error)
            loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying())
            loop.quit();
    });
    bound.start(duration->count() + margin_.count());
    effect.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    if (effect.status() == QSoundEffect::Ready)
        effect.play();
    // The caller waits as with a blocking call, but timers and sockets keep running so no download
    // times out because a sound was playing; clicks wait until the sound has ended.
    if (bound.isActive() && effect.status() != QSoundEffect::Error)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    effect.stop();
}

} // namespace tarnwick

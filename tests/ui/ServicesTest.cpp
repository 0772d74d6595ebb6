// The window services: message boxes, sounds, the on-top band and the code-page conversion.
#include "UiTestSupport.h"
#include "ui/AnsiText.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/OnTop.h"
#include "ui/SoundFilePlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

TEST(MessageBoxes, UntitledBoxesCarryTheProgramNameAndMoveTheFocus) {
    MessageBoxPrompts prompts(QStringLiteral("Tarnwick"));
    QWidget owner;
    std::vector<FocusTarget> focused;
    prompts.SetOwner(&owner, [&focused](FocusTarget target) { focused.push_back(target); });

    SeenBox seen;
    AnswerNextMessageBox(QMessageBox::Ok, seen);
    prompts.ShowMessage("Please enter a search type before begining your search.", FocusTarget::Combo1);
    EXPECT_EQ(seen.title, QStringLiteral("Tarnwick"));
    EXPECT_EQ(seen.text, QStringLiteral("Please enter a search type before begining your search."));
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(focused, std::vector<FocusTarget>{FocusTarget::Combo1});

    AnswerNextMessageBox(QMessageBox::Cancel, seen);
    EXPECT_FALSE(prompts.ConfirmOkCancel("Are you sure?", "Confirm"));
    EXPECT_EQ(seen.title, QStringLiteral("Confirm"));
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);

    AnswerNextMessageBox(QMessageBox::Ok, seen);
    EXPECT_TRUE(prompts.ConfirmOkCancel("Continue?", ""));
    EXPECT_EQ(seen.title, QStringLiteral("Tarnwick"));
}

void WriteWave(const std::string& path, std::uint16_t format, std::uint32_t rate, std::uint32_t dataBytes,
               bool withListChunk = false) {
    std::ofstream out(path, std::ios::binary);
    const auto le32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.put(char((v >> (8 * i)) & 0xff));
        }
    };
    const auto le16 = [&out](std::uint16_t v) {
        out.put(char(v & 0xff));
        out.put(char(v >> 8));
    };
    out << "RIFF";
    le32(36 + dataBytes + (withListChunk ? 14 : 0));
    out << "WAVE";
    if (withListChunk) {
        out << "LIST";
        le32(5);
        out << "hello";
        out.put('\0'); // pad to an even size
    }
    out << "fmt ";
    le32(16);
    le16(format);
    le16(1);
    le32(rate);
    le32(rate * 2);
    le16(2);
    le16(16);
    out << "data";
    le32(dataBytes);
    out << std::string(dataBytes, '\0');
}

TEST(Sounds, WaveLengthComesFromTheHeaderAndBrokenFilesAreRefused) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    WriteWave(base + "/quarter.wav", 1, 8000, 4000);
    EXPECT_EQ(WaveDuration(base + "/quarter.wav"), std::chrono::milliseconds(250));
    WriteWave(base + "/listed.wav", 1, 8000, 8000, true);
    EXPECT_EQ(WaveDuration(base + "/listed.wav"), std::chrono::milliseconds(500));
    WriteWave(base + "/compressed.wav", 2, 8000, 4000);
    EXPECT_EQ(WaveDuration(base + "/compressed.wav"), std::nullopt);
    WriteWave(base + "/norate.wav", 1, 0, 4000);
    EXPECT_EQ(WaveDuration(base + "/norate.wav"), std::nullopt);
    std::ofstream(base + "/text.wav") << "this is not a sound";
    EXPECT_EQ(WaveDuration(base + "/text.wav"), std::nullopt);
    std::ofstream(base + "/truncated.wav", std::ios::binary) << "RIFF\x10\0\0\0WAVEfmt ";
    EXPECT_EQ(WaveDuration(base + "/truncated.wav"), std::nullopt);
    EXPECT_EQ(WaveDuration(base + "/missing.wav"), std::nullopt);
    EXPECT_EQ(WaveDuration(base), std::nullopt); // a folder
}

// A sound never lets other events run: a zero-delay timer queued before the call has not fired
// when it returns, whatever the file, and the call does not wait for the sound to end.
TEST(Sounds, PlayingReturnsAtOnceWithoutRunningPendingEvents) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    WriteWave(base + "/half.wav", 1, 8000, 8000); // 500 ms
    std::ofstream(base + "/broken.wav") << "RIFF....WAVEjunk";
    SoundFilePlayer player;
    for (const char* name : {"half.wav", "half.wav", "missing.wav", "broken.wav", "half.wav"}) {
        SCOPED_TRACE(name);
        bool fired = false;
        QTimer::singleShot(0, [&fired] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        player.PlaySoundFile(base + "/" + name);
        EXPECT_LT(clock.elapsed(), 50);
        EXPECT_FALSE(fired);
        QCoreApplication::processEvents();
        EXPECT_TRUE(fired);
    }
}

TEST(Sounds, TheProgramShipsThreeShortWaveFiles) {
    for (const char* name : {"foundfax.wav", "nextsearch.wav", "finished.wav"}) {
        const auto duration = WaveDuration(std::string(TARNWICK_APP_DIR) + "/sounds/" + name);
        ASSERT_TRUE(duration.has_value()) << name;
        EXPECT_GT(duration->count(), 50) << name;
        EXPECT_LT(duration->count(), 1000) << name;
    }
}

TEST(OnTop, TheWindowKeepsItsPlaceAndSizeAndVisibility) {
    QWidget window;
    window.setGeometry(120, 80, 300, 200);
    window.show();
    const QRect before = window.geometry();
    SetTopmost(window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);
    SetTopmost(window, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    QWidget hidden;
    SetTopmost(hidden, true);
    EXPECT_FALSE(hidden.isVisible());
}

TEST(CodePage, WindowsTextMapsToSingleBytes) {
    struct Case {
        QString text;
        std::string bytes;
    };
    const Case cases[] = {
        {QStringLiteral("plain fax"), "plain fax"},
        {QString(QChar(0x20AC)) + QStringLiteral("5"), "\x80"
                                                       "5"},
        {QString(QChar(0x2019)), "\x92"},
        {QString(QChar(0xE9)), "\xE9"},
        {QString(QChar(0x00A0)), "\xA0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToAnsi(c.text), c.bytes);
        EXPECT_EQ(FromAnsi(c.bytes), c.text);
    }
    EXPECT_EQ(ToAnsi(QString(QChar(0x03A9))), "?"); // not in the code page
    EXPECT_EQ(FromAnsi("\x81"), QString(QChar(0x81)));
    EXPECT_EQ(ToAnsi(QString(QChar(0x81))), "\x81");
}

} // namespace
} // namespace tarnwick::test

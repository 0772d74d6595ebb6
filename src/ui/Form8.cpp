// The help window; the guide is RTF, turned into rich text by the program's own reader.
#include "ui/Form8.h"

#include "store/Files.h"
#include "text/Rtf.h"
#include "ui/OnTop.h"
#include "ui/Skin.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>
#include <utility>

namespace tarnwick {

Form8::Form8(SettingsStore& settings, std::string appFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , settings_(settings)
    , appFolder_(std::move(appFolder)) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Readme/Help"));
    rtf1_ = new QTextEdit(this);
    rtf1_->setObjectName(QStringLiteral("rtf1"));
    rtf1_->setReadOnly(true);
    rtf1_->setGeometry(TwipsRect(*this, 0, 0, 10275, 7515));
    rtf1_->setTabStopDistance(TwipsToPx(*this, 720)); // RTF's default tab stops, half an inch apart
    Check1_ = new QCheckBox(QStringLiteral("Show at Startup"), this);
    Check1_->setObjectName(QStringLiteral("Check1"));
    Check1_->setGeometry(TwipsRect(*this, 60, 7620, 1995, 255));
    setFixedSize(TwipsToPx(*this, 10290), TwipsToPx(*this, 7920));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    connect(Check1_, &QCheckBox::clicked, this, &Form8::Check1_Click);
}

void Form8::Load() {
    ApplyColours(*this);
    const std::string path = appFolder_ + "/Help.rtf";
    if (!FileExists(path)) {
        setVisible(false);
        return;
    }
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        const std::string html = RtfToHtml(ReadRtf(std::string_view(bytes.constData(), bytes.size())));
        rtf1_->setHtml(QString::fromLatin1(html.data(), static_cast<qsizetype>(html.size())));
    }
    SetTopmost(*this, true);
    Check1_->setChecked(settings_.Read("showHelp", "1") == "1");
}

void Form8::Check1_Click() {
    settings_.Write("showHelp", Check1_->isChecked() ? "1" : "0");
}

} // namespace tarnwick

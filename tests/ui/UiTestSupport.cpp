// Test environment: every test gets its own folder, database and settings file.
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarnwick::test {

UiEnvironment::UiEnvironment()
    : database_(dir_.path().toStdString() + "/spider.mdb") {
    EXPECT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       dir_.path() + QStringLiteral("/config"));
    EXPECT_TRUE(database_.EnsureExists());
}

QString UiEnvironment::settingsFile() const {
    return dir_.path() + QStringLiteral("/config/Tarnwick/Tarnwick.conf");
}

QString UiEnvironment::Stored(const QString& key) const {
    const QSettings file(settingsFile(), QSettings::IniFormat);
    return file.value(QStringLiteral("Settings/") + key, QStringLiteral("<absent>")).toString();
}

void UiEnvironment::Store(const QString& key, const QString& value) const {
    QSettings file(settingsFile(), QSettings::IniFormat);
    file.setValue(QStringLiteral("Settings/") + key, value);
    file.sync();
}

Branding TestBranding() {
    return {QStringLiteral("Tarnwick"), QStringLiteral("Test Works"), QStringLiteral("www.test.example"), 2,
            0};
}

WindowUnderTest::WindowUnderTest(UiEnvironment& env) {
    engine = std::make_unique<HarvestEngine>(
        EngineServices{env.database(), env.appFolder(), sounds, prompts, settings, {}});
    engine->SetListBuilder(&launcher);
    form = std::make_unique<Form1>(*engine, settings, TestBranding());
    form->openFolder = [](const QUrl&) {};
    QObject::connect(form.get(), &Form1::helpRequested, form.get(), [this] { ++helpRequests; });
}

WindowUnderTest::~WindowUnderTest() {
    form.reset();
    engine->Shutdown();
}

void AnswerNextMessageBox(QMessageBox::StandardButton button, SeenBox& seen) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        seen = {box->windowTitle(), box->text(), box->standardButtons()};
        box->button(button)->click();
        poll->deleteLater();
    });
    poll->start(5);
}

QStringList Texts(const std::vector<const char*>& texts) {
    QStringList list;
    for (const char* text : texts) {
        list << QString::fromUtf8(text);
    }
    return list;
}

} // namespace tarnwick::test

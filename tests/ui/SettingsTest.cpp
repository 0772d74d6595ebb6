// The main window's options: defaults on a first run, immediate writes, restore at the next start,
// and stored values that are not usable falling back to their defaults.
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace tarnwick::test {
namespace {

struct OptionState {
    int combo1;
    int combo2;
    bool chkAuto;
    bool chkAddFax;
    bool chkNonUS;
    bool chkAudioEmail;
    bool chkAudioNext;
    bool chkAudioFinished;
    int cmbAdvance;
    int cmbLastSearch;
};

OptionState ShownOptions(const WindowUnderTest& w) {
    return {
        w.Find<QComboBox>("Combo1")->currentIndex(),     w.Find<QComboBox>("Combo2")->currentIndex(),
        w.Find<QCheckBox>("chkAuto")->isChecked(),       w.Find<QCheckBox>("chkAddFax")->isChecked(),
        w.Find<QCheckBox>("chkNonUS")->isChecked(),      w.Find<QCheckBox>("chkAudioEmail")->isChecked(),
        w.Find<QCheckBox>("chkAudioNext")->isChecked(),  w.Find<QCheckBox>("chkAudioFinished")->isChecked(),
        w.Find<QComboBox>("cmbAdvance")->currentIndex(), w.Find<QComboBox>("cmbLastSearch")->currentIndex()};
}

std::vector<QString> StatsTexts(const WindowUnderTest& w) {
    std::vector<QString> texts;
    for (QLabel* label : w.form->findChildren<QLabel*>(QStringLiteral("lblStats"))) {
        texts.push_back(label->text());
    }
    return texts;
}

// The two combos unchosen, "Enable" clear and the five other boxes ticked.
void ExpectDefaultChoicesAndBoxes(const OptionState& shown) {
    EXPECT_EQ(shown.combo1, -1);
    EXPECT_EQ(shown.combo2, -1);
    EXPECT_FALSE(shown.chkAuto);
    EXPECT_TRUE(shown.chkAddFax);
    EXPECT_TRUE(shown.chkNonUS);
    EXPECT_TRUE(shown.chkAudioEmail);
    EXPECT_TRUE(shown.chkAudioNext);
    EXPECT_TRUE(shown.chkAudioFinished);
}

TEST(MainWindowSettings, FirstRunShowsEveryDefault) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();

    const OptionState shown = ShownOptions(w);
    ExpectDefaultChoicesAndBoxes(shown);
    EXPECT_EQ(w.Find<QComboBox>("cmbAdvance")->currentText(), QStringLiteral("10,000"));
    EXPECT_EQ(w.engine->AdvanceAfter(), 10000);
    EXPECT_EQ(w.Find<QComboBox>("cmbLastSearch")->currentText(), QStringLiteral("Stop Immediately"));
    EXPECT_EQ(StatsTexts(w), std::vector<QString>(5, QStringLiteral("0")));
    EXPECT_EQ(w.helpRequests, 1);

    // The engine reads the options the controls show.
    const Options& options = w.engine->options();
    EXPECT_EQ(options.Combo1, -1);
    EXPECT_EQ(options.Combo2, -1);
    EXPECT_FALSE(options.chkAuto);
    EXPECT_TRUE(options.chkAddFax && options.chkNonUS && options.chkAudioEmail && options.chkAudioNext &&
                options.chkAudioFinished);
    EXPECT_EQ(options.cmbLastSearch, 0);

    // Loading writes nothing.
    EXPECT_EQ(env.Stored(QStringLiteral("Combo1")), QStringLiteral("<absent>"));
    EXPECT_EQ(env.Stored(QStringLiteral("chkAddFax")), QStringLiteral("<absent>"));
}

TEST(MainWindowSettings, EveryOptionIsWrittenAtOnceAndSurvivesARestart) {
    UiEnvironment env;
    {
        WindowUnderTest w(env);
        w.form->Load();
        w.Find<QComboBox>("Combo1")->setCurrentIndex(1);
        EXPECT_EQ(env.Stored(QStringLiteral("Combo1")), QStringLiteral("1")); // before any exit
        w.Find<QComboBox>("Combo2")->setCurrentIndex(5);
        w.Find<QCheckBox>("chkAuto")->click();
        w.Find<QCheckBox>("chkAddFax")->click();
        w.Find<QCheckBox>("chkNonUS")->click();
        w.Find<QCheckBox>("chkAudioEmail")->click();
        w.Find<QCheckBox>("chkAudioNext")->click();
        w.Find<QCheckBox>("chkAudioFinished")->click();
        w.Find<QComboBox>("cmbAdvance")->setCurrentIndex(7);
        w.Find<QComboBox>("cmbLastSearch")->setCurrentIndex(1);
        EXPECT_EQ(env.Stored(QStringLiteral("chkAuto")), QStringLiteral("1"));
        EXPECT_EQ(env.Stored(QStringLiteral("chkAudioFinished")), QStringLiteral("0"));
        EXPECT_EQ(env.Stored(QStringLiteral("cmbAdvance")), QStringLiteral("7"));
        EXPECT_EQ(w.engine->AdvanceAfter(), 500000);
        EXPECT_TRUE(w.engine->options().chkAuto);
        EXPECT_FALSE(w.engine->options().chkNonUS);
        EXPECT_EQ(w.engine->options().Combo2, 5);
    }
    WindowUnderTest again(env);
    again.form->Load();
    const OptionState shown = ShownOptions(again);
    EXPECT_EQ(shown.combo1, 1);
    EXPECT_EQ(shown.combo2, 5);
    EXPECT_TRUE(shown.chkAuto);
    EXPECT_FALSE(shown.chkAddFax);
    EXPECT_FALSE(shown.chkNonUS);
    EXPECT_FALSE(shown.chkAudioEmail);
    EXPECT_FALSE(shown.chkAudioNext);
    EXPECT_FALSE(shown.chkAudioFinished);
    EXPECT_EQ(shown.cmbAdvance, 7);
    EXPECT_EQ(again.Find<QComboBox>("cmbLastSearch")->currentText(),
              QStringLiteral("Continue Until Stopped"));
    EXPECT_EQ(again.engine->options().cmbLastSearch, 1);
    EXPECT_EQ(again.engine->AdvanceAfter(), 500000);
    EXPECT_FALSE(again.engine->options().chkAudioEmail);
}

// A value other than the row's default that the control offers.
int OtherValue(const OptionControl& option) {
    const auto* combo = qobject_cast<const QComboBox*>(option.widget);
    const int count = combo ? combo->count() : 2;
    return option.fallback + 1 < count ? option.fallback + 1 : 0;
}

TEST(MainWindowSettings, TheOptionTableRoundTripsEveryKeyWithItsDefault) {
    UiEnvironment env;
    std::map<std::string, int> chosen;
    {
        WindowUnderTest w(env);
        w.form->Load();
        std::map<std::string, int> defaults;
        for (const OptionControl& option : w.form->OptionTable()) {
            defaults[option.key] = option.fallback;
        }
        const std::map<std::string, int> expected = {
            {"Combo1", -1},          {"Combo2", -1},      {"chkAuto", 0},       {"chkAddFax", 1},
            {"chkNonUS", 1},         {"chkSecureWeb", 0}, {"chkAudioEmail", 1}, {"chkAudioNext", 1},
            {"chkAudioFinished", 1}, {"cmbAdvance", 2},   {"cmbLastSearch", 0}};
        EXPECT_EQ(defaults, expected);

        for (const OptionControl& option : w.form->OptionTable()) {
            EXPECT_EQ(ShownValue(option), option.fallback) << option.key;
            const int value = OtherValue(option);
            ShowValue(option, value);
            chosen[option.key] = value;
            EXPECT_EQ(env.Stored(QLatin1String(option.key)), QString::number(value)) << option.key;
        }
    }
    WindowUnderTest again(env);
    again.form->Load();
    for (const OptionControl& option : again.form->OptionTable()) {
        EXPECT_EQ(ShownValue(option), chosen[option.key]) << option.key;
    }
}

TEST(MainWindowSettings, SecureWebIsOffByDefaultWrittenOnClickAndReadByTheEngine) {
    UiEnvironment env;
    {
        WindowUnderTest w(env);
        w.form->Load();
        QCheckBox* box = w.Find<QCheckBox>("chkSecureWeb");
        EXPECT_EQ(box->text(), QStringLiteral("Secure web (https)"));
        EXPECT_EQ(box->toolTip(),
                  QStringLiteral("Fetch https sites, follow redirects and every link of a page"));
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(w.engine->options().chkSecureWeb);
        EXPECT_EQ(env.Stored(QStringLiteral("chkSecureWeb")), QStringLiteral("<absent>"));
        box->click();
        EXPECT_EQ(env.Stored(QStringLiteral("chkSecureWeb")), QStringLiteral("1"));
        EXPECT_TRUE(w.engine->options().chkSecureWeb);
        // Below "Allow International", inside the Options frame, clear of the statistics.
        const QRect nonUs = w.form->TwipGeometry(w.Find<QCheckBox>("chkNonUS"));
        const QRect secure = w.form->TwipGeometry(box);
        EXPECT_EQ(secure.top(), nonUs.top() + 240);
        EXPECT_EQ(secure.left(), nonUs.left());
        const QRect options = w.form->TwipGeometry(w.form->findChild<QWidget*>(QStringLiteral("Frame4")));
        const QRect statistics = w.form->TwipGeometry(w.form->findChild<QWidget*>(QStringLiteral("Frame3")));
        EXPECT_LE(secure.top() + secure.height(), options.height());
        EXPECT_LE(options.top() + options.height(), statistics.top());
    }
    WindowUnderTest again(env);
    again.form->Load();
    EXPECT_TRUE(again.Find<QCheckBox>("chkSecureWeb")->isChecked());
    EXPECT_TRUE(again.engine->options().chkSecureWeb);
}

TEST(MainWindowSettings, LifetimeCountersAndHelpChoiceAreRead) {
    UiEnvironment env;
    env.Store(QStringLiteral("lHistWebScanned"), QStringLiteral("123456"));
    env.Store(QStringLiteral("lHistEmailFound"), QStringLiteral("2147483647"));
    env.Store(QStringLiteral("showHelp"), QStringLiteral("0"));
    WindowUnderTest w(env);
    w.form->Load();
    EXPECT_EQ(StatsTexts(w),
              (std::vector<QString>{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                    QStringLiteral("123456"), QStringLiteral("2147483647")}));
    EXPECT_EQ(w.engine->Stats().histSitesScanned, 123456);
    EXPECT_EQ(w.helpRequests, 0);
}

struct CorruptCase {
    const char* key;
    const char* stored;
};

class CorruptSetting : public testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptSetting, FallsBackToTheDefault) {
    UiEnvironment env;
    env.Store(QLatin1String(GetParam().key), QLatin1String(GetParam().stored));
    WindowUnderTest w(env);
    w.form->Load();
    const OptionState shown = ShownOptions(w);
    ExpectDefaultChoicesAndBoxes(shown);
    EXPECT_EQ(shown.cmbAdvance, 2);
    EXPECT_EQ(w.engine->AdvanceAfter(), 10000);
    EXPECT_EQ(shown.cmbLastSearch, 0);
    EXPECT_EQ(StatsTexts(w), std::vector<QString>(5, QStringLiteral("0")));
}

INSTANTIATE_TEST_SUITE_P(
    NotANumberOrOutOfRange, CorruptSetting,
    testing::Values(CorruptCase{"Combo1", "Google"}, CorruptCase{"Combo1", "2"}, CorruptCase{"Combo1", "-2"},
                    CorruptCase{"Combo2", "6"}, CorruptCase{"Combo2", "1.5"}, CorruptCase{"chkAuto", "2"},
                    CorruptCase{"chkAuto", "true"}, CorruptCase{"chkAddFax", "-1"},
                    CorruptCase{"chkNonUS", ""}, CorruptCase{"chkAudioEmail", "0x0"},
                    CorruptCase{"chkAudioNext", " 0"}, CorruptCase{"chkAudioFinished", "0 "},
                    CorruptCase{"cmbAdvance", "8"}, CorruptCase{"cmbAdvance", "-1"},
                    CorruptCase{"cmbAdvance", "+3"}, CorruptCase{"cmbLastSearch", "2"},
                    CorruptCase{"cmbLastSearch", "1e0"}, CorruptCase{"lHistEmailFound", "-5"},
                    CorruptCase{"lHistEmailFound", "2147483648"},
                    CorruptCase{"lHistWebScanned", "99999999999999999999999"},
                    CorruptCase{"lHistWebScanned", "12abc"}));

struct NumberCase {
    const char* stored;
    std::int64_t expected;
};

class StrictNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(StrictNumber, OnlyWholeDecimalsInRangeAreTaken) {
    UiEnvironment env;
    QtSettingsStore store;
    store.Write("value", GetParam().stored);
    EXPECT_EQ(ReadNumber(store, "value", 99, -1, 7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, StrictNumber,
                         testing::Values(NumberCase{"0", 0}, NumberCase{"7", 7}, NumberCase{"-1", -1},
                                         NumberCase{"8", 99}, NumberCase{"-2", 99}, NumberCase{"", 99},
                                         NumberCase{"3x", 99}, NumberCase{"x3", 99}, NumberCase{"- 1", 99},
                                         NumberCase{"007", 7}));

TEST(SettingsStore, KeysLiveInTheSettingsGroupOfTheProgram) {
    UiEnvironment env;
    QtSettingsStore store;
    EXPECT_EQ(store.Read("Combo1", "-1"), "-1");
    store.Write("Combo1", "1");
    EXPECT_EQ(store.Read("Combo1", "-1"), "1");
    EXPECT_EQ(env.Stored(QStringLiteral("Combo1")), QStringLiteral("1"));
}

// The file as it is on disk: other settings objects of this process share the store's memory, so
// only the bytes show whether a write was really saved.
QByteArray FileText(const UiEnvironment& env) {
    QFile file(env.settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SettingsStore, WritesReachTheFileOnSyncAndWhenTheStoreGoes) {
    UiEnvironment env;
    {
        QtSettingsStore store;
        store.Write("lHistWebScanned", "41");
        store.Sync();
        EXPECT_TRUE(FileText(env).contains("lHistWebScanned=41")) << FileText(env).toStdString();
        store.Write("lHistWebScanned", "42");
        store.Write("showHelp", "0");
    }
    const QByteArray text = FileText(env);
    EXPECT_TRUE(text.contains("[Settings]")) << text.toStdString();
    EXPECT_TRUE(text.contains("lHistWebScanned=42")) << text.toStdString();
    EXPECT_TRUE(text.contains("showHelp=0")) << text.toStdString();
}

TEST(MainWindowSettings, LifetimeCountersCountedJustBeforeCloseAreSavedAndShownAtTheNextStart) {
    UiEnvironment env;
    {
        WindowUnderTest w(env);
        w.form->Load();
        w.engine->CountEvent(Counted::WebsiteScanned);
        w.engine->CountEvent(Counted::WebsiteScanned);
        w.engine->CountEvent(Counted::NumberStored);
        // Well within the second the counters may wait before they are saved.
        w.form->close();
    }
    const QByteArray text = FileText(env);
    EXPECT_TRUE(text.contains("lHistWebScanned=2")) << text.toStdString();
    EXPECT_TRUE(text.contains("lHistEmailFound=1")) << text.toStdString();
    WindowUnderTest again(env);
    again.form->Load();
    EXPECT_EQ(again.engine->Stats().histSitesScanned, 2);
    EXPECT_EQ(again.engine->Stats().histNumbersFound, 1);
}

TEST(SettingsStore, EveryValueReadsBackUnchangedAtTheNextStart) {
    UiEnvironment env;
    const std::vector<std::pair<std::string, std::string>> values = {{"Combo1", "-1"},
                                                                     {"lHistEmailFound", "2147483647"},
                                                                     {"chkSecureWeb", "1"},
                                                                     {"text", " spaced, = and ; "},
                                                                     {"empty", ""}};
    {
        QtSettingsStore store;
        for (const auto& [key, value] : values) {
            store.Write(key, value);
        }
    }
    // Read back through another settings object on the file, as the next start does.
    QSettings file(env.settingsFile(), QSettings::IniFormat);
    for (const auto& [key, value] : values) {
        EXPECT_EQ(
            file.value(QStringLiteral("Settings/") + QString::fromStdString(key)).toString().toStdString(),
            value)
            << key;
    }
    QtSettingsStore again;
    for (const auto& [key, value] : values) {
        EXPECT_EQ(again.Read(key, "<absent>"), value) << key;
    }
}

} // namespace
} // namespace tarnwick::test

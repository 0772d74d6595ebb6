// The engine list of the main window: four engines with the secure-web option, two without, the
// selection kept while offered, and the stored index read against the list offered at load.
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items.append(combo->itemText(i));
    }
    return items;
}

const QStringList kTwo = {QStringLiteral("Google Search"), QStringLiteral("Yahoo Search")};
const QStringList kFour = {QStringLiteral("Google Search"), QStringLiteral("Yahoo Search"),
                           QStringLiteral("Bing Search"), QStringLiteral("DuckDuckGo Search")};

TEST(EngineList, TickingTheSecureWebBoxRebuildsTheListAndKeepsWhatIsStillOffered) {
    UiEnvironment env;
    WindowUnderTest w(env);
    w.form->Load();
    auto* combo = w.Find<QComboBox>("Combo1");
    QCheckBox* box = w.Find<QCheckBox>("chkSecureWeb");
    EXPECT_EQ(Items(combo), kTwo);

    combo->setCurrentIndex(1);
    box->click();
    EXPECT_EQ(Items(combo), kFour);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(w.engine->options().Combo1, 1);

    combo->setCurrentIndex(3);
    EXPECT_EQ(env.Stored(QStringLiteral("Combo1")), QStringLiteral("3"));
    box->click();
    EXPECT_EQ(Items(combo), kTwo);
    // DuckDuckGo is no longer offered: nothing is selected, and Start asks for a search type.
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(w.engine->options().Combo1, -1);

    combo->setCurrentIndex(0);
    box->click();
    box->click();
    EXPECT_EQ(combo->currentIndex(), 0);
}

TEST(EngineList, StoredIndexIsReadAgainstTheListOfferedAtLoad) {
    struct Case {
        const char* secureWeb;
        const char* combo1;
        int shown;
    };
    const Case cases[] = {{"1", "3", 3}, {"1", "2", 2}, {"0", "3", -1}, {"0", "1", 1}, {"1", "4", -1}};
    for (const Case& c : cases) {
        UiEnvironment env;
        env.Store(QStringLiteral("chkSecureWeb"), QString::fromLatin1(c.secureWeb));
        env.Store(QStringLiteral("Combo1"), QString::fromLatin1(c.combo1));
        WindowUnderTest w(env);
        w.form->Load();
        EXPECT_EQ(w.Find<QComboBox>("Combo1")->currentIndex(), c.shown) << c.secureWeb << " " << c.combo1;
        EXPECT_EQ(w.engine->options().Combo1, c.shown) << c.secureWeb << " " << c.combo1;
        // Loading never writes the index back.
        EXPECT_EQ(env.Stored(QStringLiteral("Combo1")), QString::fromLatin1(c.combo1));
    }
}

} // namespace
} // namespace tarnwick::test

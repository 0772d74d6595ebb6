// Tests of the skin layer: colouring by control kind, the engine's life cycle and skinned labels.
#include "ui/Skin.h"

#include "ui/Artwork.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarnwick {
namespace {

std::shared_ptr<Skin> DistinctSkin() {
    auto skin = std::make_shared<Skin>();
    skin->colourA = QColor(1, 2, 3);
    skin->colourB = QColor(4, 5, 6);
    skin->colourC = QColor(7, 8, 9);
    skin->colourD = QColor(10, 11, 12);
    return skin;
}

class SkinTest : public testing::Test {
protected:
    void SetUp() override { SetGlobalSkin(DistinctSkin()); }
    void TearDown() override {
        SetGlobalSkin(nullptr);
        skinEngine().Release();
    }
};

struct KindCase {
    const char* kind;
    std::function<QWidget*(QWidget*)> make;
    QPalette::ColorRole backRole;
    QColor back; // invalid: the back colour is left alone
    QColor fore; // invalid: the fore colour is left alone
};

TEST_F(SkinTest, ApplyColoursByControlKind) {
    const QColor a(1, 2, 3), b(4, 5, 6), c(7, 8, 9);
    const std::vector<KindCase> cases = {
        {"CommandButton", [](QWidget* p) { return new QPushButton(p); }, QPalette::Button, a, {}},
        {"CommandButton", [](QWidget* p) { return new QToolButton(p); }, QPalette::Button, a, {}},
        {"TextBox", [](QWidget* p) { return new QLineEdit(p); }, QPalette::Base, a, b},
        {"TextBox", [](QWidget* p) { return new QPlainTextEdit(p); }, QPalette::Base, a, b},
        {"ComboBox", [](QWidget* p) { return new QComboBox(p); }, QPalette::Base, a, b},
        {"ListBox", [](QWidget* p) { return new QListWidget(p); }, QPalette::Base, a, b},
        {"ListView", [](QWidget* p) { return new QTreeWidget(p); }, QPalette::Base, a, b},
        {"PictureBox", [](QWidget* p) { return new PictureBox({}, p); }, QPalette::Window, c, {}},
        {"CheckBox", [](QWidget* p) { return new QCheckBox(p); }, QPalette::Button, {}, {}},
        {"RichTextBox", [](QWidget* p) { return new QTextEdit(p); }, QPalette::Base, {}, {}},
        {"Label", [](QWidget* p) { return new QLabel(p); }, QPalette::Window, {}, {}},
    };
    QWidget window;
    auto* frame = new QGroupBox(&window); // controls inside frames are controls of the window too
    std::vector<QWidget*> controls;
    for (const auto& kindCase : cases) {
        controls.push_back(kindCase.make(frame));
    }
    const QPalette before = controls.front()->palette();
    ApplyColours(window);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].kind);
        EXPECT_EQ(ControlTypeName(*controls[i]), QString::fromLatin1(cases[i].kind));
        const QPalette palette = controls[i]->palette();
        if (cases[i].back.isValid()) {
            EXPECT_EQ(palette.color(cases[i].backRole), cases[i].back);
        } else {
            EXPECT_TRUE(palette.color(cases[i].backRole) != a && palette.color(cases[i].backRole) != c);
        }
        if (cases[i].fore.isValid()) {
            EXPECT_EQ(palette.color(QPalette::Text), cases[i].fore);
        } else {
            EXPECT_NE(palette.color(QPalette::Text), b);
        }
        // D is never used on a control.
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            EXPECT_NE(palette.color(static_cast<QPalette::ColorRole>(role)), QColor(10, 11, 12));
        }
    }
    EXPECT_TRUE(window.property("skinned").toBool());
    EXPECT_NE(before.color(QPalette::Button), a);
}

TEST_F(SkinTest, DeclaredKindOverridesClass) {
    QWidget window;
    auto* picture = new QLabel(&window);
    picture->setProperty("controlType", QStringLiteral("PictureBox"));
    ApplyColours(window);
    EXPECT_EQ(picture->palette().color(QPalette::Window), QColor(7, 8, 9));
}

TEST_F(SkinTest, WithoutGlobalSkinNothingChanges) {
    SetGlobalSkin(nullptr);
    QWidget window;
    auto* button = new QPushButton(&window);
    const QPalette before = button->palette();
    ApplyColours(window);
    EXPECT_EQ(button->palette(), before);
    EXPECT_FALSE(window.property("skinned").isValid());
}

TEST_F(SkinTest, EngineAppliesAndReleasesTheApplicationLook) {
    SkinEngine engine;
    EXPECT_FALSE(engine.Apply()); // nothing attached
    EXPECT_FALSE(engine.Attach(nullptr));
    const QPalette original = QApplication::palette();
    const auto skin = DistinctSkin();
    ASSERT_TRUE(engine.Attach(skin));
    ASSERT_TRUE(engine.Apply());
    EXPECT_TRUE(engine.IsApplied());
    EXPECT_EQ(QApplication::palette().color(QPalette::Base), skin->colourA);
    EXPECT_TRUE(engine.Apply()); // applying twice keeps the look from before the first
    engine.Release();
    EXPECT_FALSE(engine.IsApplied());
    EXPECT_EQ(engine.Attached(), nullptr);
    EXPECT_EQ(QApplication::palette().color(QPalette::Base), original.color(QPalette::Base));
    engine.Release(); // harmless a second time
    EXPECT_EQ(QApplication::palette().color(QPalette::Base), original.color(QPalette::Base));
}

TEST_F(SkinTest, SkinLabelsCopyLabelsOfTheChosenContainers) {
    QWidget window;
    auto* inside = new QGroupBox(&window);
    auto* other = new QGroupBox(&window);
    auto* label = new QLabel(QStringLiteral("Sites Found:"), inside);
    label->setGeometry(12, 34, 56, 78);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(13);
    label->setFont(font);
    auto* hidden = new QLabel(QStringLiteral("hidden"), inside);
    hidden->hide();
    new QLabel(QStringLiteral("elsewhere"), other);
    new SkinLabel(inside); // already skinned: not copied again

    const QList<SkinLabel*> made = MakeSkinLabels(window, {inside});
    ASSERT_EQ(made.size(), 2);
    const SkinLabel* copy = made[0]->text() == label->text() ? made[0] : made[1];
    const SkinLabel* hiddenCopy = copy == made[0] ? made[1] : made[0];
    EXPECT_EQ(copy->parentWidget(), inside);
    EXPECT_EQ(copy->geometry(), label->geometry());
    EXPECT_EQ(copy->font(), label->font());
    EXPECT_FALSE(copy->isHidden());
    EXPECT_EQ(hiddenCopy->text(), QStringLiteral("hidden"));
    EXPECT_TRUE(hiddenCopy->isHidden());
    EXPECT_EQ(label->parentWidget(), inside); // the plain label stays underneath
    EXPECT_EQ(ControlTypeName(*copy), QStringLiteral("SkinLabel"));

    // Without containers every plain label is copied where it stands.
    EXPECT_EQ(MakeSkinLabels(window).size(), 3);
}

// With the skin applied as at start-up, a disabled control is drawn in dimmed text while an
// enabled one keeps the scheme's text colour.
TEST_F(SkinTest, DisabledControlsLookDisabled) {
    ASSERT_TRUE(skinEngine().Attach(GlobalSkin()));
    ASSERT_TRUE(skinEngine().Apply());
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Delete All Fax Numbers"), &window);
    auto* picture = new QToolButton(&window);
    auto* check = new QCheckBox(QStringLiteral("Enable"), &window);
    auto* combo = new QComboBox(&window);
    auto* label = new QLabel(QStringLiteral("Audio:"), &window);
    ApplyColours(window);
    struct Case {
        const char* name;
        QWidget* control;
        QPalette::ColorRole role;
    };
    const Case cases[] = {
        {"button", button, QPalette::ButtonText},   {"picture button", picture, QPalette::ButtonText},
        {"check box", check, QPalette::WindowText}, {"combo", combo, QPalette::Text},
        {"combo", combo, QPalette::ButtonText},     {"label", label, QPalette::WindowText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.control->setEnabled(false);
        const QPalette palette = c.control->palette();
        EXPECT_NE(palette.color(QPalette::Disabled, c.role), palette.color(QPalette::Active, c.role));
        EXPECT_EQ(palette.color(QPalette::Inactive, c.role), palette.color(QPalette::Active, c.role));
    }
    EXPECT_EQ(combo->palette().color(QPalette::Active, QPalette::Text), QColor(4, 5, 6));

    // And the difference is seen: the disabled button is drawn differently.
    button->setEnabled(true);
    button->resize(200, 30);
    const QImage enabled = button->grab().toImage();
    button->setEnabled(false);
    EXPECT_NE(button->grab().toImage(), enabled);
}

// A skinned label over a frame lets the frame's own shading show around its text.
TEST_F(SkinTest, SkinLabelIsTransparentOverItsContainer) {
    ASSERT_TRUE(skinEngine().Attach(GlobalSkin()));
    ASSERT_TRUE(skinEngine().Apply());
    QWidget window;
    window.resize(300, 200);
    auto* frame = new QGroupBox(QStringLiteral("Statistics"), &window);
    frame->setGeometry(10, 10, 280, 180);
    auto* label = new QLabel(QStringLiteral("Si"), frame);
    label->setGeometry(20, 60, 200, 24);
    ApplyColours(window);
    const QImage bare = window.grab().toImage();
    ASSERT_EQ(MakeSkinLabels(window, {frame}).size(), 1);
    const QImage skinned = window.grab().toImage();
    // Points inside the label's box, away from its short text.
    for (const QPoint point : {QPoint(210, 72), QPoint(160, 90), QPoint(220, 80)}) {
        SCOPED_TRACE(point.x());
        EXPECT_EQ(skinned.pixelColor(point), bare.pixelColor(point));
    }
}

TEST_F(SkinTest, SkinLabelPaintsWithoutText) {
    SkinLabel label;
    label.resize(60, 20);
    label.grab(); // an empty label paints like a plain one
    label.setText(QStringLiteral("Version:"));
    EXPECT_FALSE(label.grab().isNull());
}

} // namespace
} // namespace tarnwick

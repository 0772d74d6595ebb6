// The skin layer: one colour scheme with a consistent window look, the engine that makes it
// active for the application, the skinned label and the per-window colouring of controls.
#pragma once

#include <QColor>
#include <QLabel>
#include <QList>
#include <QPalette>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace tarnwick {

// A skin: four scheme colours read by ApplyColours (A controls, B control text, C pictures,
// D accent) and the frame colours that skin-a-window gives a whole window.
class Skin final {
public:
    QColor colourA{0xF4, 0xF1, 0xE8};
    QColor colourB{0x1F, 0x2A, 0x38};
    QColor colourC{0x2E, 0x4A, 0x62};
    QColor colourD{0xC8, 0x7A, 0x2C};
    QColor windowColour{0xE3, 0xE8, 0xEC};
    QColor windowText{0x1F, 0x2A, 0x38};
    QColor labelText{0x2E, 0x4A, 0x62};

    // Gives the window the skin's background and text colours; colours set on single
    // controls beforehand are kept.
    void SkinWindow(QWidget& window) const;
    // The application-wide palette of this skin.
    [[nodiscard]] QPalette Palette() const;
};

// The skin every window colours itself with; empty until the splash window sets it.
void SetGlobalSkin(std::shared_ptr<const Skin> skin);
[[nodiscard]] std::shared_ptr<const Skin> GlobalSkin();

// Makes one skin active for the whole application and takes it back before exit.
class SkinEngine final {
public:
    // False when there is no skin to attach.
    bool Attach(std::shared_ptr<const Skin> skin);
    // False when nothing is attached. Remembers the application's look for Release.
    bool Apply();
    // Restores the look from before Apply and forgets the skin; harmless when nothing is applied.
    void Release();
    [[nodiscard]] bool IsApplied() const { return saved_.has_value(); }
    [[nodiscard]] std::shared_ptr<const Skin> Attached() const { return skin_; }

private:
    struct SavedLook {
        QPalette palette;
        QString styleName;
    };
    std::shared_ptr<const Skin> skin_;
    std::optional<SavedLook> saved_;
};

// The one engine of the program, created on first use.
SkinEngine& skinEngine();

// The control kind a widget stands for ("CommandButton", "TextBox", "Label", ...). The
// dynamic property "controlType" overrides the kind derived from the widget's class.
[[nodiscard]] QString ControlTypeName(const QWidget& widget);

// Colours the window's controls by kind with colours A to C of the global skin, then skins
// the window. Does nothing when no global skin is set.
void ApplyColours(QWidget& window);

// A label drawn in the skin's style: the skin's label colour over a transparent background.
class SkinLabel final : public QLabel {
    Q_OBJECT
public:
    explicit SkinLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// For every plain label of the window whose parent is one of the containers (tried in
// order), creates a skinned label in that container with the label's geometry, font, text
// and visibility, placed over it; the plain label stays underneath. With no containers,
// every plain label of the window is converted in its own parent. Returns the new labels.
QList<SkinLabel*> MakeSkinLabels(QWidget& window, const QList<QWidget*>& containers = {});

} // namespace tarnwick

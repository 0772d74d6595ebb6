// The skin layer: colour scheme, engine, per-window colouring and skinned labels.
#include "ui/Skin.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <utility>

namespace tarnwick {

namespace {

std::shared_ptr<const Skin>& GlobalSkinSlot() {
    static std::shared_ptr<const Skin> skin;
    return skin;
}

// Qt classes by the control kind they stand for; the nearest listed base class decides, so a
// subclassed line edit is still a text box while a skinned label is not a plain label.
QString KindOfClass(const QMetaObject* meta) {
    static const QList<std::pair<const char*, const char*>> kinds = {
        {"tarnwick::SkinLabel", "SkinLabel"},
        {"QPushButton", "CommandButton"},
        {"QToolButton", "CommandButton"},
        {"QCheckBox", "CheckBox"},
        {"QRadioButton", "OptionButton"},
        {"QLineEdit", "TextBox"},
        {"QPlainTextEdit", "TextBox"},
        {"QTextEdit", "RichTextBox"},
        {"QComboBox", "ComboBox"},
        {"QListWidget", "ListBox"},
        {"QListView", "ListBox"},
        {"QTreeView", "ListView"},
        {"QTableView", "ListView"},
        {"QLabel", "Label"},
        {"QGroupBox", "Frame"},
        {"QStatusBar", "StatusBar"},
        {"QProgressBar", "ProgressBar"},
    };
    for (; meta != nullptr; meta = meta->superClass()) {
        for (const auto& [className, kind] : kinds) {
            if (qstrcmp(meta->className(), className) == 0) {
                return QString::fromLatin1(kind);
            }
        }
    }
    return {};
}

// The background a text colour is drawn on, for dimming it in the Disabled group.
QPalette::ColorRole BackgroundOf(QPalette::ColorRole role) {
    switch (role) {
    case QPalette::WindowText:
        return QPalette::Window;
    case QPalette::Text:
        return QPalette::Base;
    case QPalette::ButtonText:
        return QPalette::Button;
    default:
        return QPalette::NoRole;
    }
}

QColor Dimmed(const QColor& text, const QColor& background) {
    return QColor((text.red() + background.red()) / 2, (text.green() + background.green()) / 2,
                  (text.blue() + background.blue()) / 2);
}

// Sets the scheme colours for the Active and Inactive groups. Text colours get a dimmed version
// in the Disabled group, so a disabled control still looks disabled; backgrounds keep their colour.
void SetSchemeColours(QPalette& palette,
                      std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours) {
    for (const auto& [role, colour] : colours) {
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
        if (BackgroundOf(role) == QPalette::NoRole) {
            palette.setColor(QPalette::Disabled, role, colour);
        }
    }
    for (const auto& [role, colour] : colours) {
        const QPalette::ColorRole background = BackgroundOf(role);
        if (background != QPalette::NoRole) {
            palette.setColor(QPalette::Disabled, role,
                             Dimmed(colour, palette.color(QPalette::Active, background)));
        }
    }
}

void SetColours(QWidget& widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours) {
    QPalette palette = widget.palette();
    SetSchemeColours(palette, colours);
    widget.setPalette(palette);
}

void ColourControls(QWidget& window, const QColor& a, const QColor& b, const QColor& c) {
    const auto controls = window.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        // Qt's own helper widgets inside composite controls are not controls of the window.
        if (control->objectName().startsWith(QLatin1String("qt_"))) {
            continue;
        }
        const QString kind = ControlTypeName(*control);
        if (kind == QLatin1String("CommandButton")) {
            SetColours(*control, {{QPalette::Button, a}});
        } else if (kind == QLatin1String("TextBox") || kind == QLatin1String("ComboBox") ||
                   kind == QLatin1String("FileListBox") || kind == QLatin1String("DirListBox") ||
                   kind == QLatin1String("DriveListBox") || kind == QLatin1String("ListBox") ||
                   kind == QLatin1String("ListView")) {
            SetColours(
                *control,
                {{QPalette::Base, a}, {QPalette::Button, a}, {QPalette::Text, b}, {QPalette::ButtonText, b}});
        } else if (kind == QLatin1String("PictureBox")) {
            SetColours(*control, {{QPalette::Window, c}});
            control->setAutoFillBackground(true);
        }
    }
}

} // namespace

void Skin::SkinWindow(QWidget& window) const {
    SetColours(window, {{QPalette::Window, windowColour}, {QPalette::WindowText, windowText}});
    window.setAutoFillBackground(true);
    window.setProperty("skinned", true);
}

QPalette Skin::Palette() const {
    QPalette palette(colourA, windowColour);
    SetSchemeColours(palette, {{QPalette::Base, colourA},
                               {QPalette::WindowText, windowText},
                               {QPalette::Text, colourB},
                               {QPalette::ButtonText, colourB},
                               {QPalette::Highlight, colourC},
                               {QPalette::HighlightedText, colourA},
                               {QPalette::Link, colourC}});
    return palette;
}

void SetGlobalSkin(std::shared_ptr<const Skin> skin) {
    GlobalSkinSlot() = std::move(skin);
}

std::shared_ptr<const Skin> GlobalSkin() {
    return GlobalSkinSlot();
}

bool SkinEngine::Attach(std::shared_ptr<const Skin> skin) {
    if (!skin) {
        return false;
    }
    skin_ = std::move(skin);
    return true;
}

bool SkinEngine::Apply() {
    if (!skin_ || qApp == nullptr) {
        return false;
    }
    if (!saved_) {
        saved_ = SavedLook{QApplication::palette(), QApplication::style()->name()};
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(skin_->Palette());
    return true;
}

void SkinEngine::Release() {
    if (saved_ && qApp != nullptr) {
        if (QStyle* style = QStyleFactory::create(saved_->styleName)) {
            QApplication::setStyle(style);
        }
        QApplication::setPalette(saved_->palette);
    }
    saved_.reset();
    skin_.reset();
}

SkinEngine& skinEngine() {
    static SkinEngine engine;
    return engine;
}

QString ControlTypeName(const QWidget& widget) {
    const QVariant declared = widget.property("controlType");
    if (declared.isValid()) {
        return declared.toString();
    }
    return KindOfClass(widget.metaObject());
}

void ApplyColours(QWidget& window) {
    const auto skin = GlobalSkin();
    if (!skin) {
        return;
    }
    ColourControls(window, skin->colourA, skin->colourB, skin->colourC);
    skin->SkinWindow(window);
}

SkinLabel::SkinLabel(QWidget* parent)
    : QLabel(parent) {
    // Transparent: a filled box would not match a frame's shaded interior.
    setAutoFillBackground(false);
    if (const auto skin = GlobalSkin()) {
        SetColours(*this, {{QPalette::WindowText, skin->labelText}});
    }
}

void SkinLabel::paintEvent(QPaintEvent* event) {
    if (text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    // A faint light edge under the text gives the engraved look of the skin.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, flags, text());
}

QList<SkinLabel*> MakeSkinLabels(QWidget& window, const QList<QWidget*>& containers) {
    QList<SkinLabel*> made;
    const auto labels = window.findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (ControlTypeName(*label) != QLatin1String("Label")) {
            continue;
        }
        QWidget* home = label->parentWidget();
        if (label->objectName().startsWith(QLatin1String("qt_")) ||
            (!containers.isEmpty() && !containers.contains(home))) {
            continue;
        }
        auto* skinned = new SkinLabel(home);
        skinned->setGeometry(label->geometry());
        skinned->setFont(label->font());
        skinned->setText(label->text());
        skinned->setAlignment(label->alignment());
        skinned->setWordWrap(label->wordWrap());
        skinned->setVisible(!label->isHidden());
        skinned->raise();
        // The plain label stays underneath with its text, drawn clear so it does not show through.
        QPalette clear = label->palette();
        clear.setColor(QPalette::WindowText, Qt::transparent);
        label->setPalette(clear);
        made.append(skinned);
    }
    return made;
}

} // namespace tarnwick

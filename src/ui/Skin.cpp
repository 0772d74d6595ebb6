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
            if (qstrcmp(meta->className(), className) == 0)
                return QString::fromLatin1(kind);
        }
    }
    return {};
}

void SetColours(QWidget& widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours) {
    QPalette palette = widget.palette();
    for (const auto& [role, colour] : colours)
        palette.setColor(role, colour);
    widget.setPalette(palette);
}

void ColourControls(QWidget& window, const QColor& a, const QColor& b, const QColor& c) {
    const auto controls = window.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        // Qt's own helper widgets inside composite controls are not controls of the window.
        if (control->objectName().startsWith(QLatin1String("qt_")))
            continue;
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
    palette.setColor(QPalette::WindowText, windowText);
    palette.setColor(QPalette::Text, colourB);
    palette.setColor(QPalette::ButtonText, colourB);
    palette.setColor(QPalette::Base, colourA);
    palette.setColor(QPalette::Highlight, colourC);
    palette.setColor(QPalette::HighlightedText, colourA);
    palette.setColor(QPalette::Link, colourC);
    return palette;
}

void SetGlobalSkin(std::shared_ptr<const Skin> skin) {
    GlobalSkinSlot() = std::move(skin);
}

std::shared_ptr<const Skin> GlobalSkin() {
    return GlobalSkinSlot();
}

bool SkinEngine::Attach(std::shared_ptr<const Skin> skin) {
    if (!skin)
        return false;
    skin_ = std::move(skin);
    return true;
}

bool SkinEngine::Apply() {
    if (!skin_ || qApp == nullptr)
        return false;
    if (!saved_)
        saved_ = SavedLook{QApplication::palette(), QApplication::style()->name()};
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(skin_->Palette());
    return true;
}

void SkinEngine::Release() {
    if (saved_ && qApp != nullptr) {
        if (QStyle* style = QStyleFactory::create(saved_->styleName))
            QApplication::setStyle(style);
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
    if (declared.isValid())
        return declared.toString();
    return KindOfClass(widget.metaObject());
}

void ApplyColours(QWidget& window) {
    const auto skin = GlobalSkin();
    if (!skin)
        return;
    ColourControls(window, skin->colourA, skin->colourB, skin->colourC);
    skin->SkinWindow(window);
}

SkinLabel::SkinLabel(QWidget* parent)
    : QLabel(parent) {
    // Covers the plain label it replaces, which stays underneath.
    setAutoFillBackground(true);
    if (const auto skin = GlobalSkin())
        SetColours(*this, {{QPalette::WindowText, skin->labelText}});
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
        if (ControlTypeName(*label) != QLatin1String("Label"))
            continue;
        QWidget* home = label->parentWidget();
        if (label->objectName().startsWith(QLatin1String("qt_")) ||
            (!containers.isEmpty() && !containers.contains(home)))
            continue;
        auto* skinned = new SkinLabel(home);
        skinned->setGeometry(label->geometry());
        skinned->setFont(label->font());
        skinned->setText(label->text());
        skinned->setAlignment(label->alignment());
        skinned->setWordWrap(label->wordWrap());
        skinned->setVisible(!label->isHidden());
        skinned->raise();
        made.append(skinned);
    }
    return made;
}

} // namespace tarnwick

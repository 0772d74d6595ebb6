// The about window; its values come from the build's product information.
#include "ui/frmAbout.h"

#include "ui/Artwork.h"
#include "ui/Skin.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <utility>

namespace tarnwick {

frmAbout::frmAbout(Branding branding, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , branding_(std::move(branding)) {
    setObjectName(QStringLiteral("frmAbout"));
    Picture1_ = new PictureBox(
        [this](QPainter& painter, const QRect& area) { PaintLogo(painter, area, branding_.programName); },
        this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->setGeometry(TwipsRect(*this, 0, 0, 7515, 1035));
    // Label1 is a skinned label in its own right; the skinned copies come from the plain labels.
    Label1_ = new SkinLabel(this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(TwipsRect(*this, 120, 1200, 7095, 435));
    QFont title = Label1_->font();
    title.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    title.setPointSizeF(14.25);
    title.setBold(true);
    Label1_->setFont(title);

    AddLabel("lblVersionCaption", QStringLiteral("Version:"), 180, 1680, 2300, 375, 12);
    AddLabel("lblCompanyCaption", QStringLiteral("Owned By:"), 180, 2100, 2300, 375, 12);
    AddLabel("lblWebsiteCaption", QStringLiteral("Website:"), 180, 2520, 2300, 375, 12);
    lblVersion_ = new SkinLabel(this);
    lblCompany_ = new SkinLabel(this);
    lblWebsite_ = new SkinLabel(this);
    const std::pair<QLabel*, const char*> values[] = {
        {lblVersion_, "lblVersion"}, {lblCompany_, "lblCompany"}, {lblWebsite_, "lblWebsite"}};
    int top = 1680;
    for (const auto& [label, name] : values) {
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(TwipsRect(*this, 2580, top, 4635, 375));
        QFont font = title;
        font.setPointSize(12);
        label->setFont(font);
        top += 420;
    }
    setFixedSize(TwipsToPx(*this, 7455), TwipsToPx(*this, 2925));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QLabel* frmAbout::AddLabel(const char* name, const QString& text, int left, int top, int width, int height,
                           int pointSize) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(TwipsRect(*this, left, top, width, height));
    QFont font = label->font();
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(pointSize);
    font.setBold(true);
    label->setFont(font);
    return label;
}

void frmAbout::Load() {
    setWindowTitle(QStringLiteral("About ") + branding_.programName);
    Label1_->setText(branding_.programName);
    lblCompany_->setText(branding_.companyName);
    lblVersion_->setText(QStringLiteral("%1.%2").arg(branding_.versionMajor).arg(branding_.versionMinor));
    lblWebsite_->setText(branding_.websiteAddress);
    MakeSkinLabels(*this);
    ApplyColours(*this);
}

} // namespace tarnwick

// The splash artwork and the logo: a fax sheet caught in a web of linked sites.
#include "ui/Artwork.h"

#include "ui/Branding.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <utility>

namespace tarnwick {

namespace {

const QColor kNight{0x14, 0x24, 0x36};
const QColor kDeep{0x1F, 0x3F, 0x5C};
const QColor kTeal{0x3A, 0x8C, 0x9E};
const QColor kAmber{0xE0, 0x9A, 0x3E};
const QColor kPaper{0xF6, 0xF3, 0xEA};

// A small web of sites: nodes in unit coordinates and the links between them.
constexpr std::array<std::pair<double, double>, 7> kNodes = {
    {{0.10, 0.30}, {0.32, 0.12}, {0.55, 0.28}, {0.28, 0.55}, {0.72, 0.10}, {0.85, 0.45}, {0.50, 0.70}}};
constexpr std::array<std::pair<int, int>, 10> kLinks = {
    {{0, 1}, {1, 2}, {0, 3}, {3, 2}, {2, 4}, {4, 5}, {2, 5}, {3, 6}, {6, 5}, {1, 4}}};

void PaintWeb(QPainter& painter, const QRectF& area, qreal nodeRadius) {
    const auto at = [&area](std::size_t i) {
        return QPointF(area.left() + kNodes[i].first * area.width(),
                       area.top() + kNodes[i].second * area.height());
    };
    painter.setPen(QPen(QColor(kTeal.red(), kTeal.green(), kTeal.blue(), 150), nodeRadius / 2.5));
    for (const auto& [from, to] : kLinks) {
        painter.drawLine(at(static_cast<std::size_t>(from)), at(static_cast<std::size_t>(to)));
    }
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < kNodes.size(); ++i) {
        painter.setBrush(i == 2 ? kAmber : kTeal.lighter(130));
        painter.drawEllipse(at(i), nodeRadius, nodeRadius);
    }
}

// A sheet of fax paper with a folded corner and lines of digits.
void PaintFaxSheet(QPainter& painter, const QRectF& sheet) {
    const qreal fold = sheet.width() * 0.22;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(kNight, 1.5));
    painter.setBrush(kPaper);
    painter.drawPath(outline);

    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.setBrush(kPaper.darker(115));
    painter.drawPath(corner);

    const qreal step = sheet.height() / 9.0;
    for (int line = 0; line < 6; ++line) {
        const qreal y = sheet.top() + fold + step * (line + 0.6);
        const qreal length = (line % 3 == 1 ? 0.55 : 0.75) * sheet.width();
        painter.setPen(
            QPen(line == 2 ? kAmber : kDeep.lighter(140), step * 0.35, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(sheet.left() + sheet.width() * 0.12, y),
                         QPointF(sheet.left() + sheet.width() * 0.12 + length * 0.8, y));
    }
}

QFont BrandFont(qreal pixelSize, bool bold) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize)));
    font.setBold(bold);
    return font;
}

} // namespace

void PaintSplashArtwork(QPainter& painter, const QRect& area, const Branding& branding) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0.0, kDeep);
    sky.setColorAt(1.0, kNight);
    painter.fillRect(area, sky);

    QRadialGradient glow(area.left() + area.width() * 0.7, area.top() + area.height() * 0.35,
                         area.width() * 0.45);
    glow.setColorAt(0.0, QColor(kTeal.red(), kTeal.green(), kTeal.blue(), 90));
    glow.setColorAt(1.0, Qt::transparent);
    painter.fillRect(area, glow);

    const QRectF web(area.left() + area.width() * 0.42, area.top() + area.height() * 0.06,
                     area.width() * 0.55, area.height() * 0.62);
    PaintWeb(painter, web, area.height() / 55.0);

    const QRectF sheet(area.left() + area.width() * 0.60, area.top() + area.height() * 0.22,
                       area.width() * 0.20, area.height() * 0.40);
    painter.translate(sheet.center());
    painter.rotate(-8);
    painter.translate(-sheet.center());
    PaintFaxSheet(painter, sheet);
    painter.resetTransform();

    const qreal h = area.height();
    const qreal left = area.left() + area.width() * 0.07;
    painter.setPen(kPaper);
    painter.setFont(BrandFont(h * 0.16, true));
    painter.drawText(QPointF(left, area.top() + h * 0.80), branding.programName);
    painter.setPen(kAmber);
    painter.setFont(BrandFont(h * 0.055, false));
    painter.drawText(QPointF(left, area.top() + h * 0.88),
                     QStringLiteral("Fax lists from the public web  \u2022  Version %1.%2")
                         .arg(branding.versionMajor)
                         .arg(branding.versionMinor));
    painter.setPen(kPaper.darker(130));
    painter.setFont(BrandFont(h * 0.042, false));
    painter.drawText(QPointF(left, area.top() + h * 0.95), branding.companyName);
    painter.restore();
}

void PaintLogo(QPainter& painter, const QRect& area, const QString& productName) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(area.topLeft(), area.topRight());
    band.setColorAt(0.0, kNight);
    band.setColorAt(0.6, kDeep);
    band.setColorAt(1.0, kTeal);
    painter.fillRect(area, band);

    const qreal h = area.height();
    PaintWeb(painter, QRectF(area.right() - h * 3.2, area.top() + h * 0.1, h * 3.0, h * 0.8), h / 14.0);
    PaintFaxSheet(painter, QRectF(area.left() + h * 0.25, area.top() + h * 0.15, h * 0.5, h * 0.7));

    painter.setPen(kPaper);
    painter.setFont(BrandFont(h * 0.42, true));
    painter.drawText(QRectF(area.left() + h * 1.0, area.top(), area.width() - h * 4.4, h),
                     Qt::AlignVCenter | Qt::AlignLeft, productName);
    painter.restore();
}

PictureBox::PictureBox(Picture picture, QWidget* parent)
    : QWidget(parent)
    , picture_(std::move(picture)) {
    setProperty("controlType", QStringLiteral("PictureBox"));
    setAutoFillBackground(true);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_) {
        picture_(painter, rect());
    }
}

} // namespace tarnwick

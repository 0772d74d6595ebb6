// The program's own pictures, painted in code: the splash artwork and the about-window logo,
// and the picture box that shows them.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QPainter;

namespace tarnwick {

struct Branding;

void PaintSplashArtwork(QPainter& painter, const QRect& area, const Branding& branding);
void PaintLogo(QPainter& painter, const QRect& area, const QString& productName);

// A picture control: paints its picture over its background colour.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    using Picture = std::function<void(QPainter&, const QRect&)>;
    explicit PictureBox(Picture picture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture picture_;
};

} // namespace tarnwick

// The about window: the logo, the product name, the version, the owner and the website.
#pragma once

#include "ui/Branding.h"

#include <QWidget>

class QLabel;

namespace tarnwick {

class PictureBox;

class frmAbout final : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(Branding branding, QWidget* parent = nullptr);

    void Load();

    [[nodiscard]] QLabel& Label1() const { return *Label1_; }
    [[nodiscard]] QLabel& lblVersion() const { return *lblVersion_; }
    [[nodiscard]] QLabel& lblCompany() const { return *lblCompany_; }
    [[nodiscard]] QLabel& lblWebsite() const { return *lblWebsite_; }

private:
    QLabel* AddLabel(const char* name, const QString& text, int left, int top, int width, int height,
                     int pointSize);

    Branding branding_;
    PictureBox* Picture1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblCompany_ = nullptr;
    QLabel* lblWebsite_ = nullptr;
};

} // namespace tarnwick

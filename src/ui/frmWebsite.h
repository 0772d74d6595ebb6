// The in-application browser: an address box, Go, Back, Forward, Stop and Refresh over a web
// view, with the status text in the status bar. It opens on the program's website.
#pragma once

#include "ui/Branding.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWebEngineView;

namespace tarnwick {

class frmWebsite final : public QWidget {
    Q_OBJECT
public:
    explicit frmWebsite(Branding branding, QWidget* parent = nullptr);

    // Where the load navigates: the program's website; tests point it at a local page.
    QString homeAddress;

    void Load();

    void Command3_Click(); // Go
    void Command4_Click(); // Back
    void Command5_Click(); // Forward
    void Command6_Click(); // Stop
    void Command7_Click(); // Refresh

    [[nodiscard]] QLineEdit& Text1() const { return *Text1_; }
    [[nodiscard]] QWebEngineView& WebBrowser1() const { return *WebBrowser1_; }
    [[nodiscard]] QGroupBox& frmBrowser() const { return *frmBrowser_; }
    [[nodiscard]] QToolButton& Command3() const { return *Command3_; }
    [[nodiscard]] QWidget& StatusBar1() const { return *StatusBar1_; }
    // Panel 1 or 2 of the status bar.
    [[nodiscard]] QLabel& Panel(int number) const {
        return *panels_.at(static_cast<std::size_t>(number - 1));
    }

signals:
    // Every navigation the window starts, with the address as it was passed to the view.
    void navigating(const QString& address);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Navigate(const QString& address);
    void LayoutBrowser();
    void WebBrowser1_StatusTextChange(const QString& text);
    void WebBrowser1_DownloadComplete();

    Branding branding_;
    QGroupBox* frmBrowser_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    QToolButton* Command3_ = nullptr;
    QWebEngineView* WebBrowser1_ = nullptr;
    QWidget* StatusBar1_ = nullptr;
    std::array<QLabel*, 2> panels_{};
};

} // namespace tarnwick

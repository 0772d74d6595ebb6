// The in-application browser on the same web engine as the List builder.
#include "ui/frmWebsite.h"

#include "ui/OnTop.h"
#include "ui/Shutdown.h"
#include "ui/Skin.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdlib>
#include <utility>

namespace tarnwick {

namespace {

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

frmWebsite::frmWebsite(Branding branding, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , homeAddress(branding.websiteAddress)
    , branding_(std::move(branding)) {
    setObjectName(QStringLiteral("frmWebsite"));
    frmBrowser_ = new QGroupBox(QStringLiteral("Browser"), this);
    frmBrowser_->setObjectName(QStringLiteral("frmBrowser"));
    frmBrowser_->setGeometry(TwipsRect(*this, 0, 0, 6375, 7215));

    auto* urlLabel = new QLabel(QStringLiteral("URL:"), frmBrowser_);
    urlLabel->setObjectName(QStringLiteral("Label1"));
    urlLabel->move(TwipsToPx(*this, 120), TwipsToPx(*this, 300));
    urlLabel->adjustSize();
    Text1_ = new QLineEdit(frmBrowser_);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setGeometry(TwipsRect(*this, 540, 240, 4875, 315));
    Command3_ = new QToolButton(frmBrowser_);
    Command3_->setObjectName(QStringLiteral("Command3"));
    Command3_->setText(QStringLiteral("Go"));
    Command3_->setGeometry(TwipsRect(*this, 5460, 240, 795, 315));
    auto* back =
        AddButton(frmBrowser_, "Command4", QStringLiteral("Back"), TwipsRect(*this, 540, 600, 1000, 435));
    auto* forward =
        AddButton(frmBrowser_, "Command5", QStringLiteral("Forward"), TwipsRect(*this, 1620, 600, 1000, 435));
    auto* stop =
        AddButton(frmBrowser_, "Command6", QStringLiteral("Stop"), TwipsRect(*this, 2700, 600, 1000, 435));
    auto* refresh =
        AddButton(frmBrowser_, "Command7", QStringLiteral("Refresh"), TwipsRect(*this, 3780, 600, 1000, 435));
    WebBrowser1_ = new QWebEngineView(frmBrowser_);
    WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1_->setGeometry(TwipsRect(*this, 120, 1140, 6135, 5595));

    StatusBar1_ = new QWidget(this);
    StatusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    auto* statusLayout = new QHBoxLayout(StatusBar1_);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->setSpacing(0);
    statusLayout->addStretch();
    panels_[0] = new QLabel(StatusBar1_);
    panels_[0]->setObjectName(QStringLiteral("Panel1"));
    panels_[0]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusLayout->insertWidget(0, panels_[0]);

    resize(TwipsToPx(*this, 10545), TwipsToPx(*this, 8580));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    connect(Command3_, &QToolButton::clicked, this, &frmWebsite::Command3_Click);
    connect(Text1_, &QLineEdit::returnPressed, this, &frmWebsite::Command3_Click);
    connect(back, &QPushButton::clicked, this, &frmWebsite::Command4_Click);
    connect(forward, &QPushButton::clicked, this, &frmWebsite::Command5_Click);
    connect(stop, &QPushButton::clicked, this, &frmWebsite::Command6_Click);
    connect(refresh, &QPushButton::clicked, this, &frmWebsite::Command7_Click);
    connect(WebBrowser1_->page(), &QWebEnginePage::linkHovered, this,
            &frmWebsite::WebBrowser1_StatusTextChange);
    connect(WebBrowser1_, &QWebEngineView::loadStarted, this, [this] {
        WebBrowser1_StatusTextChange(QStringLiteral("Opening page ") + WebBrowser1_->url().toString() +
                                     QStringLiteral("..."));
    });
    connect(WebBrowser1_, &QWebEngineView::loadFinished, this, [this] {
        WebBrowser1_StatusTextChange(QStringLiteral("Done"));
        WebBrowser1_DownloadComplete();
    });
}

void frmWebsite::Load() {
    if (panels_[1] == nullptr) {
        panels_[1] = new QLabel(StatusBar1_);
        panels_[1]->setObjectName(QStringLiteral("Panel2"));
        panels_[1]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        static_cast<QHBoxLayout*>(StatusBar1_->layout())->insertWidget(1, panels_[1]);
    }
    setWindowTitle(branding_.websiteAddress);
    SetTopmost(*this, true);
    MakeSkinLabels(*this, {frmBrowser_});
    ApplyColours(*this);
    Navigate(homeAddress);
    setWindowState(windowState() | Qt::WindowMaximized);
    SetTopmost(*this, false);
}

void frmWebsite::Navigate(const QString& address) {
    emit navigating(address);
    WebBrowser1_->load(QUrl::fromUserInput(address));
}

void frmWebsite::Command3_Click() {
    Navigate(Text1_->text());
}

// The view ignores these when there is nothing to go to or to stop, so nothing can fail.
void frmWebsite::Command4_Click() {
    WebBrowser1_->back();
}
void frmWebsite::Command5_Click() {
    WebBrowser1_->forward();
}
void frmWebsite::Command6_Click() {
    WebBrowser1_->stop();
}
void frmWebsite::Command7_Click() {
    WebBrowser1_->reload();
}

void frmWebsite::WebBrowser1_StatusTextChange(const QString& text) {
    panels_[0]->setText(text);
}

void frmWebsite::WebBrowser1_DownloadComplete() {
    Text1_->setText(WebBrowser1_->url().toString());
    setWindowTitle(WebBrowser1_->title());
}

void frmWebsite::LayoutBrowser() {
    const QSize outer = frameGeometry().size();
    const int W = outer.width();
    const int H = outer.height();
    const int statusHeight = TwipsToPx(*this, 315);
    StatusBar1_->setGeometry(0, height() - statusHeight, width(), statusHeight);
    StatusBar1_->raise();
    for (QLabel* panel : panels_) {
        if (panel != nullptr) {
            panel->setFixedWidth(std::abs(W / 2));
        }
    }
    frmBrowser_->resize(std::abs(W - TwipsToPx(*this, 300)), std::abs(H - statusHeight));
    Text1_->resize(std::abs(frmBrowser_->width() - Text1_->x() - TwipsToPx(*this, 300) - Command3_->width()),
                   Text1_->height());
    Command3_->move(Text1_->width() + Text1_->x() + TwipsToPx(*this, 100), Command3_->y());
    WebBrowser1_->resize(
        std::abs(frmBrowser_->width() - WebBrowser1_->x() - TwipsToPx(*this, 100)),
        std::abs(frmBrowser_->height() - WebBrowser1_->y() - TwipsToPx(*this, 800) - statusHeight));
}

// Laid out on show and resize only: the layout raises the status bar, which repaints, so a
// layout run from a paint would paint for ever.
void frmWebsite::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    LayoutBrowser();
}

void frmWebsite::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutBrowser();
}

void frmWebsite::closeEvent(QCloseEvent* event) {
    event->accept();
    if (exitWhenBrowserCloses) {
        EndProgram();
    }
}

} // namespace tarnwick

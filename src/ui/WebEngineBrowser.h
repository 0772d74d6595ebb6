// The List builder's browser operations on a Qt WebEngine view.
#pragma once

#include "listbuilder/Browser.h"

#include <QObject>
#include <QPointer>

class QWebEngineView;

namespace tarnwick {

class WebEngineBrowser final : public QObject, public Browser {
    Q_OBJECT
public:
    // The view stays owned by its window; this object must not outlive it.
    explicit WebEngineBrowser(QWebEngineView& view, QObject* parent = nullptr);

    void Navigate(const std::string& address) override;
    void Stop() override;
    std::string LocationURL() const override;
    bool LastLoadFailed() const override;
    void ReadBodyHtml(BodyHtmlCallback done) override;
    void SetDocumentCompleteHandler(std::function<void()> handler) override;
    void ReadRenderedPage(RenderedPageCallback done) override;
    void ActivateElement(std::size_t index) override;
    int LastHttpStatus() const override;

private:
    QPointer<QWebEngineView> view_;
    std::function<void()> documentComplete_;
    bool loadFailed_ = false;
    int httpStatus_ = 0;
};

} // namespace tarnwick

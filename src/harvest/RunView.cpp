#include "harvest/RunView.h"

#include "harvest/AnsiBytes.h"

namespace tarnwick {

RunView::RunView(QObject* parent)
    : QObject(parent) {
    enabled_.fill(true);
    enabled_[Index(Button::cmdNextSearch)] = false;
    enabled_[Index(Button::cmdStop)] = false;
    enabled_[Index(Button::cmdResume)] = false;
}

void RunView::SetHarvesting(bool on) {
    if (harvesting_ != on) {
        harvesting_ = on;
        emit harvestingChanged(on);
    }
}

void RunView::SetEnabled(Button button, bool on) {
    if (enabled_[Index(button)] != on) {
        enabled_[Index(button)] = on;
        emit buttonEnabledChanged(button, on);
    }
}

void RunView::SetDatabaseButtons(bool on) {
    SetEnabled(Button::cmdViewDatabase, on);
    SetEnabled(Button::Command2, on);
    SetEnabled(Button::Command3, on);
}

void RunView::ShowHarvestRunning(bool morePhrases) {
    SetDatabaseButtons(false);
    SetEnabled(Button::cmdStop, true);
    SetEnabled(Button::cmdResume, false);
    SetEnabled(Button::Command1, false);
    if (morePhrases) {
        SetEnabled(Button::cmdNextSearch, true);
    }
}

void RunView::ShowHarvestStopped(bool offerResume) {
    SetEnabled(Button::cmdStop, false);
    SetEnabled(Button::Command1, true);
    SetDatabaseButtons(true);
    UpdateNextButton();
    if (offerResume) {
        SetEnabled(Button::cmdResume, true);
    }
}

void RunView::ShowListing() {
    SetEnabled(Button::cmdResume, false);
    SetDatabaseButtons(false);
}

void RunView::UpdateNextButton() {
    SetEnabled(Button::cmdNextSearch, harvesting_ && List(ListId::List1).size() > 1);
}

void RunView::SetStatus(StatusPanel panel, std::string text) {
    std::string& current = status_[PanelIndex(panel)];
    if (current != text) {
        current = std::move(text);
        emit statusTextChanged(static_cast<int>(panel), AnsiToQString(current));
    }
}

void RunView::ShowDownloading(bool https, const std::string& host, const std::string& path) {
    SetStatus(StatusPanel::Download,
              std::string("Downloading: ") + (https ? "https://" : "http://") + host + path);
}

void RunView::SetProgress(int value) {
    if (progress_ != value) {
        progress_ = value;
        emit progressChanged(value);
    }
}

std::vector<std::string>& RunView::List(ListId list) {
    return lists_[static_cast<std::size_t>(list)];
}

const std::vector<std::string>& RunView::List(ListId list) const {
    return lists_[static_cast<std::size_t>(list)];
}

} // namespace tarnwick

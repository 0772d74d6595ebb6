// What the main window shows of a harvest: the run flag, the buttons, the four status panels,
// the progress bar and the mirrors of List1 to List3 and txtSearch. Every setter announces only
// a change; the window binds to these signals and draws.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <string>
#include <vector>

namespace tarnwick {

enum class Button { Command1, cmdNextSearch, cmdStop, cmdResume, cmdViewDatabase, Command2, Command3 };
enum class ListId { List1, List2, List3 };

// The status bar's panels by what they tell; the values are the panel numbers.
enum class StatusPanel {
    Download = 1, // "Downloading: ...", "Finished: ...", "Stopped"
    Step = 2,     // the page step under way, or why the harvest ended
    Result = 3,   // "Found n faxes", or what to try next
    Extra = 4,
};

class RunView final : public QObject {
    Q_OBJECT
public:
    explicit RunView(QObject* parent = nullptr);

    bool harvesting() const { return harvesting_; }
    void SetHarvesting(bool on);

    bool IsEnabled(Button button) const { return enabled_[Index(button)]; }
    void SetEnabled(Button button, bool on);
    // The buttons of a running harvest; Next when more phrases wait.
    void ShowHarvestRunning(bool morePhrases);
    // The buttons of a stopped harvest; Resume only when asked (websites left in the table).
    void ShowHarvestStopped(bool offerResume);
    // Start's first step: Resume and the three database buttons off while a List builder runs.
    void ShowListing();
    // Next is offered exactly while harvesting with more than one phrase.
    void UpdateNextButton();

    const std::string& StatusText(StatusPanel panel) const { return status_[PanelIndex(panel)]; }
    void SetStatus(StatusPanel panel, std::string text);
    // "Downloading: " + scheme + host + path, as a download starts or moves to another hop.
    void ShowDownloading(bool https, const std::string& host, const std::string& path);

    int progress() const { return progress_; }
    void SetProgress(int value);

    std::vector<std::string>& List(ListId list);
    const std::vector<std::string>& List(ListId list) const;
    void Changed(ListId list) { emit listChanged(list); }

    const std::string& txtSearch() const { return txtSearch_; }
    void SettxtSearch(std::string text) { txtSearch_ = std::move(text); }

signals:
    void harvestingChanged(bool harvesting);
    void buttonEnabledChanged(tarnwick::Button button, bool enabled);
    void listChanged(tarnwick::ListId list);
    void statusTextChanged(int panel, const QString& text);
    void progressChanged(int value);

private:
    void SetDatabaseButtons(bool on); // View Fax Database, Export and Delete All
    static std::size_t Index(Button b) { return static_cast<std::size_t>(b); }
    static std::size_t PanelIndex(StatusPanel p) { return static_cast<std::size_t>(p) - 1; }

    bool harvesting_ = false;
    std::array<bool, 7> enabled_{};
    std::array<std::string, 4> status_;
    int progress_ = 0;
    std::array<std::vector<std::string>, 3> lists_;
    std::string txtSearch_;
};

} // namespace tarnwick

// The search phrases: List1 of the main window with the `searches` table behind it. Entry 0 is
// the current search. The one place a phrase is added or deleted.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick {

class Database;
class RunView;

class PhraseList final {
public:
    PhraseList(RunView& view, Database& database);

    std::size_t Count() const;
    bool HasMoreThanOne() const { return Count() > 1; }
    std::string Current() const; // "" when there is none

    void Add(const std::string& text);  // appended as typed, stored trimmed
    void DeleteAt(std::size_t index);   // from the table and the list; no check of the run state
    void DropCurrent() { DeleteAt(0); } // the current phrase is done
    void RemoveFirstFromList();         // List1 entry 0 only; the table keeps it
    void LoadStored();                  // appends the table's phrases to the list

private:
    RunView& view_;
    Database& db_;
};

} // namespace tarnwick

#include "harvest/PhraseList.h"

#include "harvest/RunView.h"
#include "store/Database.h"

namespace tarnwick {

PhraseList::PhraseList(RunView& view, Database& database)
    : view_(view)
    , db_(database) {}

std::size_t PhraseList::Count() const {
    return view_.List(ListId::List1).size();
}

std::string PhraseList::Current() const {
    const auto& list = view_.List(ListId::List1);
    return list.empty() ? std::string() : list.front();
}

void PhraseList::Add(const std::string& text) {
    view_.List(ListId::List1).push_back(text);
    view_.Changed(ListId::List1);
    std::string phrase = text;
    db_.AddSearch(phrase);
}

void PhraseList::DeleteAt(std::size_t index) {
    auto& list = view_.List(ListId::List1);
    if (index >= list.size()) {
        return;
    }
    std::string phrase = list[index];
    db_.DeleteSearch(phrase);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    view_.Changed(ListId::List1);
}

void PhraseList::RemoveFirstFromList() {
    auto& list = view_.List(ListId::List1);
    if (!list.empty()) {
        list.erase(list.begin());
        view_.Changed(ListId::List1);
    }
}

void PhraseList::LoadStored() {
    const std::vector<std::string> searches = db_.Searches();
    auto& list = view_.List(ListId::List1);
    list.insert(list.end(), searches.begin(), searches.end());
    view_.Changed(ListId::List1);
}

} // namespace tarnwick

#include "model/SubPartList.h"

#include <unordered_set>
#include <utility>

#include "model/Error.h"
#include "model/TextCompare.h"

namespace torvane {

std::size_t SubPartList::Offset(std::int32_t Index) const {
    if (Index < 1 || Index > Count())
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    return static_cast<std::size_t>(Index - 1);
}

const SubPartList::Entry& SubPartList::Item(std::int32_t Index) const {
    return items_[Offset(Index)];
}

const SubPartList::Entry& SubPartList::Item(const std::string& Key) const {
    const std::int32_t i = IndexOf(Key);
    if (i == 0) Raise(ErrorCode::InvalidArgument, "There is no subpart named \"" + Key + "\".");
    return items_[static_cast<std::size_t>(i - 1)];
}

std::int32_t SubPartList::IndexOf(const std::string& Key) const {
    const std::string folded = FoldCase(Key);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (FoldCase(items_[i]->Name()) == folded) return static_cast<std::int32_t>(i + 1);
    return 0;
}

void SubPartList::Add(const Entry& InItem) {
    if (!InItem) Raise(ErrorCode::MissingObject, "No subpart was given to attach.");
    if (Contains(InItem->Name()))
        Raise(ErrorCode::DuplicateKey,
              "A subpart named \"" + InItem->Name() + "\" is already in the list.");
    items_.push_back(InItem);
}

void SubPartList::AddAll(const std::vector<Entry>& InItems) {
    std::unordered_set<std::string> keys;
    keys.reserve(items_.size() + InItems.size());
    for (const Entry& item : items_) keys.insert(FoldCase(item->Name()));
    for (const Entry& item : InItems) {
        if (!item) Raise(ErrorCode::MissingObject, "No subpart was given to attach.");
        if (!keys.insert(FoldCase(item->Name())).second)
            Raise(ErrorCode::DuplicateKey,
                  "A subpart named \"" + item->Name() + "\" is already in the list.");
    }
    items_.insert(items_.end(), InItems.begin(), InItems.end());
}

void SubPartList::Remove(std::int32_t Index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Offset(Index)));
}

void SubPartList::Swap(std::int32_t A, std::int32_t B) {
    std::swap(items_[Offset(A)], items_[Offset(B)]);
}

}  // namespace torvane

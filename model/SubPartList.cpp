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

void SubPartList::Reindex() const {
    index_.clear();
    index_.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i)
        index_.emplace(FoldCase(items_[i]->Name()), static_cast<std::int32_t>(i + 1));
    indexedAt_ = Renames();
}

void SubPartList::Refresh() const {
    if (indexedAt_ != Renames()) Reindex();
}

void SubPartList::Watch(const Entry& item) {
    if (!renames_) renames_ = std::make_shared<std::uint64_t>(indexedAt_);
    item->Names.Watch(renames_);
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
    Refresh();
    const auto it = index_.find(FoldCase(Key));
    return it == index_.end() ? 0 : it->second;
}

void SubPartList::Add(const Entry& InItem) {
    if (!InItem) Raise(ErrorCode::MissingObject, "No subpart was given to attach.");
    std::string key = FoldCase(InItem->Name());
    Refresh();
    if (index_.contains(key))
        Raise(ErrorCode::DuplicateKey,
              "A subpart named \"" + InItem->Name() + "\" is already in the list.");
    items_.push_back(InItem);
    index_.emplace(std::move(key), Count());
    Watch(InItem);
}

void SubPartList::AddAll(const std::vector<Entry>& InItems) {
    std::unordered_set<std::string> keys;
    keys.reserve(items_.size() + InItems.size());
    Refresh();
    for (const auto& [key, position] : index_) keys.insert(key);
    for (const Entry& item : InItems) {
        if (!item) Raise(ErrorCode::MissingObject, "No subpart was given to attach.");
        if (!keys.insert(FoldCase(item->Name())).second)
            Raise(ErrorCode::DuplicateKey,
                  "A subpart named \"" + item->Name() + "\" is already in the list.");
    }
    items_.insert(items_.end(), InItems.begin(), InItems.end());
    for (const Entry& item : InItems) Watch(item);
    Reindex();
}

void SubPartList::Insert(std::int32_t Index, const Entry& InItem) {
    if (Index < 1 || Index > Count() + 1)
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    if (!InItem) Raise(ErrorCode::MissingObject, "No subpart was given to insert.");
    if (Contains(InItem->Name()))
        Raise(ErrorCode::DuplicateKey,
              "A subpart named \"" + InItem->Name() + "\" is already in the list.");
    items_.insert(items_.begin() + (Index - 1), InItem);
    Watch(InItem);
    Reindex();  // every later position moved
}

void SubPartList::Remove(std::int32_t Index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Offset(Index)));
    Reindex();  // every later position moved
}

void SubPartList::Clear() noexcept {
    items_.clear();
    index_.clear();
    indexedAt_ = Renames();
}

void SubPartList::Swap(std::int32_t A, std::int32_t B) {
    std::swap(items_[Offset(A)], items_[Offset(B)]);
    Reindex();
}

}  // namespace torvane

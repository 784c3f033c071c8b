#pragma once
// The ordered subpart list of a part room: positions count from 1, and every entry is also
// found by its subpart name with letter case ignored ("Arm" and "arm" are the same key).
// The key of an entry is its subpart's current Name, so a renamed subpart is found under
// its new name. Look-ups and additions take constant time on average: the list keeps an index
// of folded names, which it re-reads after any of its subparts was renamed.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/clsSubPart.h"

namespace torvane {

class SubPartList {
  public:
    using Entry = std::shared_ptr<clsSubPart>;

    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }
    bool Empty() const noexcept { return items_.empty(); }

    // The entry at position Index (1 to Count); a subscript error outside.
    clsSubPart& operator()(std::int32_t Index) const { return *Item(Index); }
    const Entry& Item(std::int32_t Index) const;
    // The entry whose name equals Key ignoring case; an invalid-argument error if none.
    const Entry& Item(const std::string& Key) const;
    // Position (1-based) of the entry named Key ignoring case, 0 if there is none.
    std::int32_t IndexOf(const std::string& Key) const;
    bool Contains(const std::string& Key) const { return IndexOf(Key) > 0; }

    // Appends InItem under its Name. A missing item fails with a missing-object error, a
    // name already present (case ignored) with a duplicate-key error; the list is unchanged.
    void Add(const Entry& InItem);
    // Appends every item in order, as Add would one by one, but in time proportional to the
    // number of entries: a room read from a file may hold many thousands of subparts. Fails
    // without adding any item when one is missing (missing-object error) or when a name is
    // already present or given twice, case ignored (duplicate-key error).
    void AddAll(const std::vector<Entry>& InItems);
    // Inserts InItem at Index (1 to Count + 1); the entries from Index on move up one place.
    // Fails, changing nothing, for an index outside that range (subscript error), no item
    // (missing-object error) or a name already present, case ignored (duplicate-key error).
    void Insert(std::int32_t Index, const Entry& InItem);
    // Removes the entry at Index; later entries move down one place. Subscript error outside.
    void Remove(std::int32_t Index);
    // Discards every entry ("setting the list to nothing").
    void Clear() noexcept;
    // Exchanges the entries at two valid positions.
    void Swap(std::int32_t A, std::int32_t B);

    using const_iterator = std::vector<Entry>::const_iterator;
    const_iterator begin() const noexcept { return items_.begin(); }
    const_iterator end() const noexcept { return items_.end(); }

  private:
    std::size_t Offset(std::int32_t Index) const;
    // Re-reads the index when a subpart has been renamed since it was built.
    void Refresh() const;
    void Reindex() const;
    std::uint64_t Renames() const noexcept { return renames_ ? *renames_ : 0; }
    void Watch(const Entry& item);

    std::vector<Entry> items_;
    // Folded name -> position; the first of equal keys wins, as a scan from the front would.
    mutable std::unordered_map<std::string, std::int32_t> index_;
    // Made with the first entry (a list moved from has none).
    NameChanges renames_;
    mutable std::uint64_t indexedAt_ = 0;
};

}  // namespace torvane

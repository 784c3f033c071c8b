#pragma once
// The fields in which two versions of a record differ, each with its old and new value: what a
// command keeps of an edit, in proportion to what the edit changed rather than to the record.
// Fields names the record's fields (pointers to members); Value is a variant of their types.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "model/Records.h"

namespace mechanon {

// The pointers to members of Record for each type of the variant Value.
template <typename Record, typename Value>
struct MembersOf;
template <typename Record, typename... Types>
struct MembersOf<Record, std::variant<Types...>> {
    using type = std::variant<Types Record::*...>;
};

template <typename Record, typename Value>
class RecordDelta {
  public:
    using Member = typename MembersOf<Record, Value>::type;

    // The fields in kept are kept also when they did not change: values that something besides
    // the edit writes (the pose the view draws) and that the edit's undo must put back as well.
    RecordDelta(const Record& before, const Record& after, std::span<const Member> fields,
                std::span<const Member> kept = {}) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            std::visit(
                [&](auto member) {
                    const bool differs = !(before.*member == after.*member);
                    changed_ = changed_ || differs;
                    if (differs || std::find(kept.begin(), kept.end(), fields[i]) != kept.end())
                        changes_.push_back({fields[i], before.*member, after.*member});
                },
                fields[i]);
        changes_.shrink_to_fit();
    }

    // True when no field changed (kept ones aside).
    bool Empty() const noexcept { return !changed_; }
    // Writes the new (forward) or the old values of the changed fields into record.
    void Apply(Record& record, bool forward) const {
        for (const Change& change : changes_)
            std::visit(
                [&](auto member) {
                    using Field = std::remove_reference_t<decltype(record.*member)>;
                    record.*member = std::get<Field>(forward ? change.after : change.before);
                },
                change.member);
    }
    std::size_t Bytes() const {
        std::size_t bytes = sizeof(*this) + changes_.capacity() * sizeof(Change);
        for (const Change& change : changes_) bytes += Owned(change.before) + Owned(change.after);
        return bytes;
    }

  private:
    struct Change {
        Member member;
        Value before;
        Value after;
    };
    static std::size_t Owned(const Value& value) {
        return std::visit(
            [](const auto& v) -> std::size_t {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>)
                    return v.capacity() > std::string().capacity() ? v.capacity() + 1 : 0;
                else if constexpr (requires { v.Items(); })
                    return v.Items().capacity() * sizeof(v.Items().front());
                else
                    return 0;
            },
            value);
    }
    std::vector<Change> changes_;
    bool changed_ = false;
};

// The field types of the part and subpart records.
using RecordValue = std::variant<std::string, torvane::DoubleArray, torvane::typ3Point,
                                 torvane::typAttitude, torvane::typCamera, double, std::int16_t>;
using PartDelta = RecordDelta<torvane::typPartData, RecordValue>;
using SubPartDelta = RecordDelta<torvane::typSubPartData, RecordValue>;
// Every field of each record.
std::span<const PartDelta::Member> PartFields();
// The joint's pose, which drawing writes into the part record besides the edits.
std::span<const PartDelta::Member> PoseFields();
std::span<const SubPartDelta::Member> SubPartFields();

}  // namespace mechanon

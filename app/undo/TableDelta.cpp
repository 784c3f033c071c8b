#include "app/undo/TableDelta.h"

#include <algorithm>

namespace mechanon {
namespace {

using Masks = torvane::typMotorMasks;

// The same motors in the same places: only values can differ.
bool SameMasks(const Masks& before, const Masks& after) {
    const auto& a = before.Masks;
    const auto& b = after.Masks;
    if (a.IsAllocated() != b.IsAllocated() || a.Count() != b.Count()) return false;
    if (a.IsAllocated() && a.LBound() != b.LBound()) return false;
    return std::equal(a.Items().begin(), a.Items().end(), b.Items().begin(),
                      [](const auto& x, const auto& y) { return x.Name == y.Name; });
}

}  // namespace

std::span<const TableDelta::Parts::Member> TableDelta::FieldsFor(const Masks& before,
                                                                 const Masks& after) {
    static const Parts::Member kTexts[] = {&Masks::CountMasks,    &Masks::TotalMasks,
                                           &Masks::XMLScript,     &Masks::VBScript,
                                           &Masks::XMLProperties, &Masks::Masks};
    const std::span<const Parts::Member> all(kTexts);
    return SameMasks(before, after) ? all.first(all.size() - 1) : all;
}

TableDelta::TableDelta(const Masks& before, const Masks& after)
    : parts_(before, after, FieldsFor(before, after)) {
    if (!SameMasks(before, after)) return;
    const auto& a = before.Masks.Items();
    const auto& b = after.Masks.Items();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Value != b[i].Value)
            values_.push_back({static_cast<std::int32_t>(i), a[i].Value, b[i].Value});
    values_.shrink_to_fit();
}

void TableDelta::Apply(Masks& table, bool forward) const {
    parts_.Apply(table, forward);
    auto& masks = table.Masks.Items();
    for (const MaskValue& value : values_)
        masks.at(static_cast<std::size_t>(value.index)).Value =
            forward ? value.after : value.before;
}

std::size_t TableDelta::Bytes() const {
    return sizeof(*this) + values_.capacity() * sizeof(MaskValue) + parts_.Bytes() - sizeof(parts_);
}

}  // namespace mechanon

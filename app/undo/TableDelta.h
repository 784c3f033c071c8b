#pragma once
// What a change of one motor mask table altered: the values of the masks when the table kept
// its masks (the same names in the same order), else the whole mask list; and the counts and
// texts that differ.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/undo/RecordDelta.h"

namespace mechanon {

class TableDelta {
  public:
    TableDelta(const torvane::typMotorMasks& before, const torvane::typMotorMasks& after);
    bool Empty() const noexcept { return values_.empty() && parts_.Empty(); }
    // Writes the new (forward) or the old contents into table.
    void Apply(torvane::typMotorMasks& table, bool forward) const;
    std::size_t Bytes() const;

  private:
    using Value = std::variant<std::string, std::int32_t, torvane::VbArray<torvane::typMotorMask>>;
    using Parts = RecordDelta<torvane::typMotorMasks, Value>;
    struct MaskValue {
        std::int32_t index;
        double before;
        double after;
    };
    static std::span<const Parts::Member> FieldsFor(const torvane::typMotorMasks& before,
                                                    const torvane::typMotorMasks& after);
    std::vector<MaskValue> values_;
    Parts parts_;
};

}  // namespace mechanon

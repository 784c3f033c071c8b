#pragma once
// The motor tables an operation rewrote, as they were before it (or after it), put back once an
// undo or redo has restored the trees and the tables have been rebuilt. The rebuild knows the
// masks of each tree but not the values the user gave them, so a table whose mask list is as
// long as its count of masks is kept as its values that are not zero, with their places; any
// other table is kept whole.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/clsRooms.h"

namespace mechanon {

class TableValues {
  public:
    explicit TableValues(const torvane::clsRooms::MotorTables& tables);
    // Writes the kept tables back into their rooms. A rebuilt table that does not have the
    // masks a kept one had fails with an invalid-argument error before anything is written.
    void Restore() const;
    std::size_t Bytes() const;

  private:
    struct Sparse {
        std::shared_ptr<torvane::clsPartRoom> room;
        std::int32_t masks = 0;
        std::vector<std::pair<std::int32_t, double>> values;
    };
    std::vector<Sparse> sparse_;
    torvane::clsRooms::MotorTables whole_;
};

}  // namespace mechanon

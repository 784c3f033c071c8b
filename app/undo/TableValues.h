#pragma once
// The motor tables an operation rewrote, as they were before it (or after it), put back once an
// undo or redo has restored the trees and the tables have been rebuilt: the rebuild knows the
// masks of each tree, but not the values and texts the user gave them.

#include <cstddef>

#include "model/clsRooms.h"

namespace mechanon {

class TableValues {
  public:
    explicit TableValues(torvane::clsRooms::MotorTables tables) : tables_(std::move(tables)) {}
    // Writes the kept tables back into their rooms.
    void Restore() const { torvane::clsRooms::RestoreMotorTables(tables_); }
    std::size_t Bytes() const;

  private:
    torvane::clsRooms::MotorTables tables_;
};

}  // namespace mechanon

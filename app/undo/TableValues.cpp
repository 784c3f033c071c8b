#include "app/undo/TableValues.h"

#include "app/undo/HistoryBytes.h"

namespace mechanon {

std::size_t TableValues::Bytes() const {
    return sizeof(*this) + HistoryBytes(tables_);
}

}  // namespace mechanon

#include "app/DocumentChanges.h"

namespace mechanon {

torvane::Subscription DocumentChanges::Subscribe(Handler handler) {
    return changed_.Subscribe(std::move(handler));
}

void DocumentChanges::Announce(const Change& change) const {
    changed_.Raise(change);
}

}  // namespace mechanon

#pragma once
// The program stores every part room's snapshot as a QImage behind the model's untyped
// picture reference; these two functions are the only places that know it.

#include <QImage>
#include <memory>

namespace mechanon {

inline std::shared_ptr<void> MakeSnapShot(QImage image) {
    return std::make_shared<QImage>(std::move(image));
}

// The image behind a room's snapshot, or null when the room has none.
inline const QImage* SnapShotImage(const std::shared_ptr<void>& snapShot) {
    return static_cast<const QImage*>(snapShot.get());
}

}  // namespace mechanon

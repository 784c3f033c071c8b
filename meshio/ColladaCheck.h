#pragma once
// What a Collada file must hold before the importer reads it. The importer trusts the counts a
// file declares: it reads an accessor's count and stride from its array whatever the array's
// size, and makes room for an array's or a primitive list's count before reading what follows.
// A file whose counts its contents do not back is refused here instead.

#include <string>
#include <string_view>

namespace meshio {

// MeshError naming name and the element's line when the text is not well-formed XML, when an
// array holds fewer values than its count, when an accessor's count, stride, offset or
// parameters reach past the end of the array it reads, or when a primitive list counts more
// primitives than it lists or lists a word that is not an index.
void CheckCollada(std::string_view text, const std::string& name);

}  // namespace meshio

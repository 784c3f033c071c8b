#pragma once
// What a Collada file must hold before the importer reads it. The importer trusts an accessor's
// count and stride to fit the array it reads from; a file whose array is shorter than its
// accessor says makes it read outside the array. Such a file is refused here instead.

#include <string>
#include <string_view>

namespace meshio {

// MeshError naming name when the text is not well-formed XML, or when an accessor's count,
// stride, offset or parameters reach past the end of the array it reads, as that array's own
// count declares it.
void CheckCollada(std::string_view text, const std::string& name);

}  // namespace meshio

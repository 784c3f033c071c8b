#pragma once
// Why a mesh could not be read. The message names the file (or the name a caller gave the
// bytes) and says what is wrong with it in words a user can act on.

#include <stdexcept>
#include <string>

namespace meshio {

class MeshError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace meshio

#pragma once
// Whether the current context has framebuffer objects: core from GL 3.0, an extension before it.

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

namespace torvane {

inline bool ContextHasFramebuffers() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3) return true;
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object") != nullptr;
}

}  // namespace torvane

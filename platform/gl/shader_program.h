// Compiling and linking a GLSL program; needs a current OpenGL context.
#pragma once

namespace platform::gl {

// The linked program's name; raises platform::Error, naming `what` and
// giving the driver's log, when a shader does not compile or link.
unsigned LinkProgram(const char* vertexSource, const char* fragmentSource, const char* what);

}  // namespace platform::gl

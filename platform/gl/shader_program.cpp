#include "platform/gl/shader_program.h"

#include <epoxy/gl.h>

#include <string>

#include "platform/error.h"

namespace platform::gl {

namespace {

// Raises the error with the driver's log of `object`, which it deletes.
template <typename GetLog, typename Delete>
[[noreturn]] void Fail(GLuint object, GetLog getLog, Delete remove, const std::string& what) {
  char log[2048] = {};
  getLog(object, sizeof log, nullptr, log);
  remove(object);
  throw platform::Error(what + log);
}

GLuint Compile(GLenum type, const char* source, const char* what) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok)
    Fail(shader, glGetShaderInfoLog, glDeleteShader,
         std::string(what) + " shader does not compile: ");
  return shader;
}

}  // namespace

unsigned LinkProgram(const char* vertexSource, const char* fragmentSource, const char* what) {
  GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, what);
  GLuint fs = 0;
  try {
    fs = Compile(GL_FRAGMENT_SHADER, fragmentSource, what);
  } catch (...) {
    glDeleteShader(vs);
    throw;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok)
    Fail(program, glGetProgramInfoLog, glDeleteProgram,
         std::string(what) + " shader does not link: ");
  return program;
}

}  // namespace platform::gl

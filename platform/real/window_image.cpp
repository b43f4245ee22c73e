#include "platform/real/window_image.h"

#include <epoxy/gl.h>

#include "platform/error.h"
#include "platform/gl/shader_program.h"

namespace platform::real {

namespace {

// One triangle that covers the viewport (the canvas's rectangle).
const char* kVertexShader = R"(#version 330 core
void main() {
  vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
  gl_Position = vec4(corner, 0.0, 1.0);
}
)";

// Texel for pixel. Sampled at the texel's centre through the texture's own
// filter, as the controls' renderer samples it, so the colours come out
// exactly as they did when the canvas was drawn with the controls.
const char* kFragmentShader = R"(#version 330 core
uniform sampler2D uCanvas;
uniform vec2 uOrigin;  // the rectangle's lower left in the image
out vec4 outColor;
void main() {
  vec2 uv = (gl_FragCoord.xy - uOrigin) / vec2(textureSize(uCanvas, 0));
  outColor = vec4(texture(uCanvas, uv).rgb, 1.0);
}
)";

}  // namespace

WindowImage::~WindowImage() {
  Release();
}

void WindowImage::Release() {
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  if (texture_) glDeleteTextures(1, &texture_);
  if (program_) glDeleteProgram(program_);
  if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
  framebuffer_ = texture_ = program_ = vertexArray_ = 0;
  width_ = height_ = 0;
}

bool WindowImage::Make(int width, int height) {
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  if (texture_) glDeleteTextures(1, &texture_);
  framebuffer_ = texture_ = 0;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return false;

  GLint oldTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTexture));

  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &texture_);
    framebuffer_ = texture_ = 0;
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

bool WindowImage::Program() {
  if (program_) return true;
  try {
    program_ = gl::LinkProgram(kVertexShader, kFragmentShader, "window image");
  } catch (const platform::Error&) {
    return false;
  }
  origin_ = glGetUniformLocation(program_, "uOrigin");
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "uCanvas"), 0);
  glGenVertexArrays(1, &vertexArray_);
  return true;
}

bool WindowImage::Target(int width, int height) {
  if (!Program()) return false;
  if (!Holds(width, height) && !Make(width, height)) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  return true;
}

void WindowImage::ShowCanvas(unsigned texture, int left, int top, int width, int height) {
  Draw(texture, left, top, width, height, left, top, width, height);
}

void WindowImage::Show() {
  Draw(texture_, 0, 0, width_, height_, 0, 0, width_, height_);
}

void WindowImage::ShowPart(int left, int top, int width, int height) {
  Draw(texture_, 0, 0, width_, height_, left, top, width, height);
}

void WindowImage::Draw(unsigned texture, int left, int top, int width, int height, int clipLeft,
                       int clipTop, int clipWidth, int clipHeight) {
  if (!framebuffer_ || !program_ || texture == 0 || width <= 0 || height <= 0) return;
  // OpenGL counts rows from the bottom.
  const int bottom = height_ - top - height;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(left, bottom, width, height);
  glEnable(GL_SCISSOR_TEST);
  glScissor(clipLeft, height_ - clipTop - clipHeight, clipWidth, clipHeight);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_STENCIL_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glUseProgram(program_);
  glUniform2f(origin_, float(left), float(bottom));
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindVertexArray(vertexArray_);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glBindVertexArray(0);
  glUseProgram(0);
  glDisable(GL_SCISSOR_TEST);
}

}  // namespace platform::real

// Draws a retained-mode scene with OpenGL into an off-screen 16-bit (RGB565)
// colour buffer of a fixed size. Needs a current OpenGL 3.3 core context.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rm/rm.h"

namespace platform::gl {

// Red + green + blue + alpha bits of the bound framebuffer's first colour
// attachment, or 0 when that framebuffer is not complete.
int BoundColorBits();

class SceneRenderer {
 public:
  SceneRenderer(int width, int height);
  ~SceneRenderer();
  SceneRenderer(const SceneRenderer&) = delete;
  SceneRenderer& operator=(const SceneRenderer&) = delete;

  // Renders everything below `scene` as seen from `camera`. Returns false,
  // drawing nothing, when the picture would be the one drawn last.
  bool Draw(const rm::Frame& scene, const rm::Frame& camera, const rm::Viewport& viewport);
  // Makes the next Draw draw whatever changed or not.
  void Forget();
  // How many pictures Draw has drawn: a new number, a new picture.
  unsigned Pictures() const;

  // The colour buffer as a texture, for showing it in a window.
  unsigned ColorTexture() const;
  // Bits per pixel of the colour buffer (red + green + blue + alpha bits).
  int ColorBits() const;
  int Width() const;
  int Height() const;
  // The last frame as RGBA8, top row first.
  std::vector<uint8_t> ReadPixels() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::gl

// A window's last whole frame kept in an off-screen buffer. While only a 3D
// canvas changes, a new frame is the kept image shown again with the canvas's
// new picture on top: the background, labels and controls are not drawn anew.
// Needs the shared OpenGL context current.
#pragma once

namespace platform::real {

class WindowImage {
 public:
  WindowImage() = default;
  WindowImage(const WindowImage&) = delete;
  WindowImage& operator=(const WindowImage&) = delete;
  ~WindowImage();  // only with the context current, or after Release

  // Binds the image as the drawing target, (re)made at this size; false when
  // the driver can't make it, and the window is then drawn directly.
  bool Target(int width, int height);
  // Copies the image to the current window's framebuffer, of the same size;
  // or only a rectangle of it (top left in window pixels from the top left).
  void Show();
  void ShowPart(int left, int top, int width, int height);
  // Then copies a canvas's colour texture (rows bottom-up, as OpenGL renders
  // them) to its rectangle there; the rectangle's top left is in window
  // pixels from the top left.
  void ShowCanvas(unsigned texture, int left, int top, int width, int height);
  void Release();

  bool Holds(int width, int height) const {
    return framebuffer_ != 0 && width == width_ && height == height_;
  }

 private:
  bool Make(int width, int height);
  // Draws `texture` over a rectangle of the window's framebuffer, texel for
  // pixel, clipped to a second rectangle.
  void Draw(unsigned texture, int left, int top, int width, int height, int clipLeft, int clipTop,
            int clipWidth, int clipHeight);
  bool Program();

  unsigned framebuffer_ = 0, texture_ = 0;
  unsigned program_ = 0, vertexArray_ = 0;
  int origin_ = -1;  // uniform location
  int width_ = 0, height_ = 0;
};

}  // namespace platform::real

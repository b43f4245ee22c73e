// The table scene through the real OpenGL renderer (Mesa's software
// rasteriser under Xvfb), from the start camera and from the result view.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "platform/gl/scene_renderer.h"
#include "support/desktop.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

namespace fs = std::filesystem;

// A hidden window with an OpenGL 3.3 core context, for drawing off screen.
class OffscreenContext {
 public:
  OffscreenContext() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    window_ = SDL_CreateWindow("scene", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_) context_ = SDL_GL_CreateContext(window_);
    if (context_) SDL_GL_MakeCurrent(window_, context_);
  }
  ~OffscreenContext() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  bool ok() const { return context_ != nullptr; }

 private:
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
};

struct Shade {
  int r, g, b;
};

Shade At(const std::vector<uint8_t>& rgba, int width, int x, int y) {
  const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
  return {p[0], p[1], p[2]};
}

bool Greenish(Shade s) {
  return s.g > s.r + 15 && s.g > s.b + 15;
}

int CountDistinct(const std::vector<uint8_t>& rgba) {
  std::set<uint32_t> colours;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    colours.insert(uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
  }
  return static_cast<int>(colours.size());
}

class SceneRenderTest : public GameTest {
 protected:
  std::vector<uint8_t> Draw(VorletWindow& w, platform::gl::SceneRenderer& renderer,
                            const char* name) {
    renderer.Draw(*w.RMCanvas1.SceneFrame(), *w.RMCanvas1.Camera(), w.RMCanvas1.Viewport());
    std::vector<uint8_t> pixels = renderer.ReadPixels();
    fs::path dir = fs::path(KWINTA_BIN_DIR).parent_path() / "screenshots";
    fs::create_directories(dir);
    stbi_write_png((dir / name).c_str(), renderer.Width(), renderer.Height(), 4, pixels.data(),
                   renderer.Width() * 4);
    return pixels;
  }
};

TEST_F(SceneRenderTest, TheTableReadsFromTheStartCameraAndFromTheResultView) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  OffscreenContext gl;
  ASSERT_TRUE(gl.ok()) << SDL_GetError();
  VorletWindow& w = OpenPlayWindow("Computer", true);

  platform::gl::SceneRenderer renderer(417, 361);
  EXPECT_EQ(renderer.ColorBits(), 16);
  const int W = renderer.Width(), H = renderer.Height();

  std::vector<uint8_t> start = Draw(w, renderer, "scene_start.png");
  EXPECT_GT(CountDistinct(start), 300) << "the start view looks blank";
  // From behind the football the table fills the middle of the view: most of
  // a column through the middle is grass (the yard lines cross it).
  int grass = 0, samples = 0;
  for (int y = H * 3 / 10; y < H * 6 / 10; ++y, ++samples) {
    grass += Greenish(At(start, W, W / 2 + 40, y));
  }
  EXPECT_GT(grass, samples * 3 / 4) << "the table's middle should be green";

  w.BallFrame->SetPosition(w.RMCanvas1.SceneFrame(), 0, 0, -80);
  w.WinCam();
  std::vector<uint8_t> result = Draw(w, renderer, "scene_result.png");
  EXPECT_GT(CountDistinct(result), 300) << "the result view looks blank";
  int green = 0;
  for (int y = H / 3; y < H; y += 4) {
    for (int x = 0; x < W; x += 4) green += Greenish(At(result, W, x, y));
  }
  EXPECT_GT(green, 200) << "the table should fill much of the result view";
}

}  // namespace
}  // namespace kwinta::testing

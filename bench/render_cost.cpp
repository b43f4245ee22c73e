// The cost of one frame of the full table scene through the OpenGL renderer
// (median over many frames; under Xvfb that is Mesa's software rasteriser),
// and of one ground-test pick under the football.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/state.h"
#include "app/windows.h"
#include "platform/gl/scene_renderer.h"
#include "platform/test/test_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  platform::test::TestBackend& b = platform::test::Install();
  kwinta::state().SoundOn = false;
  kwinta::state().SceneryOn = true;
  kwinta::state().NumRounds = 5;
  kwinta::state().GameMode = "Computer";
  kwinta::VorletWindow& w = kwinta::frmVorlet();
  // The match runs inside the window's load: stop it at its first yield,
  // once the scene is built and the first possession has started.
  struct FirstYield {};
  b.onYield = [] { throw FirstYield{}; };
  try {
    w.Show();
  } catch (const FirstYield&) {
  }
  b.onYield = nullptr;

  // Ground test: what the flight asks after every step.
  std::vector<double> picks;
  rm::Ray ray{{0, -1, 0}, {0, 0, 85}};
  for (int i = 0; i < 20000; ++i) {
    auto t0 = Clock::now();
    auto hits = w.TableFrame->RayPick(w.RMCanvas1.SceneFrame(), ray, 2);
    auto t1 = Clock::now();
    if (hits.GetSize() != 1) return 1;
    picks.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::printf("ground-test pick: median %.2f us\n", Median(picks));

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::printf("render: skipped, no display (%s)\n", SDL_GetError());
    return 0;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window =
      SDL_CreateWindow("bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::printf("render: skipped, no OpenGL context (%s)\n", SDL_GetError());
    return 0;
  }
  SDL_GL_MakeCurrent(window, context);
  {
    platform::gl::SceneRenderer renderer(417, 361);
    std::vector<double> costs;
    for (int i = 0; i < frames + 10; ++i) {
      auto t0 = Clock::now();
      w.Wind();  // as every match frame does: the sky's texture moves
      w.RMCanvas1.SceneFrame()->Move(1.0f);
      renderer.Forget();  // a whole render each time, though the view stands still
      renderer.Draw(*w.RMCanvas1.SceneFrame(), *w.RMCanvas1.Camera(), w.RMCanvas1.Viewport());
      glFinish();
      auto t1 = Clock::now();
      if (i >= 10) costs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::printf("render of the full scene (%s): median %.2f ms over %d frames\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), Median(costs), frames);
  }  // the renderer goes before its context
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

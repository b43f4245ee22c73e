#include "gl/gl_context.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace gltest {

std::string MakeContextCurrent() {
  static SDL_Window* window = nullptr;
  static SDL_GLContext context = nullptr;
  static std::string failure;
  if (context) {
    SDL_GL_MakeCurrent(window, context);
    return {};
  }
  if (!failure.empty()) return failure;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return failure = std::string("SDL_Init: ") + SDL_GetError();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  window = SDL_CreateWindow("kwinta gl tests", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64,
                            64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) return failure = std::string("SDL_CreateWindow: ") + SDL_GetError();
  context = SDL_GL_CreateContext(window);
  if (!context) return failure = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
  SDL_GL_MakeCurrent(window, context);
  return {};
}

Rgb PixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y) {
  const size_t at =
      (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
  return {rgba[at], rgba[at + 1], rgba[at + 2]};
}

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

void SaveImage(const std::vector<uint8_t>& rgba, int width, int height, const std::string& name) {
  const char* folder = std::getenv("KWINTA_GL_TEST_IMAGES");
  if (!folder || !*folder) return;
  const std::string path = std::string(folder) + "/" + name + ".png";
  stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
}

void AddSquare(rm::MeshBuilder& mesh, rm::Vector c, rm::Vector r, rm::Vector u, float half) {
  auto at = [&](float sr, float su) {
    return rm::Vector{c.x + half * (sr * r.x + su * u.x), c.y + half * (sr * r.y + su * u.y),
                      c.z + half * (sr * r.z + su * u.z)};
  };
  const int base = static_cast<int>(mesh.positions.size());
  mesh.positions.push_back(at(-1, -1));  // bottom left
  mesh.positions.push_back(at(-1, 1));   // top left
  mesh.positions.push_back(at(1, 1));    // top right
  mesh.positions.push_back(at(1, -1));   // bottom right
  mesh.uvs.push_back({0, 1});
  mesh.uvs.push_back({0, 0});
  mesh.uvs.push_back({1, 0});
  mesh.uvs.push_back({1, 1});
  // Bottom left, top left, top right: clockwise for the viewer.
  mesh.faces.push_back({{base, base + 1, base + 2}});
  mesh.faces.push_back({{base, base + 2, base + 3}});
  ++mesh.revision;
}

rm::Matrix Pose(rm::Vector x, rm::Vector y, rm::Vector z, rm::Vector o) {
  rm::Matrix m;
  m.m[0] = {x.x, x.y, x.z, 0};
  m.m[1] = {y.x, y.y, y.z, 0};
  m.m[2] = {z.x, z.y, z.z, 0};
  m.m[3] = {o.x, o.y, o.z, 1};
  return m;
}

}  // namespace gltest

// The factory of scene objects, texture loading and path conversion.

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/error.h"
#include "platform/rm/rm.h"

// stb_image is compiled in here, private to this file (PNG and BMP only), so
// it cannot clash with another copy of stb linked into the program.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace rm {

std::string NativePath(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  return out;
}

FramePtr Direct3DRM3::CreateFrame(const FramePtr& parent) {
  FramePtr frame = std::make_shared<Frame>();
  if (parent) {
    frame->parent_ = parent.get();
    parent->children_.push_back(frame);
  }
  return frame;
}

MeshBuilderPtr Direct3DRM3::CreateMeshBuilder() {
  return std::make_shared<MeshBuilder>();
}

// Texture files hold PNG or BMP data whatever their name; the pixels come out
// as RGBA, top row first.
TexturePtr Direct3DRM3::LoadTexture(const std::string& path) {
  const std::string native = NativePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(native, ec))
    throw platform::Error("texture file not found: " + native);
  std::ifstream in(native, std::ios::binary);
  if (!in) throw platform::Error("cannot open texture file: " + native);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  if (bytes.empty()) throw platform::Error("texture file is empty: " + native);
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                          &height, &channels, 4);
  if (!pixels)
    throw platform::Error("texture file " + native + " is not a picture: " + stbi_failure_reason());
  auto texture = std::make_shared<Texture>();
  texture->width = width;
  texture->height = height;
  texture->rgba.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
  stbi_image_free(pixels);
  texture->revision = 1;
  return texture;
}

MaterialPtr Direct3DRM3::CreateMaterial(float power) {
  return std::make_shared<Material>(power);
}

WrapPtr Direct3DRM3::CreateWrap(int type, const FramePtr& ref, float ox, float oy, float oz,
                                float dx, float dy, float dz, float ux, float uy, float uz,
                                float ou, float ov, float su, float sv) {
  if (type != kWrapFlat) throw platform::Error("CreateWrap: only flat wraps are offered");
  auto wrap = std::make_shared<Wrap>();
  wrap->type = type;
  wrap->ref = ref;
  wrap->origin = {ox, oy, oz};
  wrap->direction = {dx, dy, dz};
  wrap->up = {ux, uy, uz};
  wrap->ou = ou;
  wrap->ov = ov;
  wrap->su = su;
  wrap->sv = sv;
  return wrap;
}

}  // namespace rm

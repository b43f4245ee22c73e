// The factory of scene objects, texture loading and path conversion.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

namespace {

// The largest picture a texture may be, each way: more than any renderer here
// needs, and a header claiming more is refused before a pixel is decoded, so
// that a damaged file can't make the game ask for gigabytes.
constexpr int kLargestTexture = 4096;

// Texture files hold PNG or BMP data whatever their name; the pixels come out
// as RGBA, top row first. Returns the reason when they can't be read.
std::string Decode(const std::string& native, Texture& texture) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(native, ec)) return "texture file not found: " + native;
  std::ifstream in(native, std::ios::binary);
  if (!in) return "cannot open texture file: " + native;
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  if (bytes.empty()) return "texture file is empty: " + native;
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                            &channels) &&
      (width > kLargestTexture || height > kLargestTexture)) {
    return "texture file " + native + " is too large: " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels (at most " + std::to_string(kLargestTexture) + " x " +
           std::to_string(kLargestTexture) + ")";
  }
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                          &height, &channels, 4);
  if (!pixels) return "texture file " + native + " is not a picture: " + stbi_failure_reason();
  texture.width = width;
  texture.height = height;
  texture.rgba.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return {};
}

}  // namespace

TexturePtr Direct3DRM3::LoadTexture(const std::string& path) {
  auto texture = std::make_shared<Texture>();
  const std::string native = NativePath(path);
  if (std::string error = Decode(native, *texture); !error.empty()) throw platform::Error(error);
  texture->file = native;
  texture->revision = 1;
  return texture;
}

const std::vector<uint8_t>& Texture::Pixels() {
  if (rgba.empty() && !file.empty()) {
    // The same file at another size would be other pixels: they'd need a new
    // revision, which only the game's code gives.
    Texture again;
    if (Decode(file, again).empty() && again.width == width && again.height == height)
      rgba = std::move(again.rgba);
  }
  return rgba;
}

void Texture::ReleasePixels() {
  if (!file.empty()) std::vector<uint8_t>().swap(rgba);
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

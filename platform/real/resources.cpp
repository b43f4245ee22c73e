// Fonts, pictures and key codes of the real back end.
#include <epoxy/gl.h>
#include <stb_image.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/error.h"
#include "platform/real/real_internal.h"

namespace platform::real {

namespace {

constexpr const char* kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Latin-1, Latin Extended-A, dashes, quotes, bullet, ellipsis, euro, arrows.
const ImWchar kGlyphs[] = {0x0020, 0x00FF, 0x0100, 0x017F, 0x2010, 0x2027, 0x2030, 0x203A,
                           0x20AC, 0x20AC, 0x2122, 0x2122, 0x2190, 0x2193, 0};

// A font file's bytes, read once for all the sizes taken from it.
std::vector<unsigned char> ReadFont(const char* file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  if (bytes.empty()) throw Error(std::string("can't load the font ") + file);
  return bytes;
}

ImFont* AddFont(ImFontAtlas& atlas, std::vector<unsigned char>& file, float px) {
  ImFontConfig cfg;
  cfg.OversampleH = 2;
  cfg.OversampleV = 1;
  cfg.PixelSnapH = true;
  cfg.FontDataOwnedByAtlas = false;
  ImFont* f =
      atlas.AddFontFromMemoryTTF(file.data(), static_cast<int>(file.size()), px, &cfg, kGlyphs);
  if (f == nullptr) throw Error("can't load a font");
  return f;
}

enum class Texels { Rgba, Coverage };

// A linear-filtered, clamped texture of tightly packed rows. Coverage (one
// byte a texel) reads as white with that alpha: what the RGBA form of the
// font atlas would hold, in a quarter of the memory.
unsigned Upload(const unsigned char* pixels, int width, int height, Texels texels = Texels::Rgba) {
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  if (texels == Texels::Coverage) {
    const GLint swizzle[] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, pixels);
  } else {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return tex;
}

}  // namespace

void Fonts::Build() {
  std::vector<unsigned char> regular = ReadFont(kRegularFont), bold = ReadFont(kBoldFont);
  // The first font added is every context's default: the controls' font.
  regular_.push_back(AddFont(atlas_, regular, 13));
  for (float px : {11.0f, 12.0f, 15.0f}) regular_.push_back(AddFont(atlas_, regular, px));
  for (float px : {11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f, 17.0f, 18.0f, 20.0f, 22.0f, 24.0f}) {
    bold_.push_back(AddFont(atlas_, bold, px));
  }
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  if (!atlas_.Build()) throw Error("can't build the font atlas");
  atlas_.GetTexDataAsAlpha8(&pixels, &width, &height);
  texture_ = Upload(pixels, width, height, Texels::Coverage);
  atlas_.SetTexID(Texture());
  // The glyphs are baked and uploaded: neither the pixels nor the font files
  // are needed any more.
  atlas_.ClearTexData();
  atlas_.ClearInputData();

  // A one-pixel atlas for the OpenGL back end's own font texture of each
  // window, which no window draws from.
  stub_.TexPixelsRGBA32 = static_cast<unsigned int*>(IM_ALLOC(4));
  *stub_.TexPixelsRGBA32 = 0xFFFFFFFFu;
  stub_.TexWidth = stub_.TexHeight = 1;
}

void Fonts::Release() {
  if (texture_) glDeleteTextures(1, &texture_);
  texture_ = 0;
}

ImFont* Fonts::Nearest(const std::vector<ImFont*>& fonts, float px) {
  ImFont* best = fonts.empty() ? nullptr : fonts.front();
  for (ImFont* f : fonts) {
    if (std::fabs(f->FontSize - px) < std::fabs(best->FontSize - px)) best = f;
  }
  return best;
}

const Picture& PictureCache::Get(std::string_view encoded) {
  auto it = pictures_.find(encoded.data());
  if (it != pictures_.end()) return it->second;
  Picture& p = pictures_[encoded.data()];
  int n = 0;
  unsigned char* rgba =
      stbi_load_from_memory(reinterpret_cast<const unsigned char*>(encoded.data()),
                            int(encoded.size()), &p.width, &p.height, &n, 4);
  if (rgba == nullptr) {
    std::fprintf(stderr, "kwinta: can't decode a picture: %s\n", stbi_failure_reason());
    p.width = p.height = 0;
    return p;
  }
  p.texture = Upload(rgba, p.width, p.height);
  stbi_image_free(rgba);
  return p;
}

void PictureCache::Release() {
  for (auto& [name, p] : pictures_) {
    if (p.texture) glDeleteTextures(1, &p.texture);
  }
  pictures_.clear();
}

int VirtualKey(const SDL_Keysym& key) {
  SDL_Keycode sym = key.sym;
  if (sym >= 'a' && sym <= 'z') return int(sym - 'a' + 'A');
  if (sym >= '0' && sym <= '9') return int(sym);
  SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc == SDL_SCANCODE_0) return '0';
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return 112 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return 97 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_ESCAPE:
      return 27;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return 16;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return 17;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return 18;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return 13;
    case SDL_SCANCODE_SPACE:
      return 32;
    case SDL_SCANCODE_BACKSPACE:
      return 8;
    case SDL_SCANCODE_TAB:
      return 9;
    case SDL_SCANCODE_GRAVE:
      return 192;
    case SDL_SCANCODE_LEFT:
      return 37;
    case SDL_SCANCODE_UP:
      return 38;
    case SDL_SCANCODE_RIGHT:
      return 39;
    case SDL_SCANCODE_DOWN:
      return 40;
    case SDL_SCANCODE_PAGEUP:
      return 33;
    case SDL_SCANCODE_PAGEDOWN:
      return 34;
    case SDL_SCANCODE_END:
      return 35;
    case SDL_SCANCODE_HOME:
      return 36;
    case SDL_SCANCODE_INSERT:
      return 45;
    case SDL_SCANCODE_DELETE:
      return 46;
    case SDL_SCANCODE_PAUSE:
      return 19;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_KP_0:
      return 96;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_PERIOD:
      return 110;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    case SDL_SCANCODE_SEMICOLON:
      return 186;
    case SDL_SCANCODE_EQUALS:
      return 187;
    case SDL_SCANCODE_COMMA:
      return 188;
    case SDL_SCANCODE_MINUS:
      return 189;
    case SDL_SCANCODE_PERIOD:
      return 190;
    case SDL_SCANCODE_SLASH:
      return 191;
    case SDL_SCANCODE_LEFTBRACKET:
      return 219;
    case SDL_SCANCODE_BACKSLASH:
      return 220;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 221;
    case SDL_SCANCODE_APOSTROPHE:
      return 222;
    default:
      return 0;
  }
}

}  // namespace platform::real

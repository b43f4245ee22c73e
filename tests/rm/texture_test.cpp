#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

class TextureLoad : public ::testing::Test {
 protected:
  std::filesystem::path dir = rm_test::ScratchDir();
  rm::Direct3DRM3 d3drm;
};

TEST_F(TextureLoad, PngDataUnderATextureNameComesOutTopRowFirst) {
  // 2 wide, 3 high, every pixel different, some see-through.
  const std::vector<uint8_t> rgba = {
      255, 0,  0,   255, 0,   255, 0,   255,  // top
      0,   0,  255, 255, 255, 255, 255, 128,  //
      10,  20, 30,  0,   40,  50,  60,  70,   // bottom
  };
  const std::string path = (dir / "crowd2.dab").string();
  ASSERT_NE(stbi_write_png(path.c_str(), 2, 3, 4, rgba.data(), 2 * 4), 0);

  rm::TexturePtr texture = d3drm.LoadTexture(path);
  EXPECT_EQ(texture->width, 2);
  EXPECT_EQ(texture->height, 3);
  EXPECT_EQ(texture->rgba, rgba);
  EXPECT_GT(texture->revision, 0u);
}

TEST_F(TextureLoad, PixelsFromAFileCanBeLetGoAndReadAgain) {
  const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 0, 255, 255};
  const std::string path = (dir / "sky.dab").string();
  ASSERT_NE(stbi_write_png(path.c_str(), 2, 1, 4, rgba.data(), 2 * 4), 0);
  rm::TexturePtr texture = d3drm.LoadTexture(path);
  const unsigned revision = texture->revision;
  texture->ReleasePixels();
  EXPECT_TRUE(texture->rgba.empty());
  EXPECT_EQ(texture->Pixels(), rgba);
  EXPECT_EQ(texture->revision, revision);

  // Pixels set by hand have nowhere to come back from: they stay.
  rm::Texture own;
  own.width = 1;
  own.height = 1;
  own.rgba = {1, 2, 3, 4};
  own.ReleasePixels();
  EXPECT_EQ(own.Pixels(), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(TextureLoad, PixelsWithoutAlphaAreOpaque) {
  const std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6};
  const std::string path = (dir / "grass.dab").string();
  ASSERT_NE(stbi_write_png(path.c_str(), 2, 1, 3, rgb.data(), 2 * 3), 0);
  EXPECT_EQ(d3drm.LoadTexture(path)->rgba, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 2 x 2, 24-bit BMP written by hand: rows bottom first, blue-green-red,
// each row padded to 4 bytes.
TEST_F(TextureLoad, BmpRowsAreTurnedTopFirst) {
  std::string bmp = "BM";
  PutLittleEndian(bmp, 14 + 40 + 16, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 14 + 40, 4);
  PutLittleEndian(bmp, 40, 4);  // info header
  PutLittleEndian(bmp, 2, 4);   // width
  PutLittleEndian(bmp, 2, 4);   // height: positive, so bottom row first
  PutLittleEndian(bmp, 1, 2);
  PutLittleEndian(bmp, 24, 2);
  PutLittleEndian(bmp, 0, 4);  // no compression
  PutLittleEndian(bmp, 16, 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 0, 4);
  const unsigned char bottom[] = {0, 255, 0, 255, 255, 255, 0, 0};  // green, white
  const unsigned char top[] = {0, 0, 255, 255, 0, 0, 0, 0};         // red, blue
  bmp.append(reinterpret_cast<const char*>(bottom), sizeof bottom);
  bmp.append(reinterpret_cast<const char*>(top), sizeof top);
  const std::string path = rm_test::WriteFile(dir / "loose.dab", bmp);

  rm::TexturePtr texture = d3drm.LoadTexture(path);
  ASSERT_EQ(texture->width, 2);
  ASSERT_EQ(texture->height, 2);
  EXPECT_EQ(texture->rgba, (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 255, 255,  // red, blue
                                                 0, 255, 0, 255, 255, 255, 255, 255}));
}

// The first bytes of a BMP file (54 in all) claiming a picture of
// `width` x `height` pixels, 24 bits each, none of them there.
std::string BmpHeader(int32_t width, int32_t height) {
  std::string h = "BM";
  auto le32 = [&h](uint32_t v) {
    for (int i = 0; i < 4; ++i) h.push_back(char((v >> (8 * i)) & 255));
  };
  le32(54 + uint32_t(width) * uint32_t(height) * 3);  // file size
  le32(0);
  le32(54);  // where the pixels start
  le32(40);  // info header size
  le32(uint32_t(width));
  le32(uint32_t(height));
  h += std::string("\x01\x00\x18\x00", 4);  // one plane, 24 bits
  for (int i = 0; i < 6; ++i) le32(0);
  return h;
}

// A PNG signature and header chunk claiming `width` x `height`, no pixels.
std::string PngHeader(uint32_t width, uint32_t height) {
  std::string h("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t v : {width, height})
    for (int i = 3; i >= 0; --i) h.push_back(char((v >> (8 * i)) & 255));
  h += std::string("\x08\x06\0\0\0\0\0\0\0", 9);  // 8-bit RGBA, then a CRC
  return h;
}

TEST_F(TextureLoad, MissingOrUnreadableFilesAreErrorsThatNameTheFile) {
  struct BadFile {
    const char* what;
    const char* name;
    std::optional<std::string> bytes;  // none: the file isn't there
    const char* reason;
  };
  const BadFile cases[] = {
      {"missing", "sky.dab", std::nullopt, "not found"},
      {"empty", "empty.dab", "", "is empty"},
      {"not a picture", "text.dab", "not a picture at all", "is not a picture"},
      {"a BMP header claiming 16000 x 16000", "huge.dab", BmpHeader(16000, 16000),
       "is too large: 16000 x 16000 pixels"},
      {"a PNG header one pixel too wide", "wide.dab", PngHeader(4097, 1),
       "is too large: 4097 x 1 pixels"},
      {"a PNG header one pixel too tall", "tall.dab", PngHeader(1, 4097),
       "is too large: 1 x 4097 pixels"},
      // As large as allowed: it gets as far as its missing pixels.
      {"a PNG header of 4096 x 4096 without pixels", "largest.dab", PngHeader(4096, 4096),
       "is not a picture"},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = (dir / c.name).string();
    if (c.bytes) rm_test::WriteFile(path, *c.bytes);
    try {
      d3drm.LoadTexture(path);
      ADD_FAILURE() << "loaded";
    } catch (const platform::Error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(d3drm.LoadTexture(dir.string()), platform::Error);
}

}  // namespace

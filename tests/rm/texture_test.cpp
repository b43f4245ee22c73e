#include <gtest/gtest.h>

#include <cstdint>
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

TEST_F(TextureLoad, MissingOrUnreadableFilesAreErrors) {
  EXPECT_THROW(d3drm.LoadTexture((dir / "sky.dab").string()), platform::Error);
  EXPECT_THROW(d3drm.LoadTexture(rm_test::WriteFile(dir / "empty.dab", "")), platform::Error);
  EXPECT_THROW(d3drm.LoadTexture(rm_test::WriteFile(dir / "text.dab", "not a picture at all")),
               platform::Error);
  EXPECT_THROW(d3drm.LoadTexture(dir.string()), platform::Error);
}

}  // namespace

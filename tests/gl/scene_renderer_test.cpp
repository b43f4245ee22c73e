// The OpenGL scene renderer, drawing into its 417 x 361 RGB565 buffer under a
// real (software) OpenGL context.
#include "platform/gl/scene_renderer.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>

#include "gl/gl_context.h"

namespace {

using gltest::Near;
using gltest::Rgb;

constexpr int kWidth = 417;
constexpr int kHeight = 361;
// The background, as it comes back from a 5-6-5 buffer.
const Rgb kSky{77, 115, 179};

class SceneRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string failure = gltest::MakeContextCurrent();
    ASSERT_EQ("", failure) << "an OpenGL 3.3 core context is needed (run under Xvfb)";
    renderer = std::make_unique<platform::gl::SceneRenderer>(kWidth, kHeight);
    scene = d3drm.CreateFrame(nullptr);
    camera = d3drm.CreateFrame(scene);
    viewport.SetBack(5000);
  }

  // A mesh in `frame` whose colour is exactly `emissive`: no face colour, so
  // the lights add nothing.
  rm::MeshBuilderPtr Glowing(const rm::FramePtr& frame, float r, float g, float b) {
    rm::MeshBuilderPtr mesh = d3drm.CreateMeshBuilder();
    mesh->SetColorRGB(0, 0, 0);
    rm::MaterialPtr material = d3drm.CreateMaterial(1);
    material->SetEmissive(r, g, b);
    mesh->SetMaterial(material);
    frame->AddVisual(mesh);
    return mesh;
  }

  // The camera of the match: at (0, 10, 120), looking toward -z.
  void GameCamera() {
    camera->local = gltest::Pose({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 10, 120});
  }

  std::vector<uint8_t> Render(const std::string& name) {
    renderer->Draw(*scene, *camera, viewport);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    std::vector<uint8_t> image = renderer->ReadPixels();
    EXPECT_EQ(size_t(kWidth) * kHeight * 4, image.size());
    gltest::SaveImage(image, kWidth, kHeight, name);
    return image;
  }

  static Rgb At(const std::vector<uint8_t>& image, int x, int y) {
    return gltest::PixelAt(image, kWidth, x, y);
  }

  rm::Direct3DRM3 d3drm;
  rm::FramePtr scene, camera;
  rm::Viewport viewport;
  std::unique_ptr<platform::gl::SceneRenderer> renderer;
};

const rm::Vector kRight{1, 0, 0}, kUp{0, 1, 0};

TEST_F(SceneRendererTest, BufferHasSixteenColourBitsAndAnEmptySceneIsSkyBlue) {
  EXPECT_EQ(16, renderer->ColorBits());
  EXPECT_EQ(kWidth, renderer->Width());
  EXPECT_EQ(kHeight, renderer->Height());
  std::vector<uint8_t> image = Render("empty");
  for (int y = 0; y < kHeight; y += 17)
    for (int x = 0; x < kWidth; x += 13)
      ASSERT_TRUE(Near(kSky, At(image, x, y), 6)) << x << "," << y;
}

// Camera at the origin looking along +z: +x is right, +y is up, and the field
// 0.5 is the half width of the view at distance 1 across the 417 pixels.
TEST_F(SceneRendererTest, PointsLandWhereTheFrustumPutsThem) {
  gltest::AddSquare(*Glowing(scene, 1, 0, 0), {0, 0, 10}, kRight, kUp, 0.1f);
  gltest::AddSquare(*Glowing(scene, 0, 1, 0), {2, 0, 10}, kRight, kUp, 0.1f);
  gltest::AddSquare(*Glowing(scene, 0, 0, 1), {0, 1.5f, 10}, kRight, kUp, 0.1f);
  std::vector<uint8_t> image = Render("frustum");

  const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
  EXPECT_TRUE(Near(red, At(image, 208, 180), 4));
  // x: 0.2 / 0.5 of the half width right of the centre.
  EXPECT_TRUE(Near(green, At(image, 291, 180), 4));
  // y: 0.15 / (0.5 * 361 / 417) of the half height above the centre, and the
  // first row returned is the top one.
  EXPECT_TRUE(Near(blue, At(image, 208, 118), 4));
  // The squares are about 8 pixels across: 10 pixels away is sky.
  for (auto [x, y] : {std::pair{208, 180}, std::pair{291, 180}, std::pair{208, 118}}) {
    EXPECT_TRUE(Near(kSky, At(image, x - 10, y), 6)) << x << "," << y;
    EXPECT_TRUE(Near(kSky, At(image, x + 10, y), 6)) << x << "," << y;
    EXPECT_TRUE(Near(kSky, At(image, x, y - 10), 6)) << x << "," << y;
    EXPECT_TRUE(Near(kSky, At(image, x, y + 10), 6)) << x << "," << y;
  }
}

// Looking toward -z (left-handed), world +x is on the left of the screen.
TEST_F(SceneRendererTest, GameCameraShowsPlusXOnTheLeft) {
  GameCamera();
  const rm::Vector towardCamera{-1, 0, 0};  // the camera's right in world space
  gltest::AddSquare(*Glowing(scene, 1, 0, 0), {20, 10, 0}, towardCamera, kUp, 2);
  gltest::AddSquare(*Glowing(scene, 0, 1, 0), {-20, 10, 0}, towardCamera, kUp, 2);
  std::vector<uint8_t> image = Render("game_camera");
  // 20 / 120 / 0.5 of the half width either side of the centre.
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 139, 180), 4));
  EXPECT_TRUE(Near({0, 255, 0}, At(image, 278, 180), 4));
}

TEST_F(SceneRendererTest, OnlyFacesWhoseNormalPointsAtTheCameraAreDrawn) {
  // Bottom left, top, bottom right: clockwise as a camera at the origin sees it.
  rm::MeshBuilderPtr front = Glowing(scene, 1, 0, 0);
  front->positions = {{-3, -1, 10}, {-2, 1, 10}, {-1, -1, 10}};
  front->faces = {{{0, 1, 2}}};
  // The same triangle at +x, wound the other way.
  rm::MeshBuilderPtr back = Glowing(scene, 0, 1, 0);
  back->positions = {{1, -1, 10}, {2, 1, 10}, {3, -1, 10}};
  back->faces = {{{0, 2, 1}}};
  const int left = 125, right = 291, row = 190;

  std::vector<uint8_t> image = Render("culling_front");
  EXPECT_TRUE(Near({255, 0, 0}, At(image, left, row), 4));
  EXPECT_TRUE(Near(kSky, At(image, right, row), 6));

  // Seen from behind (x now runs leftward), only the other one shows.
  camera->local = gltest::Pose({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 20});
  image = Render("culling_behind");
  EXPECT_TRUE(Near({0, 255, 0}, At(image, left, row), 4));
  EXPECT_TRUE(Near(kSky, At(image, right, row), 6));

  // Swapping the windings swaps them again.
  front->faces = {{{0, 2, 1}}};
  ++front->revision;
  back->faces = {{{0, 1, 2}}};
  ++back->revision;
  image = Render("culling_swapped");
  EXPECT_TRUE(Near({255, 0, 0}, At(image, right, row), 4));
  EXPECT_TRUE(Near(kSky, At(image, left, row), 6));
}

TEST_F(SceneRendererTest, EmissiveColourShowsWhateverTheLight) {
  GameCamera();
  // One square faces the camera (half lit), one faces down (in the shade).
  gltest::AddSquare(*Glowing(scene, 1, 0.5f, 0), {10, 10, 0}, {-1, 0, 0}, kUp, 3);
  gltest::AddSquare(*Glowing(scene, 1, 0.5f, 0), {-10, 20, 60}, {-1, 0, 0}, {0, 0, 1}, 10);
  std::vector<uint8_t> image = Render("emissive");
  EXPECT_TRUE(Near({255, 130, 0}, At(image, 174, 180), 5));  // facing the camera
  EXPECT_TRUE(Near({255, 130, 0}, At(image, 278, 111), 5));  // underside, seen from below
}

// Ambient 0.45 everywhere; the directional light of 0.6 shines down and away
// from the game camera: N.L is 0.894 for a floor and 0.358 for a face
// looking at the camera, and 0 for a ceiling.
TEST_F(SceneRendererTest, LightingComesFromAboveAndBehindTheGameCamera) {
  GameCamera();
  rm::MeshBuilderPtr wall = d3drm.CreateMeshBuilder();
  gltest::AddSquare(*wall, {10, 10, 0}, {-1, 0, 0}, kUp, 3);
  scene->AddVisual(wall);
  rm::MeshBuilderPtr red = d3drm.CreateMeshBuilder();
  red->SetColorRGB(1, 0, 0);
  gltest::AddSquare(*red, {-10, 10, 0}, {-1, 0, 0}, kUp, 3);
  scene->AddVisual(red);
  rm::MeshBuilderPtr floor = d3drm.CreateMeshBuilder();
  gltest::AddSquare(*floor, {0, 0, 60}, {-1, 0, 0}, {0, 0, -1}, 10);
  scene->AddVisual(floor);
  rm::MeshBuilderPtr ceiling = d3drm.CreateMeshBuilder();
  gltest::AddSquare(*ceiling, {0, 20, 60}, {-1, 0, 0}, {0, 0, 1}, 10);
  scene->AddVisual(ceiling);
  // The material's ambient reflectance scales the ambient light only.
  rm::MeshBuilderPtr tinted = d3drm.CreateMeshBuilder();
  rm::MaterialPtr material = d3drm.CreateMaterial(1);
  material->SetAmbient(1, 0, 0);
  tinted->SetMaterial(material);
  gltest::AddSquare(*tinted, {0, 10, 0}, {-1, 0, 0}, kUp, 3);
  scene->AddVisual(tinted);

  std::vector<uint8_t> image = Render("lighting");
  const int wallLevel = static_cast<int>(std::lround(255 * (0.45 + 0.6 * 0.4 / std::sqrt(1.25))));
  const int floorLevel = static_cast<int>(std::lround(255 * (0.45 + 0.6 / std::sqrt(1.25))));
  const int shadeLevel = static_cast<int>(std::lround(255 * 0.45));
  EXPECT_TRUE(Near({wallLevel, wallLevel, wallLevel}, At(image, 174, 180), 6));
  EXPECT_TRUE(Near({wallLevel, 0, 0}, At(image, 243, 180), 6));
  EXPECT_TRUE(Near({floorLevel, floorLevel, floorLevel}, At(image, 208, 250), 6));
  EXPECT_TRUE(Near({shadeLevel, shadeLevel, shadeLevel}, At(image, 208, 111), 6));
  const int diffuseOnly = wallLevel - shadeLevel;
  EXPECT_TRUE(Near({wallLevel, diffuseOnly, diffuseOnly}, At(image, 208, 180), 6));
}

TEST_F(SceneRendererTest, TextureShowsTopRowAtVZeroRepeatsAndFollowsRevisions) {
  rm::MeshBuilderPtr mesh = Glowing(scene, 1, 1, 1);
  gltest::AddSquare(*mesh, {0, 0, 10}, kRight, kUp, 2);
  auto texture = std::make_shared<rm::Texture>();
  texture->width = 2;
  texture->height = 2;
  texture->rgba = {255, 0, 0,   255, 0,   255, 0,   255,   // top: red, green
                   0,   0, 255, 255, 255, 255, 255, 255};  // bottom: blue, white
  mesh->SetTexture(texture);

  // The square spans about 83 pixels either side of the centre.
  std::vector<uint8_t> image = Render("texture");
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 167, 139), 6));
  EXPECT_TRUE(Near({0, 255, 0}, At(image, 249, 139), 6));
  EXPECT_TRUE(Near({0, 0, 255}, At(image, 167, 221), 6));
  EXPECT_TRUE(Near({255, 255, 255}, At(image, 249, 221), 6));

  // Coordinates 0..2 repeat the picture twice each way; the new coordinates
  // count because the revision moved on.
  for (auto& uv : mesh->uvs) uv = {uv[0] * 2, uv[1] * 2};
  ++mesh->revision;
  image = Render("texture_repeat");
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 146, 118), 6));
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 229, 118), 6));  // red again: repeated
  EXPECT_TRUE(Near({0, 255, 0}, At(image, 270, 118), 6));

  texture->rgba = {255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255};
  ++texture->revision;
  image = Render("texture_new_pixels");
  EXPECT_TRUE(Near({255, 255, 0}, At(image, 146, 118), 6));
  EXPECT_TRUE(Near({255, 255, 0}, At(image, 249, 221), 6));
}

// A texture read from a file is drawn from the GPU's copy: its pixels are let
// go once uploaded, and a new renderer reads them from the file again.
TEST_F(SceneRendererTest, TextureFromAFileIsReadAgainForANewRenderer) {
  // A 1 x 1, 24-bit BMP: orange.
  std::string bmp = "BM";
  auto put = [&bmp](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  put(14 + 40 + 4, 4), put(0, 4), put(14 + 40, 4);
  put(40, 4), put(1, 4), put(1, 4), put(1, 2), put(24, 2), put(0, 4), put(4, 4);
  put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
  put(0x00FF8000, 4);  // blue 0, green 128, red 255, padding
  const std::string path = ::testing::TempDir() + "/kwinta_texture_again.dab";
  { std::ofstream(path, std::ios::binary) << bmp; }
  rm::TexturePtr texture = d3drm.LoadTexture(path);

  rm::MeshBuilderPtr mesh = Glowing(scene, 1, 1, 1);
  gltest::AddSquare(*mesh, {0, 0, 10}, kRight, kUp, 2);
  mesh->SetTexture(texture);
  std::vector<uint8_t> image = Render("texture_from_file");
  EXPECT_TRUE(Near({255, 128, 0}, At(image, 208, 180), 6));
  EXPECT_TRUE(texture->rgba.empty());

  renderer = std::make_unique<platform::gl::SceneRenderer>(kWidth, kHeight);
  image = Render("texture_from_file_again");
  EXPECT_TRUE(Near({255, 128, 0}, At(image, 208, 180), 6));
  std::remove(path.c_str());
}

// A ball-like material: fully emissive, specular 0.2 with a tiny power.
TEST_F(SceneRendererTest, SmallSpecularPowerDoesNotWashTheColourOut) {
  GameCamera();
  rm::MeshBuilderPtr mesh = d3drm.CreateMeshBuilder();
  gltest::AddSquare(*mesh, {0, 10, 100}, {-1, 0, 0}, kUp, 2);
  rm::MaterialPtr material = d3drm.CreateMaterial(2);
  material->SetAmbient(1, 1, 1);
  material->SetEmissive(1, 1, 1);
  material->SetPower(0.05f);
  material->SetSpecular(0.2f, 0.2f, 0.2f);
  mesh->SetMaterial(material);
  auto grey = std::make_shared<rm::Texture>();
  grey->width = grey->height = 1;
  grey->rgba = {128, 128, 128, 255};
  mesh->SetTexture(grey);
  scene->AddVisual(mesh);
  std::vector<uint8_t> image = Render("specular");
  Rgb centre = At(image, 208, 180);
  EXPECT_GE(centre.g, 120);
  EXPECT_LE(centre.g, 145);
}

// World = local * parent's world, all the way up; nearer faces hide farther
// ones whatever the drawing order.
TEST_F(SceneRendererTest, ChildFramesAndDepth) {
  // Turned a quarter about +y: local +z points along world +x.
  rm::FramePtr parent = d3drm.CreateFrame(scene);
  parent->local = gltest::Pose({0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 10});
  rm::FramePtr child = d3drm.CreateFrame(parent);
  child->local = gltest::Pose({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -2});
  // In the child's axes world right is +z: the square sits at world (-2, 0, 10).
  gltest::AddSquare(*Glowing(child, 0, 1, 0), {0, 0, 0}, {0, 0, 1}, kUp, 0.3f);
  // A big blue square behind it, drawn after the near red one.
  gltest::AddSquare(*Glowing(scene, 1, 0, 0), {0, 0, 5}, kRight, kUp, 0.3f);
  rm::FramePtr far = d3drm.CreateFrame(scene);
  far->local = gltest::Pose({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 20});
  gltest::AddSquare(*Glowing(far, 0, 0, 1), {0, 0, 0}, kRight, kUp, 8);

  std::vector<uint8_t> image = Render("hierarchy");
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 208, 180), 4));
  EXPECT_TRUE(Near({0, 0, 255}, At(image, 208, 140), 4));
  EXPECT_TRUE(Near({0, 255, 0}, At(image, 125, 180), 4));
}

TEST_F(SceneRendererTest, ColourTextureHoldsTheImageAndStateIsPutBack) {
  gltest::AddSquare(*Glowing(scene, 1, 0, 0), {0, 0, 10}, kRight, kUp, 1);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(3, 4, 50, 40);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glUseProgram(0);
  std::vector<uint8_t> image = Render("state");

  GLint framebuffer = -1, viewportBox[4] = {};
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
  glGetIntegerv(GL_VIEWPORT, viewportBox);
  EXPECT_EQ(0, framebuffer);
  EXPECT_EQ(3, viewportBox[0]);
  EXPECT_EQ(4, viewportBox[1]);
  EXPECT_EQ(50, viewportBox[2]);
  EXPECT_EQ(40, viewportBox[3]);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

  // The texture a window shows is the buffer drawn into, bottom row first.
  std::vector<uint8_t> texels(size_t(kWidth) * kHeight * 4);
  glBindTexture(GL_TEXTURE_2D, renderer->ColorTexture());
  GLint format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  EXPECT_EQ(GL_RGB565, format);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  for (int y = 0; y < kHeight; y += 7)
    for (int x = 0; x < kWidth; x += 11) {
      Rgb fromTexture = gltest::PixelAt(texels, kWidth, x, kHeight - 1 - y);
      ASSERT_TRUE(Near(At(image, x, y), fromTexture, 2)) << x << "," << y;
    }
  EXPECT_TRUE(Near({255, 0, 0}, At(image, 208, 180), 4));
}

}  // namespace

// A frame that would look like the last one is not drawn again; any change
// that shows is, and so is a change behind something else once it moves.
TEST_F(SceneRendererTest, DrawsAgainOnlyWhenThePictureWouldChange) {
  // A blue square, drawn first, then covered by a red one in front of it.
  rm::FramePtr behindFrame = d3drm.CreateFrame(scene);
  rm::MeshBuilderPtr behind = Glowing(behindFrame, 0, 0, 1);
  gltest::AddSquare(*behind, {0, 0, 12}, kRight, kUp, 0.5f);
  rm::MeshBuilderPtr front = Glowing(d3drm.CreateFrame(scene), 1, 0, 0);
  gltest::AddSquare(*front, {0, 0, 10}, kRight, kUp, 1);

  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  unsigned pictures = renderer->Pictures();
  EXPECT_FALSE(renderer->Draw(*scene, *camera, viewport)) << "nothing changed";
  EXPECT_EQ(pictures, renderer->Pictures());

  // The hidden square's texture coordinates drift, as the sky's do: the first
  // change is drawn, and from then on the renderer knows it doesn't show.
  behind->uvs.assign(behind->positions.size(), {0.5f, 0.5f});
  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  behind->uvs.assign(behind->positions.size(), {0.25f, 0.25f});
  EXPECT_FALSE(renderer->Draw(*scene, *camera, viewport)) << "the change lies hidden";

  // Moved out from behind, it shows.
  behindFrame->local = gltest::Pose({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {3, 0, 0});
  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  std::vector<uint8_t> image = renderer->ReadPixels();
  EXPECT_TRUE(Near({0, 0, 255}, At(image, 312, 180), 4));

  // A colour that shows, a camera move, Forget: each draws.
  front->material->SetEmissive(0, 1, 0);
  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  EXPECT_TRUE(Near({0, 255, 0}, At(renderer->ReadPixels(), 208, 180), 4));
  camera->local = gltest::Pose({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5f, 0, 0});
  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  renderer->Forget();
  EXPECT_TRUE(renderer->Draw(*scene, *camera, viewport));
  EXPECT_GT(renderer->Pictures(), pictures);
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

namespace {

using rm::MeshBuilder;
using rm_test::Near;

std::vector<std::array<int, 3>> Triangles(const MeshBuilder& mesh) {
  std::vector<std::array<int, 3>> out;
  for (const MeshBuilder::Face& f : mesh.faces) out.push_back(f.v);
  return out;
}

class MeshLoad : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    return rm_test::WriteFile(dir / name, text);
  }

  std::filesystem::path dir = rm_test::ScratchDir();
  MeshBuilder mesh;
};

TEST_F(MeshLoad, PolygonsAreFannedFromTheirFirstCorner) {
  mesh.LoadFromFile(Write("pentagon.dax",
                          "# a pentagon and a quad\n"
                          "v 0 0 0\nv 1 0 0\nv 2 1 0\nv 1 2 0\nv 0 1 0\n"
                          "f 1 2 3 4 5\n"
                          "f 5 4 2 1\n"));
  ASSERT_EQ(mesh.positions.size(), 5u);
  EXPECT_TRUE(Near(mesh.positions[2], {2, 1, 0}));
  EXPECT_EQ(Triangles(mesh), (std::vector<std::array<int, 3>>{
                                 {0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {4, 3, 1}, {4, 1, 0}}));
  EXPECT_EQ(mesh.uvs, (std::vector<std::array<float, 2>>(5, {0.0f, 0.0f})));
  EXPECT_EQ(mesh.revision, 1u);
}

TEST_F(MeshLoad, NegativeIndicesCountBackFromTheLastVertexRead) {
  mesh.LoadFromFile(Write("relative.dax",
                          "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                          "f -3 -2 -1\n"
                          "v 0 0 1\nv 1 0 1\n"
                          "f -1 -2 -4\n"
                          "f 4 -1 1\n"));
  EXPECT_EQ(Triangles(mesh), (std::vector<std::array<int, 3>>{{0, 1, 2}, {4, 3, 1}, {3, 4, 0}}));
}

TEST_F(MeshLoad, TextureCoordinatesFollowTheirCorners) {
  mesh.LoadFromFile(Write("quad.dax",
                          "v -1 0 -1\r\nv -1 0 1\r\nv 1 0 1\r\nv 1 0 -1\r\n"
                          "vt 0 0\r\nvt 0 1\r\nvt 1 1\r\nvt 1 0\r\nvt 0.5 0.25\r\n"
                          "vn 0 1 0\r\n"
                          "o quad\r\ng top\r\nusemtl grass\r\ns off\r\n\r\n"
                          "f 1/1/1 2/2/1 3/3/1\r\n"
                          "f 1/-5 3/-3 4/-2\r\n"
                          // Vertex 3 again, now with another coordinate: it is split.
                          "f 3/5 2//1 1\r\n"));
  ASSERT_EQ(mesh.positions.size(), 5u);
  EXPECT_TRUE(Near(mesh.positions[4], {1, 0, 1}));
  EXPECT_EQ(mesh.uvs,
            (std::vector<std::array<float, 2>>{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0.5f, 0.25f}}));
  EXPECT_EQ(Triangles(mesh), (std::vector<std::array<int, 3>>{{0, 1, 2}, {0, 2, 3}, {4, 1, 0}}));
}

TEST_F(MeshLoad, LoadingReplacesThePreviousMeshAndAcceptsBackslashes) {
  mesh.LoadFromFile(Write("first.dax", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3 4\n"));
  std::filesystem::create_directories(dir / "sub");
  const std::string second = Write("sub/second.dax", "v 5 5 5\nv 6 5 5\nv 5 6 5\nf 1 2 3\n");
  std::string windows = second;
  for (char& c : windows)
    if (c == '/') c = '\\';
  const size_t cut = windows.rfind('\\');
  windows.insert(cut, "\\");  // a doubled separator

  mesh.LoadFromFile(windows);
  ASSERT_EQ(mesh.positions.size(), 3u);
  EXPECT_TRUE(Near(mesh.positions[0], {5, 5, 5}));
  EXPECT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.uvs.size(), 3u);
  EXPECT_EQ(mesh.revision, 2u);
}

TEST_F(MeshLoad, BadFilesAreErrorsAndLeaveTheMeshAlone) {
  mesh.LoadFromFile(Write("good.dax", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
  struct Case {
    const char* what;
    const char* text;  // nullptr: no file at all
  };
  const Case cases[] = {
      {"missing file", nullptr},
      {"empty file", ""},
      {"only comments", "# nothing here\n\n"},
      {"vertices without faces", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"},
      {"index past the end", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n"},
      {"index zero", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n"},
      {"negative index before the start", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 -2 -1\n"},
      {"bad number", "v 0 0 0\nv 1 x 0\nv 0 1 0\nf 1 2 3\n"},
      {"short vertex", "v 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"},
      {"two-corner face", "v 0 0 0\nv 1 0 0\nf 1 2\n"},
      {"texture index past the end", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/2 3/1\n"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "bad" + std::to_string(n++) + ".dax";
    const std::string path = c.text ? Write(name, c.text) : (dir / name).string();
    EXPECT_THROW(mesh.LoadFromFile(path), platform::Error) << c.what;
  }
  EXPECT_THROW(mesh.LoadFromFile(dir.string()), platform::Error) << "a folder";
  EXPECT_EQ(mesh.positions.size(), 3u);
  EXPECT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.revision, 1u);
}

TEST(MeshBuilder, ScaleAndTranslateChangeTheVerticesInOrder) {
  MeshBuilder mesh;
  mesh.positions = {{1, 2, 3}, {-4, 0, 10}};
  mesh.ScaleMesh(0.5f, 2, -1);
  mesh.Translate(0, 0.05f, -79.2f);
  EXPECT_TRUE(Near(mesh.positions[0], {0.5f, 4.05f, -82.2f}));
  EXPECT_TRUE(Near(mesh.positions[1], {-2, 0.05f, -89.2f}));
  EXPECT_EQ(mesh.revision, 2u);
}

TEST(MeshBuilder, AppearanceIsSetForTheWholeMesh) {
  rm::Direct3DRM3 d3drm;
  MeshBuilder mesh;
  mesh.SetColorRGB(1, 1, 0);
  auto material = d3drm.CreateMaterial(5);
  material->SetEmissive(1, 1, 0);
  mesh.SetMaterial(material);
  auto texture = std::make_shared<rm::Texture>();
  mesh.SetTexture(texture);
  EXPECT_EQ(mesh.color.r, 1);
  EXPECT_EQ(mesh.color.g, 1);
  EXPECT_EQ(mesh.color.b, 0);
  EXPECT_EQ(mesh.material, material);
  EXPECT_EQ(mesh.material->power, 5);
  EXPECT_EQ(mesh.texture, texture);
  mesh.SetTexture(nullptr);
  EXPECT_EQ(mesh.texture, nullptr);
}

TEST(NativePath, UsesForwardSlashesOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"data\\table.dax", "data/table.dax"},
      {"C:\\game\\\\fb.dax", "C:/game/fb.dax"},
      {"/opt/kwinta//bin\\/grass.dab", "/opt/kwinta/bin/grass.dab"},
      {"plain.dax", "plain.dax"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(rm::NativePath(in), out) << in;
}

}  // namespace

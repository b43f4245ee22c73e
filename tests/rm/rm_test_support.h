// Helpers shared by the rm tests: vector comparison, scratch files and a few
// meshes built in code.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/rm/rm.h"

namespace rm_test {

inline constexpr float kPi = 3.14159265358979f;

inline ::testing::AssertionResult Near(const rm::Vector& actual, const rm::Vector& expected,
                                       float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) <= tolerance &&
      std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not (" << expected.x
         << ", " << expected.y << ", " << expected.z << ") within " << tolerance;
}

inline rm::Vector Position(const rm::FramePtr& frame, const rm::FramePtr& ref) {
  rm::Vector p;
  frame->GetPosition(ref, p);
  return p;
}

inline rm::Vector Direction(const rm::FramePtr& frame, const rm::FramePtr& ref) {
  rm::Vector d, u;
  frame->GetOrientation(ref, d, u);
  return d;
}

inline rm::Vector Up(const rm::FramePtr& frame, const rm::FramePtr& ref) {
  rm::Vector d, u;
  frame->GetOrientation(ref, d, u);
  return u;
}

// The frame's own x axis in world space.
inline rm::Vector WorldXAxis(const rm::FramePtr& frame) {
  return rm::TransformVector({1, 0, 0}, frame->World());
}

// A fresh folder for one test's files.
inline std::filesystem::path ScratchDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kwinta_rm" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return path.string();
}

// A closed box with every face turned outward.
inline rm::MeshBuilderPtr Box(rm::Vector lo, rm::Vector hi, const std::string& name) {
  auto mesh = std::make_shared<rm::MeshBuilder>();
  for (int i = 0; i < 8; ++i)
    mesh->positions.push_back({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
  // Corners of each side, wound so that (v1 - v0) x (v2 - v0) points out.
  const int sides[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
  for (const auto& s : sides) {
    mesh->faces.push_back({{s[0], s[1], s[2]}});
    mesh->faces.push_back({{s[0], s[2], s[3]}});
  }
  mesh->uvs.assign(mesh->positions.size(), {0.0f, 0.0f});
  mesh->SetName(name);
  return mesh;
}

// A flat regular polygon at height y facing +y (seen from above), fanned from
// its first corner.
inline rm::MeshBuilderPtr Disc(float radius, float y, int corners, const std::string& name) {
  auto mesh = std::make_shared<rm::MeshBuilder>();
  for (int i = 0; i < corners; ++i) {
    const float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(corners);
    // Going from +z toward +x winds clockwise seen from above in these
    // coordinates, which makes the normal point up.
    mesh->positions.push_back({radius * std::sin(a), y, radius * std::cos(a)});
  }
  for (int i = 1; i + 1 < corners; ++i) mesh->faces.push_back({{0, i, i + 1}});
  mesh->uvs.assign(mesh->positions.size(), {0.0f, 0.0f});
  mesh->SetName(name);
  return mesh;
}

// A square of half-size h in the plane y = 0, facing +y, split along the
// diagonal from (-h, 0, -h) to (h, 0, h).
inline rm::MeshBuilderPtr Square(float h, const std::string& name) {
  auto mesh = std::make_shared<rm::MeshBuilder>();
  mesh->positions = {{-h, 0, -h}, {-h, 0, h}, {h, 0, h}, {h, 0, -h}};
  mesh->faces = {{{0, 1, 2}}, {{0, 2, 3}}};
  mesh->uvs.assign(4, {0.0f, 0.0f});
  mesh->SetName(name);
  return mesh;
}

}  // namespace rm_test

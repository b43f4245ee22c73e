// A hidden SDL window with an OpenGL 3.3 core context, shared by the tests of
// the OpenGL renderer, and small helpers for building scenes and reading images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rm/rm.h"

namespace gltest {

// Makes the shared context current; returns an empty string or what failed.
std::string MakeContextCurrent();

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// One pixel of a top-row-first RGBA8 image.
Rgb PixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y);
bool Near(Rgb a, Rgb b, int tolerance);

// Writes the image as a PNG into $KWINTA_GL_TEST_IMAGES when that is set, so
// a person can look at what the renderer drew.
void SaveImage(const std::vector<uint8_t>& rgba, int width, int height, const std::string& name);

// Adds to `mesh` a square of half-size `half` centred at `centre`, facing a
// viewer for whom `right` points right and `up` points up: its faces wind
// clockwise as that viewer sees them. Texture coordinates put (0, 0) at the
// top left corner and (1, 1) at the bottom right.
void AddSquare(rm::MeshBuilder& mesh, rm::Vector centre, rm::Vector right, rm::Vector up,
               float half);

// A frame matrix with the given axes (rows) and origin.
rm::Matrix Pose(rm::Vector x, rm::Vector y, rm::Vector z, rm::Vector origin);

}  // namespace gltest

// Mesh builders: loading a mesh file, scaling and moving its vertices, and
// the mesh-wide colour, texture and material.
//
// Mesh files (".dax") are a subset of Wavefront OBJ text:
//   v x y z          a vertex (anything after z is ignored)
//   vt u [v]         a texture coordinate, used as it stands
//   f a b c ...      a polygon; each corner is a, a/t, a/t/n or a//n with
//                    1-based indices, or negative ones counting back from the
//                    last vertex (or coordinate) read so far
// Polygons are fan-triangulated from their first corner, keeping the file's
// winding. Comments (#), normals and every other line are ignored.
// A vertex used with two different texture coordinates is split in two, so
// that every position has exactly one (u, v); a vertex without one gets (0, 0).

#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

#include "platform/error.h"
#include "platform/rm/rm.h"

namespace rm {

namespace {

[[noreturn]] void Fail(const std::string& path, int line, const std::string& what) {
  throw platform::Error("mesh file " + path + ", line " + std::to_string(line) + ": " + what);
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
    if (j > i) out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

bool ParseFloat(std::string_view text, float& out) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ParseInt(std::string_view text, long& out) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

// One corner of a face: the position index and the coordinate index (or -1),
// both 0-based. Positive file indices are checked once the file is read, so
// they may refer to vertices further down.
struct Corner {
  long v;
  long t;
};

class ObjReader {
 public:
  explicit ObjReader(std::string path) : path_(std::move(path)) {}

  void Line(std::string_view line, int number) {
    const std::vector<std::string_view> tok = Tokens(line);
    if (tok.empty() || tok[0][0] == '#') return;
    if (tok[0] == "v") {
      if (tok.size() < 4) Fail(path_, number, "a vertex needs x, y and z");
      Vector p;
      if (!ParseFloat(tok[1], p.x) || !ParseFloat(tok[2], p.y) || !ParseFloat(tok[3], p.z))
        Fail(path_, number, "bad number in a vertex");
      positions_.push_back(p);
    } else if (tok[0] == "vt") {
      if (tok.size() < 2) Fail(path_, number, "a texture coordinate needs u");
      std::array<float, 2> uv{0.0f, 0.0f};
      if (!ParseFloat(tok[1], uv[0]) || (tok.size() > 2 && !ParseFloat(tok[2], uv[1])))
        Fail(path_, number, "bad number in a texture coordinate");
      coords_.push_back(uv);
    } else if (tok[0] == "f") {
      if (tok.size() < 4) Fail(path_, number, "a face needs at least three corners");
      std::vector<Corner> polygon;
      for (size_t i = 1; i < tok.size(); ++i) polygon.push_back(ParseCorner(tok[i], number));
      for (size_t i = 1; i + 1 < polygon.size(); ++i) {
        triangles_.push_back({polygon[0], polygon[i], polygon[i + 1]});
        lines_.push_back(number);
      }
    }
  }

  void Finish(MeshBuilder& mesh) {
    if (triangles_.empty()) throw platform::Error("mesh file " + path_ + " has no faces");
    const long count = static_cast<long>(positions_.size());
    const long coordCount = static_cast<long>(coords_.size());
    std::vector<Vector> positions = positions_;
    std::vector<std::array<float, 2>> uvs(positions.size(), {0.0f, 0.0f});
    std::vector<long> coordOf(positions.size(), -1);
    std::map<std::pair<long, long>, int> split;
    std::vector<MeshBuilder::Face> faces;
    faces.reserve(triangles_.size());
    for (size_t f = 0; f < triangles_.size(); ++f) {
      MeshBuilder::Face face;
      for (int k = 0; k < 3; ++k) {
        const Corner& c = triangles_[f][k];
        if (c.v < 0 || c.v >= count) Fail(path_, lines_[f], "vertex index out of range");
        if (c.t >= coordCount) Fail(path_, lines_[f], "texture coordinate index out of range");
        int index = static_cast<int>(c.v);
        if (c.t >= 0) {
          if (coordOf[c.v] < 0) {
            coordOf[c.v] = c.t;
            uvs[c.v] = coords_[c.t];
          } else if (coordOf[c.v] != c.t && uvs[c.v] != coords_[c.t]) {
            auto [it, added] = split.try_emplace({c.v, c.t}, static_cast<int>(positions.size()));
            if (added) {
              positions.push_back(positions[c.v]);
              uvs.push_back(coords_[c.t]);
            }
            index = it->second;
          }
        }
        face.v[k] = index;
      }
      faces.push_back(face);
    }
    mesh.positions = std::move(positions);
    mesh.uvs = std::move(uvs);
    mesh.faces = std::move(faces);
  }

 private:
  Corner ParseCorner(std::string_view text, int number) {
    std::string_view parts[3];
    int n = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size() && n < 3; ++i) {
      if (i == text.size() || text[i] == '/') {
        parts[n++] = text.substr(start, i - start);
        start = i + 1;
      }
    }
    Corner c{-1, -1};
    long raw = 0;
    if (!ParseInt(parts[0], raw) || raw == 0) Fail(path_, number, "bad vertex index");
    c.v = Resolve(raw, positions_.size());
    if (n > 1 && !parts[1].empty()) {
      if (!ParseInt(parts[1], raw) || raw == 0) Fail(path_, number, "bad texture index");
      c.t = Resolve(raw, coords_.size());
      if (c.t < 0) Fail(path_, number, "texture coordinate index out of range");
    }
    if (c.v < 0) Fail(path_, number, "vertex index out of range");
    return c;
  }

  static long Resolve(long raw, size_t soFar) {
    return raw > 0 ? raw - 1 : static_cast<long>(soFar) + raw;
  }

  std::string path_;
  std::vector<Vector> positions_;
  std::vector<std::array<float, 2>> coords_;
  std::vector<std::array<Corner, 3>> triangles_;
  std::vector<int> lines_;  // the file line of each triangle, for messages
};

}  // namespace

// The previous contents stay as they were when the file cannot be loaded.
void MeshBuilder::LoadFromFile(const std::string& path, int16_t /*id*/, int /*options*/,
                               void* /*textureCallback*/, void* /*userArg*/) {
  const std::string native = NativePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(native, ec))
    throw platform::Error("mesh file not found: " + native);
  std::ifstream in(native, std::ios::binary);
  if (!in) throw platform::Error("cannot open mesh file: " + native);
  ObjReader reader(native);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    reader.Line(line, number);
  }
  if (in.bad()) throw platform::Error("cannot read mesh file: " + native);
  reader.Finish(*this);
  ++revision;
}

void MeshBuilder::ScaleMesh(float sx, float sy, float sz) {
  for (Vector& p : positions) {
    p.x *= sx;
    p.y *= sy;
    p.z *= sz;
  }
  ++revision;
}

void MeshBuilder::Translate(float tx, float ty, float tz) {
  for (Vector& p : positions) {
    p.x += tx;
    p.y += ty;
    p.z += tz;
  }
  ++revision;
}

void MeshBuilder::SetColorRGB(float r, float g, float b) {
  color = {r, g, b};
}

void MeshBuilder::SetTexture(TexturePtr t) {
  texture = std::move(t);
}

void MeshBuilder::SetMaterial(MaterialPtr m) {
  material = std::move(m);
}

}  // namespace rm

// Retained-mode 3D scene graph: frames in a hierarchy, mesh builders,
// textures, materials, flat texture wraps, a viewport and ray picking.
//
// Conventions (left-handed, row vectors: p' = p * M, translation in row 4):
//  - a frame's world matrix is Local * Parent.World;
//  - rotation about a unit axis by theta follows the classic retained-mode
//    formula, so +theta about +y takes +z toward +x;
//  - the camera looks along its frame's +z with +y up;
//  - faces wind clockwise as seen from their front; the face normal is
//    (v1 - v0) x (v2 - v0).
// All numbers are single precision on purpose: two machines must compute the
// same flights step by step.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rm {

struct Vector {
  float x = 0, y = 0, z = 0;
};

// Direction first, then position, as the ground tests fill it.
struct Ray {
  Vector dvDir;
  Vector dvPos;
};

// 4x4 affine matrix in row-vector convention; m[3] holds the translation.
struct Matrix {
  std::array<std::array<float, 4>, 4> m{};
  static Matrix Identity();
};

Matrix operator*(const Matrix& a, const Matrix& b);
Vector TransformPoint(const Vector& p, const Matrix& m);   // (p, 1) * M
Vector TransformVector(const Vector& v, const Matrix& m);  // (v, 0) * M
Matrix Inverse(const Matrix& m);                           // affine inverse
Matrix RotationMatrix(Vector axis, float theta);           // zero axis -> (1,0,0)

enum CombineType { kCombineReplace = 0, kCombineBefore = 1, kCombineAfter = 2 };
enum Constraint { kConstrainZ = 0, kConstrainY = 1, kConstrainX = 2 };
enum LoadOptions { kLoadFromFile = 0 };
enum PickFlags { kRayPickIgnoreFurtherPrimitives = 2 };
enum WrapType { kWrapFlat = 0 };

class Frame;
class MeshBuilder;
class Texture;
class Material;
class Wrap;
using FramePtr = std::shared_ptr<Frame>;
using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;
using TexturePtr = std::shared_ptr<Texture>;
using MaterialPtr = std::shared_ptr<Material>;
using WrapPtr = std::shared_ptr<Wrap>;

struct Color {
  float r = 1, g = 1, b = 1;
};

class Texture {
 public:
  int width = 0, height = 0;
  // width * height * 4, top row first. A texture read from a file lets them
  // go once a renderer holds them on the GPU, and reads them again when
  // another renderer asks.
  std::vector<uint8_t> rgba;
  unsigned revision = 0;  // lets a renderer notice new pixels
  std::string file;       // the file they came from; empty for pixels set by hand

  // The pixels, read again from `file` when they were let go (empty when
  // it can't be read any more).
  const std::vector<uint8_t>& Pixels();
  // Lets the pixels go when `file` can give them again.
  void ReleasePixels();
};

class Material {
 public:
  explicit Material(float power) : power(power) {}
  void SetPower(float p) { power = p; }
  void SetSpecular(float r, float g, float b) { specular = {r, g, b}; }
  void SetEmissive(float r, float g, float b) { emissive = {r, g, b}; }
  void SetAmbient(float r, float g, float b) { ambient = {r, g, b}; }

  float power;
  Color specular{0, 0, 0};
  Color emissive{0, 0, 0};
  Color ambient{1, 1, 1};  // ambient reflectance factor
};

// A mesh builder holds its own vertices: ScaleMesh and Translate change them.
class MeshBuilder {
 public:
  struct Face {
    std::array<int, 3> v;  // indices into positions (and uvs)
  };

  void LoadFromFile(const std::string& path, int16_t id = 0, int options = kLoadFromFile,
                    void* textureCallback = nullptr, void* userArg = nullptr);
  void ScaleMesh(float sx, float sy, float sz);
  void Translate(float tx, float ty, float tz);
  void SetColorRGB(float r, float g, float b);
  void SetTexture(TexturePtr texture);
  void SetMaterial(MaterialPtr material);
  void SetName(const std::string& name) { name_ = name; }
  const std::string& GetName() const { return name_; }

  std::vector<Vector> positions;
  std::vector<std::array<float, 2>> uvs;  // one per position
  std::vector<Face> faces;                // triangles
  Color color;                            // every face's colour
  TexturePtr texture;
  MaterialPtr material;
  unsigned revision = 0;  // bumped whenever vertices, uvs or faces change

 private:
  std::string name_;
};

// The picked visual's name is what the game reads back.
class PickArray {
 public:
  struct Hit {
    MeshBuilderPtr visual;
    FramePtr frame;
    float distance;
    Vector position;  // in world space
  };
  int GetSize() const { return static_cast<int>(hits.size()); }
  // Raises platform::Error when index is outside the array.
  MeshBuilderPtr GetPickVisual(int index) const;

  std::vector<Hit> hits;  // nearest first
};

// A null reference frame stands for the frame's parent (the world for a root
// frame).
class Frame : public std::enable_shared_from_this<Frame> {
 public:
  ~Frame();  // children still held elsewhere become root frames
  void AddVisual(const MeshBuilderPtr& visual);
  void DeleteVisual(const MeshBuilderPtr& visual);
  void SetPosition(const FramePtr& ref, float x, float y, float z);
  void GetPosition(const FramePtr& ref, Vector& out) const;
  void SetOrientation(const FramePtr& ref, float dx, float dy, float dz, float ux, float uy,
                      float uz);
  void GetOrientation(const FramePtr& ref, Vector& dir, Vector& up) const;
  void AddRotation(int combine, float x, float y, float z, float theta);
  void SetRotation(const FramePtr& ref, float x, float y, float z, float theta);
  void LookAt(const FramePtr& target, const FramePtr& ref, int constraint);
  // Picks the visuals of this frame and its children with a ray given in
  // ref's space. Throws platform::Error when the pick itself fails.
  PickArray RayPick(const FramePtr& ref, const Ray& ray, int flags) const;

  // One scene step: every frame below this one turns by its continuing
  // rotation about its own origin.
  void Move(float delta = 1.0f);

  Matrix World() const;
  Frame* Parent() const { return parent_; }
  const std::vector<FramePtr>& Children() const { return children_; }
  const std::vector<MeshBuilderPtr>& Visuals() const { return visuals_; }

  Matrix local = Matrix::Identity();
  Vector rotationAxis;  // continuing rotation, in the parent's space
  float rotationTheta = 0;

 private:
  friend class Direct3DRM3;
  Frame* parent_ = nullptr;
  std::vector<FramePtr> children_;
  std::vector<MeshBuilderPtr> visuals_;
};

class Wrap {
 public:
  // Sets the mesh's texture coordinates once, from its vertices as they are now.
  void Apply(const MeshBuilderPtr& mesh) const;

  int type = kWrapFlat;
  FramePtr ref;  // kept but not used by a flat wrap
  Vector origin, direction, up;
  float ou = 0, ov = 0, su = 1, sv = 1;
};

class Viewport {
 public:
  void SetBack(float value) { back = value; }
  float GetBack() const { return back; }
  void SetFront(float value) { front = value; }
  float GetFront() const { return front; }
  void SetField(float value) { field = value; }
  float GetField() const { return field; }

  float front = 1.0f;
  float back = 100.0f;
  float field = 0.5f;
};

// The factory of frames, meshes, textures, materials and wraps.
class Direct3DRM3 {
 public:
  FramePtr CreateFrame(const FramePtr& parent);
  MeshBuilderPtr CreateMeshBuilder();
  TexturePtr LoadTexture(const std::string& path);
  MaterialPtr CreateMaterial(float power);
  WrapPtr CreateWrap(int type, const FramePtr& ref, float ox, float oy, float oz, float dx,
                     float dy, float dz, float ux, float uy, float uz, float ou, float ov, float su,
                     float sv);
};

// Paths may use the old backslash separator; both are accepted.
std::string NativePath(const std::string& path);

}  // namespace rm

// OpenGL drawing of a retained-mode scene into a 16-bit off-screen buffer.
//
// Matrices stay in the scene's row-vector convention (p' = p * M) on the CPU.
// The row-major array of a row-vector matrix M is exactly the column-major
// array of M transposed, so uploading it untransposed gives GLSL the column
// matrix that maps column vectors the same way: gl_Position = M * p.
#include "platform/gl/scene_renderer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/error.h"
#include "platform/gl/scene_memory.h"
#include "platform/gl/shader_program.h"

namespace platform::gl {
namespace {

using Mat4 = std::array<std::array<float, 4>, 4>;

// The renderer's own lights: the scene carries none.
constexpr float kAmbientLight[3] = {0.45f, 0.45f, 0.45f};
constexpr float kLightColor[3] = {0.6f, 0.6f, 0.6f};
constexpr float kLightDirection[3] = {-0.3f, -1.0f, -0.4f};  // from the light
constexpr float kSkyBlue[3] = {0.30f, 0.45f, 0.70f};
// Specular exponents below this would light the whole face.
constexpr float kMinSpecularPower = 8.0f;
constexpr float kMaxSpecularPower = 256.0f;

// A face's normal is the same at its three corners and the light is
// directional, so everything but the highlight is one colour per face: the
// vertex shader works it out once instead of every pixel doing it again.
const char* kVertexShader = R"(#version 330 core
uniform mat4 uClip;    // object -> clip
uniform mat4 uWorld;   // object -> world
uniform mat3 uNormal;  // object normal -> world normal (cofactor matrix)
uniform vec3 uEmissive;
uniform vec3 uAmbientReflectance;
uniform vec3 uFaceColor;
uniform vec3 uAmbientLight;
uniform vec3 uLightColor;
uniform vec3 uToLight;  // unit vector toward the light
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
out vec3 vWorldPosition;
flat out vec3 vNormal;  // unit length, or zero for a degenerate face
flat out vec3 vLit;     // emissive + ambient + diffuse, clamped
flat out float vDiffuse;
out vec2 vUv;
void main() {
  gl_Position = uClip * vec4(aPosition, 1.0);
  vWorldPosition = (uWorld * vec4(aPosition, 1.0)).xyz;
  vec3 normal = uNormal * aNormal;
  float len = length(normal);
  vNormal = len > 0.0 ? normal / len : vec3(0.0);
  vDiffuse = max(dot(vNormal, uToLight), 0.0);
  vLit = clamp(uEmissive + uAmbientLight * uAmbientReflectance * uFaceColor +
               uFaceColor * uLightColor * vDiffuse, 0.0, 1.0);
  vUv = aUv;
}
)";

// Faces without a highlight: the face's colour times the texture.
const char* kFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
flat in vec3 vLit;
in vec2 vUv;
out vec4 outColor;
void main() {
  outColor = vec4(clamp(vLit * texture(uTexture, vUv).rgb, 0.0, 1.0), 1.0);
}
)";

// Faces of a shiny material add the highlight toward the eye.
const char* kSpecularFragmentShader = R"(#version 330 core
uniform vec3 uSpecular;
uniform float uPower;
uniform vec3 uLightColor;
uniform vec3 uToLight;  // unit vector toward the light
uniform vec3 uEye;      // camera position, world space
uniform sampler2D uTexture;
in vec3 vWorldPosition;
flat in vec3 vNormal;
flat in vec3 vLit;
flat in float vDiffuse;
in vec2 vUv;
out vec4 outColor;
void main() {
  vec3 color = vLit * texture(uTexture, vUv).rgb;
  if (vDiffuse > 0.0) {
    vec3 toEye = uEye - vWorldPosition;
    vec3 h = uToLight + (length(toEye) > 0.0 ? normalize(toEye) : vec3(0.0));
    if (length(h) > 0.0) {
      float s = pow(max(dot(vNormal, normalize(h)), 0.0), uPower);
      color += uSpecular * uLightColor * s;
    }
  }
  outColor = vec4(clamp(color, 0.0, 1.0), 1.0);
}
)";

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a[i][k] * b[k][j];
      r[i][j] = s;
    }
  return r;
}

// Row-vector form of the OpenGL frustum (the transpose of the usual matrix).
Mat4 Frustum(float l, float r, float b, float t, float n, float f) {
  Mat4 p{};
  p[0][0] = 2 * n / (r - l);
  p[1][1] = 2 * n / (t - b);
  p[2][0] = (r + l) / (r - l);
  p[2][1] = (t + b) / (t - b);
  p[2][2] = -(f + n) / (f - n);
  p[2][3] = -1;
  p[3][2] = -2 * f * n / (f - n);
  return p;
}

// Rows C0 = A1 x A2, C1 = A2 x A0, C2 = A0 x A1 of the upper 3x3 A: then
// (a A) x (b A) = (a x b) C, so C carries a face normal computed from object
// space edges to the normal of the world space edges, mirrors included.
std::array<float, 9> Cofactor(const Mat4& m) {
  auto cross = [](const std::array<float, 4>& a, const std::array<float, 4>& b) {
    return std::array<float, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                a[0] * b[1] - a[1] * b[0]};
  };
  std::array<float, 3> rows[3] = {cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1])};
  std::array<float, 9> c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c[i * 3 + j] = rows[i][j];
  return c;
}

// The GL state Draw changes, put back afterwards for whoever draws next
// (the window's UI renderer).
class SavedState {
 public:
  SavedState() {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength_);
    glGetIntegerv(GL_FRONT_FACE, &frontFace_);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFaceMode_);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc_);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask_);
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth_);
    glGetIntegerv(GL_POLYGON_MODE, polygonMode_);
    for (int i = 0; i < kCaps; ++i) enabled_[i] = glIsEnabled(kCapList[i]);
  }
  ~SavedState() {
    for (int i = 0; i < kCaps; ++i) {
      if (enabled_[i])
        glEnable(kCapList[i]);
      else
        glDisable(kCapList[i]);
    }
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode_[0]));
    glClearDepth(clearDepth_);
    glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
    glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
    glDepthMask(depthMask_);
    glDepthFunc(static_cast<GLenum>(depthFunc_));
    glCullFace(static_cast<GLenum>(cullFaceMode_));
    glFrontFace(static_cast<GLenum>(frontFace_));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glUseProgram(static_cast<GLuint>(program_));
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  static constexpr int kCaps = 6;
  static constexpr GLenum kCapList[kCaps] = {GL_DEPTH_TEST,   GL_CULL_FACE,    GL_BLEND,
                                             GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_FRAMEBUFFER_SRGB};
  GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, viewport_[4] = {};
  GLint program_ = 0, vertexArray_ = 0, arrayBuffer_ = 0, activeTexture_ = GL_TEXTURE0;
  GLint texture_ = 0, unpackAlignment_ = 4, unpackRowLength_ = 0;
  GLint frontFace_ = GL_CCW, cullFaceMode_ = GL_BACK, depthFunc_ = GL_LESS;
  GLint polygonMode_[2] = {GL_FILL, GL_FILL};
  GLboolean depthMask_ = GL_TRUE, colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  GLfloat clearColor_[4] = {}, clearDepth_ = 1;
  GLboolean enabled_[kCaps] = {};
};

struct GpuMesh {
  std::weak_ptr<rm::MeshBuilder> owner;
  unsigned revision = 0;
  GLuint vertexArray = 0;
  GLuint buffer = 0;
  GLsizeiptr capacity = 0;  // bytes allocated in buffer
  GLsizei vertexCount = 0;
};

struct GpuTexture {
  std::weak_ptr<rm::Texture> owner;
  unsigned revision = 0;
  GLuint name = 0;
};

// A linked scene program and where its uniforms are (-1 for those it lacks).
struct Program {
  GLuint name = 0;
  GLint clip = -1, world = -1, normal = -1, emissive = -1, ambientReflectance = -1, faceColor = -1,
        specular = -1, power = -1, ambientLight = -1, lightColor = -1, toLight = -1, eye = -1,
        texture = -1;

  void Find() {
    auto at = [&](const char* uniform) { return glGetUniformLocation(name, uniform); };
    clip = at("uClip");
    world = at("uWorld");
    normal = at("uNormal");
    emissive = at("uEmissive");
    ambientReflectance = at("uAmbientReflectance");
    faceColor = at("uFaceColor");
    specular = at("uSpecular");
    power = at("uPower");
    ambientLight = at("uAmbientLight");
    lightColor = at("uLightColor");
    toLight = at("uToLight");
    eye = at("uEye");
    texture = at("uTexture");
  }
};

}  // namespace

struct SceneRenderer::Impl {
  int width = 0, height = 0;
  GLuint framebuffer = 0, colorTexture = 0, depthBuffer = 0;
  int colorBits = 0;
  Program matte, shiny;           // without and with the highlight
  const Program* used = nullptr;  // the one in use during Draw
  GLuint whiteTexture = 0;
  std::unordered_map<const rm::MeshBuilder*, GpuMesh> meshes;
  std::unordered_map<const rm::Texture*, GpuTexture> textures;
  SceneMemory memory;
  unsigned pictures = 0;
  // The visuals of the frame being drawn, in drawing order, with their
  // world matrices.
  std::vector<std::pair<const rm::MeshBuilderPtr*, Mat4>> placed;
  std::vector<SceneMemory::Visual> described;
  std::vector<float> scratch;  // vertex staging, kept between frames

  Mat4 viewProjection{};
  unsigned drawCount = 0;

  void Release(GpuMesh& mesh) {
    glDeleteBuffers(1, &mesh.buffer);
    glDeleteVertexArrays(1, &mesh.vertexArray);
    mesh = GpuMesh{};
  }

  GpuMesh& Upload(const rm::MeshBuilderPtr& visual) {
    GpuMesh& mesh = meshes[visual.get()];
    std::shared_ptr<rm::MeshBuilder> owner = mesh.owner.lock();
    bool current = mesh.vertexArray != 0 && owner == visual && mesh.revision == visual->revision;
    if (current) return mesh;
    if (owner != visual) {
      // A different mesh now lives at this address: start afresh.
      if (mesh.vertexArray != 0) Release(mesh);
      mesh.owner = visual;
    }
    if (mesh.vertexArray == 0) {
      glGenVertexArrays(1, &mesh.vertexArray);
      glGenBuffers(1, &mesh.buffer);
      glBindVertexArray(mesh.vertexArray);
      glBindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
      const GLsizei stride = 8 * sizeof(float);
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
      glEnableVertexAttribArray(1);
      glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                            reinterpret_cast<const void*>(3 * sizeof(float)));
      glEnableVertexAttribArray(2);
      glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                            reinterpret_cast<const void*>(6 * sizeof(float)));
    }
    mesh.revision = visual->revision;

    // Flat shading: every face gets its own three vertices and its normal.
    const auto& positions = visual->positions;
    const auto& uvs = visual->uvs;
    const int count = static_cast<int>(positions.size());
    scratch.clear();
    scratch.reserve(visual->faces.size() * 24);
    for (const rm::MeshBuilder::Face& face : visual->faces) {
      bool valid = true;
      for (int index : face.v) valid = valid && index >= 0 && index < count;
      if (!valid) continue;
      const rm::Vector& p0 = positions[face.v[0]];
      const rm::Vector& p1 = positions[face.v[1]];
      const rm::Vector& p2 = positions[face.v[2]];
      float ax = p1.x - p0.x, ay = p1.y - p0.y, az = p1.z - p0.z;
      float bx = p2.x - p0.x, by = p2.y - p0.y, bz = p2.z - p0.z;
      float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
      for (int index : face.v) {
        const rm::Vector& p = positions[index];
        float u = 0, v = 0;
        if (index < static_cast<int>(uvs.size())) {
          u = uvs[index][0];
          v = uvs[index][1];
        }
        scratch.insert(scratch.end(), {p.x, p.y, p.z, nx, ny, nz, u, v});
      }
    }
    mesh.vertexCount = static_cast<GLsizei>(scratch.size() / 8);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(scratch.size() * sizeof(float));
    glBindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
    if (bytes > mesh.capacity || bytes < mesh.capacity / 2) {
      glBufferData(GL_ARRAY_BUFFER, bytes, scratch.empty() ? nullptr : scratch.data(),
                   GL_DYNAMIC_DRAW);
      mesh.capacity = bytes;
    } else if (bytes > 0) {
      glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, scratch.data());
    }
    return mesh;
  }

  GLuint TextureFor(const rm::TexturePtr& texture) {
    if (!texture || texture->width <= 0 || texture->height <= 0) return whiteTexture;
    const size_t size = static_cast<size_t>(texture->width) * texture->height * 4;
    if (auto it = textures.find(texture.get()); it != textures.end()) {
      const GpuTexture& gpu = it->second;
      if (gpu.name != 0 && gpu.owner.lock() == texture && gpu.revision == texture->revision)
        return gpu.name;
    }
    if (texture->Pixels().size() < size) return whiteTexture;
    GpuTexture& gpu = textures[texture.get()];
    if (gpu.name == 0) glGenTextures(1, &gpu.name);
    gpu.owner = texture;
    gpu.revision = texture->revision;
    glBindTexture(GL_TEXTURE_2D, gpu.name);
    // Rows go up top row first, so texture coordinate v = 0 is the image's top.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture->width, texture->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texture->rgba.data());
    // The GPU's copy is the one drawn from; a file can give the pixels again.
    texture->ReleasePixels();
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return gpu.name;
  }

  void DrawVisual(const rm::MeshBuilderPtr& visual, const Mat4& world) {
    if (!visual || visual->faces.empty()) return;
    GpuMesh& mesh = Upload(visual);
    if (mesh.vertexCount == 0) return;

    const rm::Material* m = visual->material.get();
    const bool highlight =
        m != nullptr && (m->specular.r > 0 || m->specular.g > 0 || m->specular.b > 0);
    const Program& want = highlight ? shiny : matte;
    if (used != &want) {
      glUseProgram(want.name);
      used = &want;
    }
    const Program& u = want;

    const Mat4 clip = Multiply(world, viewProjection);
    glUniformMatrix4fv(u.clip, 1, GL_FALSE, &clip[0][0]);
    glUniformMatrix4fv(u.world, 1, GL_FALSE, &world[0][0]);
    const std::array<float, 9> normal = Cofactor(world);
    glUniformMatrix3fv(u.normal, 1, GL_FALSE, normal.data());

    const rm::Color& face = visual->color;
    glUniform3f(u.faceColor, face.r, face.g, face.b);
    if (m != nullptr) {
      glUniform3f(u.emissive, m->emissive.r, m->emissive.g, m->emissive.b);
      glUniform3f(u.ambientReflectance, m->ambient.r, m->ambient.g, m->ambient.b);
      glUniform3f(u.specular, std::max(0.0f, m->specular.r), std::max(0.0f, m->specular.g),
                  std::max(0.0f, m->specular.b));
      float power = std::isfinite(m->power) ? m->power : kMinSpecularPower;
      glUniform1f(u.power, std::clamp(power, kMinSpecularPower, kMaxSpecularPower));
    } else {
      glUniform3f(u.emissive, 0, 0, 0);
      glUniform3f(u.ambientReflectance, 1, 1, 1);
      glUniform3f(u.specular, 0, 0, 0);
      glUniform1f(u.power, kMinSpecularPower);
    }
    glBindTexture(GL_TEXTURE_2D, TextureFor(visual->texture));
    glBindVertexArray(mesh.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, mesh.vertexCount);
  }

  void Place(const rm::Frame& frame, const Mat4& world) {
    for (const rm::MeshBuilderPtr& visual : frame.Visuals()) {
      if (visual) placed.emplace_back(&visual, world);
    }
    for (const rm::FramePtr& child : frame.Children()) {
      if (!child) continue;
      // A frame's world matrix is its local matrix times its parent's world.
      Place(*child, Multiply(child->local.m, world));
    }
  }

  // Frees the GPU copies of meshes and textures that no longer exist.
  void Prune() {
    for (auto it = meshes.begin(); it != meshes.end();) {
      if (it->second.owner.expired()) {
        Release(it->second);
        it = meshes.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = textures.begin(); it != textures.end();) {
      if (it->second.owner.expired()) {
        glDeleteTextures(1, &it->second.name);
        it = textures.erase(it);
      } else {
        ++it;
      }
    }
  }
};

int BoundColorBits() {
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return 0;
  int bits = 0;
  for (GLenum which : {GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE,
                       GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE}) {
    GLint size = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, which, &size);
    bits += size;
  }
  return bits;
}

SceneRenderer::SceneRenderer(int width, int height) : impl_(std::make_unique<Impl>()) {
  if (width <= 0 || height <= 0) throw platform::Error("scene buffer size must be positive");
  Impl& d = *impl_;
  d.width = width;
  d.height = height;

  GLint oldFramebuffer = 0, oldTexture = 0, oldRenderbuffer = 0, oldAlignment = 4;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &oldFramebuffer);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &oldRenderbuffer);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);

  glGenTextures(1, &d.colorTexture);
  glBindTexture(GL_TEXTURE_2D, d.colorTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, width, height, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
               nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  glGenRenderbuffers(1, &d.depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, d.depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);

  glGenFramebuffers(1, &d.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, d.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, d.colorTexture, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, d.depthBuffer);
  GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status == GL_FRAMEBUFFER_COMPLETE) {
    d.colorBits = BoundColorBits();
  }

  // A white texel stands in for "no texture", so one shader serves both.
  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &d.whiteTexture);
  glBindTexture(GL_TEXTURE_2D, d.whiteTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  // Start with the sky colour, so showing the buffer before any Draw is tidy.
  if (status == GL_FRAMEBUFFER_COMPLETE) {
    GLfloat oldClear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, oldClear);
    glClearColor(kSkyBlue[0], kSkyBlue[1], kSkyBlue[2], 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(oldClear[0], oldClear[1], oldClear[2], oldClear[3]);
  }

  glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(oldFramebuffer));
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(oldRenderbuffer));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(oldTexture));

  auto fail = [&](const std::string& what) {
    glDeleteFramebuffers(1, &d.framebuffer);
    glDeleteRenderbuffers(1, &d.depthBuffer);
    glDeleteTextures(1, &d.colorTexture);
    glDeleteTextures(1, &d.whiteTexture);
    throw platform::Error(what);
  };
  if (status != GL_FRAMEBUFFER_COMPLETE)
    fail("the 16-bit scene buffer is not complete (status " + std::to_string(status) + ")");
  try {
    d.matte.name = LinkProgram(kVertexShader, kFragmentShader, "scene");
    d.shiny.name = LinkProgram(kVertexShader, kSpecularFragmentShader, "scene");
  } catch (const platform::Error& e) {
    glDeleteProgram(d.matte.name);
    fail(e.what());
  }
  d.matte.Find();
  d.shiny.Find();
}

SceneRenderer::~SceneRenderer() {
  Impl& d = *impl_;
  d.memory.Forget(true);
  for (auto& [key, mesh] : d.meshes) d.Release(mesh);
  for (auto& [key, texture] : d.textures) glDeleteTextures(1, &texture.name);
  glDeleteProgram(d.matte.name);
  glDeleteProgram(d.shiny.name);
  glDeleteTextures(1, &d.whiteTexture);
  glDeleteFramebuffers(1, &d.framebuffer);
  glDeleteRenderbuffers(1, &d.depthBuffer);
  glDeleteTextures(1, &d.colorTexture);
}

bool SceneRenderer::Draw(const rm::Frame& scene, const rm::Frame& camera,
                         const rm::Viewport& viewport) {
  Impl& d = *impl_;
  const rm::Matrix cameraWorld = camera.World();
  d.placed.clear();
  d.Place(scene, scene.World().m);
  d.described.clear();
  for (const auto& [visual, world] : d.placed) {
    d.described.push_back(SceneMemory::Describe(**visual, &world[0][0]));
  }
  const uint64_t seen =
      SceneMemory::DescribeView(&cameraWorld.m[0][0], viewport, d.width, d.height);
  if (d.memory.Unchanged(seen, d.described)) return false;
  d.memory.Remember(seen, d.described);

  SavedState saved;

  glBindFramebuffer(GL_FRAMEBUFFER, d.framebuffer);
  glViewport(0, 0, d.width, d.height);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_FRAMEBUFFER_SRGB);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(kSkyBlue[0], kSkyBlue[1], kSkyBlue[2], 1);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  // Front faces wind clockwise as the viewer sees them. The z flip below
  // leaves screen x and y alone, so they are clockwise on screen too.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);

  // View: into the camera's left-handed space (looking along +z), then z
  // negated into OpenGL's right-handed eye space (looking along -z).
  Mat4 view = rm::Inverse(cameraWorld).m;
  for (auto& row : view) row[2] = -row[2];
  const float nearPlane = viewport.front > 0 ? viewport.front : 1.0f;
  const float farPlane = viewport.back > nearPlane ? viewport.back : nearPlane * 2;
  const float larger = static_cast<float>(std::max(d.width, d.height));
  const float halfWidth = nearPlane * viewport.field * static_cast<float>(d.width) / larger;
  const float halfHeight = nearPlane * viewport.field * static_cast<float>(d.height) / larger;
  d.viewProjection =
      Multiply(view, Frustum(-halfWidth, halfWidth, -halfHeight, halfHeight, nearPlane, farPlane));

  float toLight[3] = {-kLightDirection[0], -kLightDirection[1], -kLightDirection[2]};
  float length =
      std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
  for (const Program* p : {&d.shiny, &d.matte}) {
    glUseProgram(p->name);
    glUniform3f(p->toLight, toLight[0] / length, toLight[1] / length, toLight[2] / length);
    glUniform3f(p->ambientLight, kAmbientLight[0], kAmbientLight[1], kAmbientLight[2]);
    glUniform3f(p->lightColor, kLightColor[0], kLightColor[1], kLightColor[2]);
    glUniform3f(p->eye, cameraWorld.m[3][0], cameraWorld.m[3][1], cameraWorld.m[3][2]);
    glUniform1i(p->texture, 0);
  }
  d.used = &d.matte;
  glActiveTexture(GL_TEXTURE0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);

  for (const auto& [visual, world] : d.placed) d.DrawVisual(*visual, world);
  // Does any pixel of a changing visual survive in the picture? Drawn again
  // over the finished depth buffer, a pixel passes an equal test only where
  // that visual is what shows (the same program gives the same depths).
  bool asking = false;
  for (size_t i = 0; i < d.placed.size(); ++i) {
    if (d.described[i].query == 0) continue;
    if (!asking) {
      glDepthFunc(GL_EQUAL);
      glDepthMask(GL_FALSE);
      glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
      asking = true;
    }
    glBeginQuery(GL_ANY_SAMPLES_PASSED, d.described[i].query);
    d.DrawVisual(*d.placed[i].first, d.placed[i].second);
    glEndQuery(GL_ANY_SAMPLES_PASSED);
  }
  ++d.pictures;
  if (++d.drawCount % 64 == 0) d.Prune();
  // `saved` puts the caller's framebuffer, viewport and switches back.
  return true;
}

void SceneRenderer::Forget() {
  impl_->memory.Forget(false);
}

unsigned SceneRenderer::Pictures() const {
  return impl_->pictures;
}

unsigned SceneRenderer::ColorTexture() const {
  return impl_->colorTexture;
}
int SceneRenderer::ColorBits() const {
  return impl_->colorBits;
}
int SceneRenderer::Width() const {
  return impl_->width;
}
int SceneRenderer::Height() const {
  return impl_->height;
}

std::vector<uint8_t> SceneRenderer::ReadPixels() const {
  const Impl& d = *impl_;
  const size_t rowBytes = static_cast<size_t>(d.width) * 4;
  std::vector<uint8_t> bottomUp(rowBytes * static_cast<size_t>(d.height));
  GLint oldRead = 0, oldAlignment = 4, oldRowLength = 0, oldPackBuffer = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &oldRead);
  glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &oldRowLength);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &oldPackBuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, d.framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(0, 0, d.width, d.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ROW_LENGTH, oldRowLength);
  glPixelStorei(GL_PACK_ALIGNMENT, oldAlignment);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(oldPackBuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(oldRead));

  std::vector<uint8_t> topDown(bottomUp.size());
  for (int y = 0; y < d.height; ++y)
    std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(rowBytes) * (d.height - 1 - y),
                rowBytes, topDown.begin() + static_cast<std::ptrdiff_t>(rowBytes) * y);
  return topDown;
}

}  // namespace platform::gl

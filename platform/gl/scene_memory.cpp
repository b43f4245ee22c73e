#include "platform/gl/scene_memory.h"

#include <epoxy/gl.h>

#include <cstring>

namespace platform::gl {

namespace {

// 64-bit FNV-1a over 8-byte words: quick enough for every mesh every frame.
struct Hash {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* data, size_t n) {
    auto* p = static_cast<const unsigned char*>(data);
    for (; n >= 8; n -= 8, p += 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      h = (h ^ word) * 1099511628211ull;
    }
    for (; n > 0; --n, ++p) h = (h ^ *p) * 1099511628211ull;
  }
  template <typename T>
  void operator()(const T& v) {
    Bytes(&v, sizeof v);
  }
  template <typename T>
  void All(const std::vector<T>& v) {
    size_t n = v.size();
    Bytes(&n, sizeof n);
    if (n > 0) Bytes(v.data(), n * sizeof(T));
  }
};

}  // namespace

SceneMemory::Visual SceneMemory::Describe(const rm::MeshBuilder& mesh, const float* world) {
  Visual v;
  v.mesh = &mesh;
  Hash shape;
  shape(&mesh);
  shape.Bytes(world, 16 * sizeof(float));
  shape.All(mesh.positions);
  shape.All(mesh.faces);
  v.shape = shape.h;

  Hash look;
  look.All(mesh.uvs);
  look(mesh.color);
  const rm::Material* m = mesh.material.get();
  look(m != nullptr);
  if (m != nullptr) {
    look(m->power);
    look(m->specular);
    look(m->emissive);
    look(m->ambient);
  }
  const rm::Texture* t = mesh.texture.get();
  look(t);
  if (t != nullptr) {
    look(t->revision);
    look(t->width);
    look(t->height);
    // Pixels read from a file come and go with no change on screen.
    look(t->file.empty() ? t->rgba.size() : 0);
  }
  v.look = look.h;
  return v;
}

uint64_t SceneMemory::DescribeView(const float* camera, const rm::Viewport& viewport, int width,
                                   int height) {
  Hash h;
  h.Bytes(camera, 16 * sizeof(float));
  h(viewport.front);
  h(viewport.back);
  h(viewport.field);
  h(width);
  h(height);
  return h.h;
}

// The answer waits for the last frame to be finished, which it is by now in
// a window: showing it needed its pixels.
bool SceneMemory::Hidden(unsigned query) const {
  if (query == 0) return false;
  GLuint any = 1;
  glGetQueryObjectuiv(query, GL_QUERY_RESULT, &any);
  return any == 0;
}

bool SceneMemory::Unchanged(uint64_t view, const std::vector<Visual>& visuals) const {
  if (!valid_ || view != view_ || visuals.size() != visuals_.size()) return false;
  for (size_t i = 0; i < visuals.size(); ++i) {
    const Visual& now = visuals[i];
    const Visual& then = visuals_[i];
    if (now.mesh != then.mesh || now.shape != then.shape) return false;
    if (now.look != then.look && !Hidden(then.query)) return false;
  }
  return true;
}

void SceneMemory::Remember(uint64_t view, std::vector<Visual>& visuals) {
  if (queries_.size() < visuals.size()) {
    size_t had = queries_.size();
    queries_.resize(visuals.size());
    glGenQueries(static_cast<GLsizei>(visuals.size() - had), queries_.data() + had);
  }
  // Visuals whose look just changed will likely change again (the sky
  // drifts every frame): those get asked whether they show at all.
  for (size_t i = 0; i < visuals.size(); ++i) {
    bool changing = valid_ && i < visuals_.size() && visuals[i].mesh == visuals_[i].mesh &&
                    visuals[i].look != visuals_[i].look;
    visuals[i].query = changing ? queries_[i] : 0;
  }
  view_ = view;
  visuals_ = visuals;
  valid_ = true;
}

void SceneMemory::Forget(bool deleteQueries) {
  valid_ = false;
  visuals_.clear();
  if (deleteQueries && !queries_.empty()) {
    glDeleteQueries(static_cast<GLsizei>(queries_.size()), queries_.data());
  }
  queries_.clear();
}

}  // namespace platform::gl

// What the scene looked like when it was last drawn, to tell whether drawing
// it again could change a single pixel. While the player aims with the mouse
// still, the only change from frame to frame is the drifting sky texture,
// which lies hidden behind the stadium: the last picture still stands.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rm/rm.h"

namespace platform::gl {

class SceneMemory {
 public:
  // One visual as placed in the world: `shape` covers what decides which
  // pixels it covers (its faces, where they are, the mesh itself), `look`
  // what colours it gives them (texture coordinates, colour, material,
  // texture). `query`, when not 0, tells whether any of its pixels is in
  // the finished picture.
  struct Visual {
    const rm::MeshBuilder* mesh = nullptr;
    uint64_t shape = 0, look = 0;
    unsigned query = 0;
  };

  // `world` is the row-vector world matrix, 16 floats.
  static Visual Describe(const rm::MeshBuilder& mesh, const float* world);
  // The camera's world matrix, the viewport and the buffer's size.
  static uint64_t DescribeView(const float* camera, const rm::Viewport& viewport, int width,
                               int height);

  // True when a frame of these visuals seen this way would be the picture
  // drawn last: same view, same visuals in the same order, each of the same
  // shape, and any whose look changed had no sample on screen. Depth and
  // coverage depend on shapes alone, so a hidden visual stays hidden.
  bool Unchanged(uint64_t view, const std::vector<Visual>& visuals) const;
  // Keeps the frame about to be drawn. Each visual whose look changed since
  // the last one gets a query, to be run over the finished picture.
  void Remember(uint64_t view, std::vector<Visual>& visuals);
  // Forgets the last frame (its picture is gone); deletes the queries with
  // `deleteQueries`, which needs the context current.
  void Forget(bool deleteQueries);

 private:
  bool Hidden(unsigned query) const;

  bool valid_ = false;
  uint64_t view_ = 0;
  std::vector<Visual> visuals_;
  std::vector<unsigned> queries_;  // one per visual, reused from frame to frame
};

}  // namespace platform::gl

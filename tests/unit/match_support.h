// Helpers shared by the match tests: recorded sound buffers, the scene's
// positions, placing the football and watching what the play window shows.
#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/sound.h"
#include "support/game_fixture.h"
#include "support/recorded_sounds.h"

namespace kwinta::testing {

// The lines of the sound log from `from` on.
inline std::vector<std::string> LogSince(const std::vector<std::string>& log, size_t from) {
  return {log.begin() + static_cast<long>(std::min(from, log.size())), log.end()};
}

inline void ExpectNear(const rm::Vector& v, float x, float y, float z, float eps = 1e-3f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

class MatchTest : public GameTest {
 protected:
  void TearDown() override {
    RecordedBuffer::onPlay = nullptr;
    GameTest::TearDown();
  }

  // Opens the play window as a new process would: the turn starts False, so
  // the first possession goes to the local side.
  VorletWindow& Open(const std::string& mode = "Computer") {
    state().LocalTurn = false;
    w_ = &OpenPlayWindow(mode, true);
    return *w_;
  }
  VorletWindow& w() { return *w_; }
  const rm::FramePtr& Scene() { return w_->RMCanvas1.SceneFrame(); }

  rm::Vector Pos(const rm::FramePtr& f) {
    rm::Vector v;
    f->GetPosition(Scene(), v);
    return v;
  }
  rm::Vector Dir(const rm::FramePtr& f) {
    rm::Vector d, u;
    f->GetOrientation(Scene(), d, u);
    return d;
  }

  // Lays the football and the aim frame flat at (x, 0, z), pointing down the table.
  void Place(float x, float z) {
    for (const rm::FramePtr& f : {w_->BallFrame, w_->AimFrame}) {
      f->SetPosition(Scene(), x, 0, z);
      f->SetOrientation(Scene(), 0, 0, 1, 0, 1, 0);
    }
  }

  // A flick straight down the table from (x, 0, z) with `force`, as side 1.
  void FlickFrom(float x, float z, float& force, float dx = 0, float dz = 1) {
    float y = 0, dy = 0, ux = 0, uy = 1, uz = 0;
    int16_t player = 1;
    w_->Flick(x, y, z, force, dx, dy, dz, ux, uy, uz, player);
  }

  // The result pictures seen, in order, while `run` runs (one entry per showing).
  std::vector<int> PicturesDuring(const std::function<void()>& run) {
    std::vector<int> seen;
    int showing = 0;
    auto previous = b->onYield;
    b->onYield = [&, previous] {
      int now = 0;
      for (int mes = 1; mes <= 7; ++mes) {
        if (w_->Picture(mes).visible) now = mes;
      }
      if (now != 0 && now != showing) seen.push_back(now);
      showing = now;
      if (previous) previous();
    };
    run();
    b->onYield = previous;
    return seen;
  }

  VorletWindow* w_ = nullptr;
};

}  // namespace kwinta::testing

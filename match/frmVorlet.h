// The play window: the whole match runs in its load handler. Its procedures
// are spread over one file per concern (driver, scene, input, flight,
// possession, field goal, computer, feedback, messages).
#pragma once

#include <cstdint>
#include <string>

#include "platform/canvas/rmcanvas.h"
#include "platform/rm/rm.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

class VorletWindow : public platform::Form {
 public:
  VorletWindow();

  // --- controls ---------------------------------------------------------------
  platform::RMCanvas RMCanvas1{*this, "RMCanvas1"};
  platform::ProgressBar ProgressBar1{*this, "ProgressBar1"};
  platform::Label lblPlayer1{*this, "lblPlayer1"};
  platform::Label Label3{*this, "Label3"};
  platform::Label Label1{*this, "Label1"};
  platform::Label Label2{*this, "Label2"};
  platform::Label Label4{*this, "Label4"};
  platform::Label lblPlayer2{*this, "lblPlayer2"};
  platform::Label Label5{*this, "Label5"};
  platform::TextBox Text1{*this, "Text1"};
  platform::TextBox Text2{*this, "Text2"};
  platform::PictureBox Picture1{*this, "Picture1"};
  platform::PictureBox Picture2{*this, "Picture2"};
  platform::PictureBox Picture3{*this, "Picture3"};
  platform::PictureBox Picture4{*this, "Picture4"};
  platform::PictureBox Picture5{*this, "Picture5"};
  platform::PictureBox Picture6{*this, "Picture6"};
  platform::PictureBox Picture7{*this, "Picture7"};

  // Result picture box 1..7.
  platform::PictureBox& Picture(int mes);

  // --- fields, in their declared order -------------------------------------
  float KickRiseDecay = 0;
  bool InputBlocked = false;
  int16_t RoundNo = 0;
  rm::Vector KickPos, KickDir, KickUp;
  int16_t ShootingSide = 0;
  rm::Vector FlickPos, FlickDir, FlickUp;
  bool NoRender = false;
  float Friction = 0;
  float SkyOffsetU = 0, SkyOffsetV = 0;
  rm::MeshBuilderPtr LinesMesh;
  rm::FramePtr StadiumFrame;
  rm::MeshBuilderPtr StadiumMesh;
  float GoalStep = 0;
  bool FGGood = false;
  rm::Vector FGBallPos, FGGoalPos;
  bool KickMode = false;
  float KickRise = 0;
  int32_t FrameStart = 0, FrameDeadline = 0;
  int32_t HomeScore = 0, AwayScore = 0;
  int16_t ShotsLeft = 0;
  float Power = 0;
  bool InFlight = false;
  rm::Ray PickRay;
  rm::Vector CameraPos, CameraOffset;
  std::string GroundName, CornerGroundName;
  rm::MeshBuilderPtr ExtraMesh, BonusMesh;
  int16_t MouseMode = 0;
  bool ShiftHeld = false;
  rm::FramePtr CameraFrame;
  rm::FramePtr CornerFrame1, CornerFrame2, CornerFrame3;
  rm::MaterialPtr MarkMaterial, BallMaterial;
  rm::TexturePtr GrassTexture, SkyTexture, CrowdTexture, BallTexture;
  rm::WrapPtr CurWrap;
  rm::MeshBuilderPtr BallMesh, TableMesh, SkyMesh, ArrowMesh, GoalMesh;
  rm::FramePtr GoalFrame, AimFrame, BallFrame, TableFrame, SkyFrame, ArrowFrame;
  int16_t MouseHomeX = 0, MouseHomeY = 0;
  platform::POINT CursorPos;

  // --- scene ------------------------------------------------------------------
  void BuildScene();

  // --- possession start, camera and sky drift --------------------------------
  void Reset();
  void CameraFollowBall();
  void WinCam();
  void Wind();

  // --- labels -------------------------------------------------------------------
  void TurnColor();
  void PostScore();

 protected:
  void Design() override;
  void Form_Load() override;

 private:
  const rm::FramePtr& Scene() const { return RMCanvas1.SceneFrame(); }
};

}  // namespace kwinta

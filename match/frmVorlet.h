// The play window: the whole match runs in its load handler. Its procedures
// are spread over one file per concern (driver, scene, input, flight,
// possession, field goal, computer, feedback, messages).
#pragma once

#include <cstdint>
#include <optional>
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

  // Label colours: bright yellow for the side to play, dull for the other.
  static constexpr uint32_t kSideToPlay = 65535;
  static constexpr uint32_t kOtherSide = 49344;

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

  void Form_QueryClose() override;

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

  // What the reader of the peer's messages keeps between its calls.
  // The launch state of a "Flick" or "Goal" as received.
  struct PeerShot {
    std::string kind;
    float pos[3] = {0, 0, 0}, force = 0, dir[3] = {0, 0, 0}, up[3] = {0, 0, 0};
    int16_t player = 0;
  };
  // A received flick or kick in its replay here.
  bool ReplayingFlick = false, ReplayingKick = false;
  // A shot that came while another was being replayed: it waits, and the
  // messages behind it with it, until its turn comes or can no longer come.
  std::optional<PeerShot> HeldShot;
  // The peer's "OVER" has been read: its last turn and its last score are in.
  bool PeerOver = false;

  // --- driver -------------------------------------------------------------------
  void WhatPlayer(std::string& WMOD);

  // --- scene ------------------------------------------------------------------
  void BuildScene();

  // --- mouse and keyboard -------------------------------------------------------
  void SetMouse();
  void CheckMouse();
  void InitMouse();
  void RMCanvas1_KeyDown(int16_t KeyCode, int16_t Shift);
  void RMCanvas1_KeyUp(int16_t KeyCode, int16_t Shift);
  void RMCanvas1_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void RMCanvas1_MouseUp(int16_t Button, int16_t Shift, float X, float Y);
  void PrematureFlick();
  void LaunchFlick();
  bool ButtonsIgnored();
  void PrematureKick();

  // --- flight, ground tests and scoring ----------------------------------------
  void Flick(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1, float& Y1,
             float& Z1, float& X2, float& Y2, float& Z2, int16_t& Player);
  void CheckScore(int16_t& Player);
  std::string CheckRay();
  void Fall();

  // --- possession start, camera and sky drift --------------------------------
  void Reset();
  void CameraFollowBall();
  void WinCam();
  void Wind();

  // --- field goal ---------------------------------------------------------------
  void MPAT();
  void KickFB(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1, float& Y1,
              float& Z1, float& X2, float& Y2, float& Z2);
  void CheckFG();
  void MoveGoal();
  void GetFmain();

  // --- computer opponent --------------------------------------------------------
  void CompShot1();

  // --- result pictures, labels and waits ---------------------------------------
  void ShowMessage(int16_t MES);
  void TurnColor();
  void PostScore();
  void MyDelay();
  void MyDelay2();
  bool AnyPictures();

  // --- network messages -----------------------------------------------------------
  void CheckMessages();
  void SendMessage();
  void SendFlick(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1, float& Y1,
                 float& Z1, float& X2, float& Y2, float& Z2, int16_t& Player);
  void SendFG(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1, float& Y1,
              float& Z1, float& X2, float& Y2, float& Z2, int16_t& Player);
  void SyncScore();
  void SendText();
  void Text2_KeyPress(int16_t& KeyAscii);
  void SendEnd();
  void CanIContinue();
  void SendContinue();
  void SendVersion();
  // The "RESULT" message of a result picture.
  void SendResult(int16_t MES);
  void SendOver();
  // The host's end of a network match: the frames go on, every message
  // handled, until the joiner's "OVER" has come.
  void WaitForOver();

 protected:
  void Design() override;
  void Form_Load() override;

 private:
  const rm::FramePtr& Scene() const { return RMCanvas1.SceneFrame(); }
  // Frame timing on the shared fields: start a frame of `period` ms, and
  // yield until its deadline has passed.
  void StartFrame(int32_t period);
  bool BeforeDeadline() const;
  void WaitForDeadline();
  // One pass of a turn loop.
  // PeerEnd: the host after its last round, until the joiner's "OVER".
  enum class Turn { Local, Computer, Watch, SecondPlayer, PeerEnd };
  void MatchFrame(const char* marker, Turn turn);
  void RunTurnLoop(const char* marker, Turn turn);
  void EndOfMatch();
  // What lies below a point: the picked visual's name, or nothing.
  bool GroundTest(const rm::Vector& point, std::string& name);
  void CloseUp();
  void Score(int32_t points);
  // What the reader does with a peer's shot at this moment.
  enum class ShotFit { Replay, Hold, Drop };
  ShotFit FitOf(const PeerShot& shot) const;
  void Replay(const PeerShot& shot);
};

}  // namespace kwinta

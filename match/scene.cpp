// The construction of the table scene, once per match.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

void VorletWindow::BuildScene() {
  rm::Direct3DRM3& d3drm = RMCanvas1.D3DRM();
  const rm::FramePtr& scene = Scene();
  const bool sceneryOn = state().SceneryOn;

  const std::string folder = platform::AppPath();
  auto load = [&](const rm::MeshBuilderPtr& mesh, const char* file) {
    mesh->LoadFromFile(folder + "\\" + file, 0, rm::kLoadFromFile, nullptr, nullptr);
  };

  // The football with its notebook-paper texture.
  BallTexture = d3drm.LoadTexture(folder + "\\loose.dab");
  rm::WrapPtr ballWrap =
      d3drm.CreateWrap(rm::kWrapFlat, nullptr, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0, 0.19f, 0.19f);
  BallFrame = d3drm.CreateFrame(scene);
  AimFrame = d3drm.CreateFrame(scene);
  BallMesh = d3drm.CreateMeshBuilder();
  load(BallMesh, "fb.dax");
  BallMesh->ScaleMesh(0.03f, 0.03f, 0.03f);
  ballWrap->Apply(BallMesh);
  BallMesh->SetTexture(BallTexture);
  BallFrame->AddVisual(BallMesh);

  ExtraMesh = d3drm.CreateMeshBuilder();
  BonusMesh = d3drm.CreateMeshBuilder();
  load(ExtraMesh, "extra.dax");
  load(BonusMesh, "bonus.dax");
  rm::WrapPtr groundWrap =
      d3drm.CreateWrap(rm::kWrapFlat, nullptr, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0.03f, 0.03f);
  GrassTexture = d3drm.LoadTexture(folder + "\\grass.dab");
  SkyTexture = d3drm.LoadTexture(folder + "\\sky.dab");

  // The sky is the table slab again, five times as large, seen from below.
  SkyFrame = d3drm.CreateFrame(scene);
  SkyMesh = d3drm.CreateMeshBuilder();
  load(SkyMesh, "table.dax");
  SkyMesh->ScaleMesh(5, 5, 5);
  if (sceneryOn) SkyFrame->AddVisual(SkyMesh);
  SkyFrame->SetPosition(scene, 0, 80, 0);

  // The table with the bonus circle and its marker.
  TableFrame = d3drm.CreateFrame(scene);
  TableMesh = d3drm.CreateMeshBuilder();
  load(TableMesh, "table.dax");
  TableMesh->ScaleMesh(0.5f, 0.5f, 0.5f);
  ExtraMesh->ScaleMesh(0.08f, 0.08f, 0.08f);
  BonusMesh->ScaleMesh(0.08f, 0.08f, 0.08f);
  groundWrap->Apply(TableMesh);
  groundWrap->Apply(BonusMesh);
  TableMesh->SetTexture(GrassTexture);
  SkyMesh->SetTexture(SkyTexture);
  BonusMesh->SetTexture(GrassTexture);
  TableFrame->AddVisual(TableMesh);
  TableFrame->AddVisual(ExtraMesh);
  TableFrame->AddVisual(BonusMesh);
  ExtraMesh->Translate(0, 0.3f, -79.2f);
  BonusMesh->Translate(0, 0.05f, -79.2f);
  TableFrame->SetPosition(scene, 0, -0.5f, 0);
  TableMesh->SetName("Table");
  BonusMesh->SetName("TableBon");
  ExtraMesh->SetName("TableBon");

  // The aim arrow rides on the aim frame.
  ArrowFrame = d3drm.CreateFrame(AimFrame);
  ArrowMesh = d3drm.CreateMeshBuilder();
  load(ArrowMesh, "dir.dax");
  ArrowMesh->ScaleMesh(0.05f, 0.05f, 0.05f);
  ArrowFrame->AddVisual(ArrowMesh);
  ArrowFrame->SetPosition(scene, 0, 0, 0);
  ArrowMesh->SetColorRGB(1, 1, 0);
  ArrowMesh->Translate(0, 0, 5);

  MarkMaterial = d3drm.CreateMaterial(1.0f);
  BallMaterial = d3drm.CreateMaterial(2.0f);

  GoalFrame = d3drm.CreateFrame(scene);
  GoalMesh = d3drm.CreateMeshBuilder();
  load(GoalMesh, "goal.dax");
  GoalMesh->SetColorRGB(1, 1, 0);
  GoalMesh->ScaleMesh(0.3f, 0.3f, 0.3f);
  GoalFrame->SetPosition(scene, 0, 20, -95);

  MarkMaterial->SetEmissive(1, 1, 0);
  BallMaterial->SetAmbient(1, 1, 1);
  BallMaterial->SetEmissive(1, 1, 1);
  BallMaterial->SetPower(0.05f);
  BallMaterial->SetSpecular(0.2f, 0.2f, 0.2f);

  BallMesh->SetMaterial(BallMaterial);
  ArrowMesh->SetMaterial(MarkMaterial);
  GoalMesh->SetMaterial(MarkMaterial);
  ExtraMesh->SetMaterial(MarkMaterial);
  GoalFrame->AddVisual(GoalMesh);

  CameraFrame = RMCanvas1.Camera();

  // The football's three corners, probed by the scoring.
  CornerFrame1 = d3drm.CreateFrame(BallFrame);
  CornerFrame2 = d3drm.CreateFrame(BallFrame);
  CornerFrame3 = d3drm.CreateFrame(BallFrame);
  CornerFrame1->SetPosition(BallFrame, 5, 0, 2.5f);
  CornerFrame2->SetPosition(BallFrame, -5, 0, 2.5f);
  CornerFrame3->SetPosition(BallFrame, 0, 0, -2.5f);

  rm::WrapPtr skyWrap =
      d3drm.CreateWrap(rm::kWrapFlat, TableFrame, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0.003f, 0.003f);
  skyWrap->Apply(SkyMesh);
  SkyMesh->SetMaterial(BallMaterial);

  // The stands and the field lines.
  StadiumFrame = d3drm.CreateFrame(scene);
  StadiumMesh = d3drm.CreateMeshBuilder();
  LinesMesh = d3drm.CreateMeshBuilder();
  load(StadiumMesh, "stadium4.dax");
  load(LinesMesh, "lines.dax");
  LinesMesh->SetName("TableLines");
  if (sceneryOn) {
    StadiumFrame->AddVisual(StadiumMesh);
    StadiumFrame->AddVisual(LinesMesh);
  }
  StadiumMesh->ScaleMesh(1.6f, 1.2f, 1.6f);
  LinesMesh->ScaleMesh(0.43f, 0.43f, 0.43f);
  LinesMesh->Translate(0, -10, 9);

  CrowdTexture = d3drm.LoadTexture(folder + "\\crowd2.dab");
  CurWrap =
      d3drm.CreateWrap(rm::kWrapFlat, TableFrame, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0.01f, 0.01f);
  CurWrap->Apply(StadiumMesh);
  StadiumMesh->SetTexture(CrowdTexture);
  StadiumFrame->SetPosition(scene, 0, 10, 0);

  LinesMesh->SetMaterial(MarkMaterial);

  // The start pose: football, aim and arrow on the start spot, camera behind.
  BallFrame->SetPosition(scene, 0, 0, 85);
  AimFrame->SetPosition(scene, 0, 0, 85);
  ArrowFrame->SetPosition(scene, 0, 0, 85);
  CameraFrame->SetPosition(scene, 0, 10, 120);
  CameraFrame->LookAt(BallFrame, scene, rm::kConstrainZ);
}

}  // namespace kwinta

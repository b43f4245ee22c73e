// The program's start: the load sequence of the start-up window, its failure
// paths, the session name and the option box.
#include <cmath>
#include <string>
#include <vector>

#include "platform/toolkit/modal.h"
#include "platform/toolkit/toolkit.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

const char* kSoundPrompt =
    "Kwinta will run without sound.  Please make sure that you have the latest DirectX7 "
    "Drivers installed.";
const char* kDisplayPrompt =
    "Kwinta was designed to run in High Color (16 bit).  Please check your display settings.";
const char* kPlayPrompt =
    "Error Initializing DirectPlay.  Please make sure that you have the latest DirectX7 "
    "Drivers installed.";

const std::vector<std::string> kLoads = {"load crowd.daw", "load crowd2.daw", "load yeah.daw",
                                         "load yeah2.daw", "load boo.daw",    "load theme.daw",
                                         "load guit2.daw", "load swoosh.daw", "load wis1.daw",
                                         "load wis2.daw",  "load wis3.daw"};
const std::vector<std::string> kMenuSounds = {"play crowd2.daw looping", "play crowd.daw looping",
                                              "play yeah2.daw once", "play theme.daw looping",
                                              "play guit2.daw once"};

int Plays(const std::vector<std::string>& log) {
  int n = 0;
  for (const auto& line : log) n += line.rfind("play ", 0) == 0;
  return n;
}

using StartupTest = GameTest;

TEST_F(StartupTest, LoadsTheElevenSoundsInOrderThenStartsTheMenuSounds) {
  ASSERT_TRUE(StartProgram());
  std::vector<std::string> expected = {"device", "cooperative 2"};
  expected.insert(expected.end(), kLoads.begin(), kLoads.end());
  expected.insert(expected.end(), kMenuSounds.begin(), kMenuSounds.end());
  EXPECT_EQ(b->soundLog, expected);
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_TRUE(state().SoundOn);
  EXPECT_TRUE(state().SceneryOn);
  EXPECT_EQ(state().NumRounds, 5);

  NewNetWindow& w = frmNewNet();
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(w.caption, "Kwinta V1.01");
  ASSERT_GE(w.lstConnections.ListCount(), 2);
  EXPECT_EQ(w.lstConnections.listIndex, 1);
  EXPECT_EQ(w.lstConnections.items, b->connectionMethods);
  // The lobby opens idle: only "Connect" works.
  EXPECT_TRUE(w.cmdConnect.enabled);
  EXPECT_FALSE(w.cmdCreate.enabled || w.cmdJoin.enabled || w.Command4.enabled ||
               w.Command5.enabled);
  EXPECT_EQ(w.Check1.value, 1);
}

TEST_F(StartupTest, TheWindowIsShownOnlyAfterTheLoadHasRun) {
  b->onMessageBox = [this](const std::string&, int, const std::string&) {
    EXPECT_FALSE(frmNewNet().Visible());
  };
  b->connectionMethods = {};
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->windowLog.front(), "show frmNewNet");
}

struct SoundFailure {
  const char* what;
  void (*inject)(platform::test::TestBackend&);
  size_t loaded;
};

class SoundFailureTest : public GameTest, public ::testing::WithParamInterface<SoundFailure> {};

TEST_P(SoundFailureTest, ShowsTheSoundMessageOnceAndRunsSilently) {
  GetParam().inject(*b);
  ASSERT_TRUE(StartProgram());
  ASSERT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->boxes[0].prompt, kSoundPrompt);
  EXPECT_EQ(b->boxes[0].title, "Error initializing DirectSound.");
  EXPECT_EQ(b->boxes[0].style, platform::vbOKOnly);
  EXPECT_FALSE(state().SoundOn);
  EXPECT_EQ(Plays(b->soundLog), 0);
  size_t loads = 0;
  for (const auto& line : b->soundLog) loads += line.rfind("load ", 0) == 0;
  EXPECT_EQ(loads, GetParam().loaded);
  // The rest of the start goes on: the window opens with its connections.
  EXPECT_TRUE(frmNewNet().Visible());
  EXPECT_EQ(frmNewNet().lstConnections.listIndex, 1);
  // Every later play is skipped.
  PlaySound(state().SndCrowd, platform::DSBPLAY_LOOPING);
  EXPECT_EQ(Plays(b->soundLog), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SoundFailureTest,
    ::testing::Values(
        SoundFailure{"NoDevice", [](platform::test::TestBackend& t) { t.noSoundDevice = true; }, 0},
        SoundFailure{"CooperativeLevelRefused",
                     [](platform::test::TestBackend& t) { t.refuseCooperativeLevel = true; }, 0},
        SoundFailure{"LastFileMissing",
                     [](platform::test::TestBackend& t) { t.missingSoundFiles = {"wis3.daw"}; },
                     10},
        SoundFailure{"FifthFileMissing",
                     [](platform::test::TestBackend& t) { t.missingSoundFiles = {"boo.daw"}; }, 4}),
    [](const auto& info) { return std::string(info.param.what); });

// A display the game can't run on: at the wrong depth, or one it can't draw on
// at all (OpenGL won't start).
struct DisplayCase {
  const char* what;
  void (*inject)(platform::test::TestBackend&);
};

class DisplayTest : public GameTest, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayTest, OnlyTheDisplayMessageThenTheEnd) {
  GetParam().inject(*b);
  EXPECT_FALSE(StartProgram());
  ASSERT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->boxes[0].prompt, kDisplayPrompt);
  EXPECT_EQ(b->boxes[0].title, "Error:");
  EXPECT_EQ(b->boxes[0].style, platform::vbCritical);
  EXPECT_EQ(Plays(b->soundLog), 0);
  EXPECT_EQ(state().DPlay, nullptr);
  EXPECT_TRUE(b->windowLog.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Displays, DisplayTest,
    ::testing::Values(DisplayCase{"Depth8", [](platform::test::TestBackend& t) { t.bpp = 8; }},
                      DisplayCase{"Depth24", [](platform::test::TestBackend& t) { t.bpp = 24; }},
                      DisplayCase{"Depth32", [](platform::test::TestBackend& t) { t.bpp = 32; }},
                      DisplayCase{"NoOpenGL",
                                  [](platform::test::TestBackend& t) {
                                    t.bpp = 16;
                                    t.displayUnusable = true;
                                  }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(StartupTest, NoSoundDeviceAndWrongDepthShowBothMessagesThenEnd) {
  for (bool unusable : {false, true}) {
    SCOPED_TRACE(unusable ? "no OpenGL" : "32 bits");
    SetUp();
    b->noSoundDevice = true;
    b->bpp = 32;
    b->displayUnusable = unusable;
    EXPECT_FALSE(StartProgram());
    ASSERT_EQ(b->boxes.size(), 2u);
    EXPECT_EQ(b->boxes[0].prompt, kSoundPrompt);
    EXPECT_EQ(b->boxes[1].prompt, kDisplayPrompt);
  }
}

class ConnectionCountTest : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(ConnectionCountTest, FewerThanTwoMethodsTakeTheNetworkFailurePath) {
  b->connectionMethods.resize(GetParam());
  ASSERT_TRUE(StartProgram());
  ASSERT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->boxes[0].prompt, kPlayPrompt);
  EXPECT_EQ(b->boxes[0].title, "Error initializing DirectPlay.");
  NewNetWindow& w = frmNewNet();
  EXPECT_EQ(w.lstConnections.ListCount(), GetParam());  // what was listed stays
  EXPECT_EQ(w.lstConnections.listIndex, -1);
  EXPECT_TRUE(w.cmdConnect.enabled);
  EXPECT_FALSE(w.cmdCreate.enabled || w.cmdJoin.enabled);
  EXPECT_TRUE(w.Visible());
  EXPECT_TRUE(state().SoundOn);  // sound is untouched by this path
  EXPECT_EQ(Plays(b->soundLog), 5);
}

INSTANTIATE_TEST_SUITE_P(Counts, ConnectionCountTest, ::testing::Values(0, 1));

// Finds a timer reading whose first random number gives the wanted suffix.
double TimerForSuffix(int wanted) {
  for (int i = 0; i < 2000000; ++i) {
    double t = 1.0 + i * 0.01;
    platform::ResetToolkit();  // a new process starts from the generator's first seed
    platform::Randomize(t);
    if (static_cast<int>(std::floor(platform::Rnd() * 10000.0)) == wanted) return t;
  }
  return -1;
}

TEST_F(StartupTest, SessionNameCarriesTheSuffixWithoutPadding) {
  for (int wanted : {0, 7, 9999}) {
    SCOPED_TRACE(wanted);
    double t = TimerForSuffix(wanted);
    ASSERT_GE(t, 0) << "no timer reading gives " << wanted;
    ResetWindows();
    b = &platform::test::Install();
    b->timer = t;
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(frmNewNet().SessionSuffix, wanted);
    EXPECT_EQ(frmNewNet().txtName.text, "TAKW" + std::to_string(wanted));
  }
}

TEST_F(StartupTest, RandomNumbersStayInTheUnitInterval) {
  platform::Randomize(12.5);
  for (int i = 0; i < 100000; ++i) {
    float u = platform::Rnd();
    ASSERT_GE(u, 0.0f);
    ASSERT_LT(u, 1.0f);
  }
}

TEST_F(StartupTest, ClosingTheOnlyWindowEndsTheProgram) {
  ASSERT_TRUE(StartProgram());
  b->Close(frmNewNet());
  platform::DoEvents();
  EXPECT_FALSE(frmNewNet().Loaded()) << "the program's loop ends with it";
  for (const auto& line : b->soundLog) EXPECT_NE(line.rfind("stop ", 0), 0u);
}

TEST_F(StartupTest, TheOptionBoxSetsTheSceneryFlag) {
  ASSERT_TRUE(StartProgram());
  NewNetWindow& w = frmNewNet();
  b->Click(w.Check1);
  platform::DoEvents();
  EXPECT_EQ(w.Check1.value, 0);
  EXPECT_FALSE(state().SceneryOn);
  b->Click(w.Check1);
  platform::DoEvents();
  EXPECT_TRUE(state().SceneryOn);
}

}  // namespace
}  // namespace kwinta::testing

// Whole matches at one computer, started from the start-up window: a scripted
// player (or two, sharing the mouse) shoots through five rounds to the result
// window, or leaves with Esc.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/sound.h"
#include "support/game_fixture.h"
#include "support/recorded_sounds.h"

namespace kwinta::testing {
namespace {

// How long a player holds the left button for each shot, in polls of the
// meter (8 each); 0 releases at once, 13 or more lets the meter overflow.
using Script = std::vector<int>;

struct Match {
  bool ended = false;
  std::vector<std::string> rounds;   // Label1 as it changed
  std::vector<std::string> results;  // the result windows that showed
  int flicks[2] = {0, 0};  // flicks launched (each swooshes): [0] LocalTurn False, [1] True
  int chargingFrames = 0, rendersWhileCharging = 0;
  std::vector<std::string> sounds;  // from the click on
  bool buttonsShutAtResult = false;
  int32_t home = 0, away = 0;
  std::string homeLabel, awayLabel;
};

class LocalMatchTest : public GameTest {
 protected:
  // Starts the program, clicks `button` and plays until the process ends;
  // `also` runs at every yield of the match (for Esc and the like).
  Match Play(platform::Button& (*button)(), const Script& side1, const Script& side2,
             std::function<void(VorletWindow&)> also = nullptr) {
    Match m;
    EXPECT_TRUE(StartProgram());
    UseRecordedSounds(*b);
    state().SoundOn = withSound;
    const size_t soundsFrom = b->soundLog.size();
    cursorBefore = b->cursorCount;
    VorletWindow& w = frmVorlet();
    const bool human = &button() == &frmNewNet().Command2;
    size_t shot[2] = {0, 0};
    bool holding = false;
    float target = 0;
    std::string shownResult;

    b->onYield = [&] {
      for (platform::Form* f :
           {static_cast<platform::Form*>(&frmHome()), static_cast<platform::Form*>(&frmAway()),
            static_cast<platform::Form*>(&frmTie())}) {
        if (f->Visible() && shownResult != f->name) {
          shownResult = f->name;
          m.buttonsShutAtResult = w.InFlight;
          m.results.push_back(f->name);
          b->ClickForm(*f);
        }
      }
      if (!w.Loaded() || !w.Visible()) return;
      if (m.rounds.empty() || m.rounds.back() != w.Label1.caption) {
        m.rounds.push_back(w.Label1.caption);
      }
      const bool local = state().LocalTurn;
      if (also) also(w);
      const bool open = !w.AnyPictures() && !w.InputBlocked && !w.InFlight && (human || local);
      if (!holding) {
        if (!open || w.MouseMode != 0) return;
        const Script& script = local ? side1 : side2;
        const int polls = script[shot[local ? 0 : 1]++ % script.size()];
        b->MouseDown(w.RMCanvas1, 1);
        if (polls == 0) {
          b->MouseUp(w.RMCanvas1, 1);
        } else {
          holding = true;
          target = 8.0f * polls;
        }
      } else if (!w.InFlight) {
        if (w.MouseMode != 1) {
          holding = false;  // the meter overflowed and shot by itself
        } else if (w.Power >= target && open) {
          b->MouseUp(w.RMCanvas1, 1);
          holding = false;
        }
      }
    };
    b->onCanvasRender = [&] {
      if (w.MouseMode == 1 && !w.InFlight && !w.KickMode && w.Power > 0 && w.Power <= 100) {
        ++m.rendersWhileCharging;
      }
    };
    int lastPower = -1;
    auto countCharge = b->onYield;
    b->onYield = [&, countCharge] {
      countCharge();
      if (w.Loaded() && w.MouseMode == 1 && !w.InFlight && w.Power > 0 &&
          static_cast<int>(w.Power) != lastPower) {
        ++m.chargingFrames;
      }
      lastPower = static_cast<int>(w.Power);
    };

    RecordedBuffer::onPlay = [&](const std::string& name) {
      if (name == "swoosh.daw") ++m.flicks[state().LocalTurn ? 1 : 0];
    };
    b->Click(button());
    try {
      platform::DoEvents();
    } catch (const platform::EndOfProcess&) {
      m.ended = true;
    }
    b->onYield = nullptr;
    b->onCanvasRender = nullptr;
    RecordedBuffer::onPlay = nullptr;
    m.sounds = {b->soundLog.begin() + static_cast<long>(soundsFrom), b->soundLog.end()};
    m.home = w.HomeScore;
    m.away = w.AwayScore;
    m.homeLabel = w.lblPlayer1.caption;
    m.awayLabel = w.lblPlayer2.caption;
    return m;
  }

  static platform::Button& VsComputer() { return frmNewNet().Command1; }
  static platform::Button& VsHuman() { return frmNewNet().Command2; }

  int ShowsOf(const std::string& window) const {
    return static_cast<int>(std::count(b->windowLog.begin(), b->windowLog.end(), "show " + window));
  }

  // What every finished match must show.
  void ExpectAProperEnd(const Match& m) {
    EXPECT_TRUE(m.ended) << "the match ends the process";
    const std::vector<std::string> rounds = {"Round: 1 of 5", "Round: 2 of 5", "Round: 3 of 5",
                                             "Round: 4 of 5", "Round: 5 of 5"};
    EXPECT_EQ(m.rounds, rounds);
    const char* expected = m.home > m.away ? "frmHome" : m.away > m.home ? "frmAway" : "frmTie";
    EXPECT_EQ(m.results, std::vector<std::string>{expected});
    EXPECT_EQ(ShowsOf("frmHome") + ShowsOf("frmAway") + ShowsOf("frmTie"), 1);
    EXPECT_TRUE(m.buttonsShutAtResult) << "the play view ignores the buttons once it is over";
    EXPECT_EQ(m.homeLabel, "Home Team Score: " + std::to_string(m.home));
    EXPECT_EQ(m.awayLabel, "Away Team Score: " + std::to_string(m.away));
    // The match opens with its whistle and the crowd ...
    const std::vector<std::string> opening = {"stop crowd2.daw",        "stop crowd.daw",
                                              "stop yeah2.daw",         "stop theme.daw",
                                              "play wis2.daw once",     "play guit2.daw once",
                                              "play crowd.daw looping", "play crowd2.daw looping"};
    ASSERT_GE(m.sounds.size(), opening.size() + 4);
    EXPECT_EQ(std::vector<std::string>(m.sounds.begin(), m.sounds.begin() + 8), opening);
    // ... and ends with the final whistle, the theme and the cheer of the result.
    const char* cheer = m.home > m.away   ? "play yeah2.daw once"
                        : m.away > m.home ? "play boo.daw once"
                                          : "play yeah.daw once";
    const std::vector<std::string> ending = {"play wis3.daw once", "play guit2.daw once",
                                             "play theme.daw looping", cheer};
    EXPECT_EQ(std::vector<std::string>(m.sounds.end() - 4, m.sounds.end()), ending);
    EXPECT_EQ(b->cursorCount, cursorBefore) << "the pointer is shown again at the end";
    // The start-up window went away before the play window came.
    auto hide = std::find(b->windowLog.begin(), b->windowLog.end(), "hide frmNewNet");
    auto show = std::find(b->windowLog.begin(), b->windowLog.end(), "show frmVorlet");
    EXPECT_TRUE(hide < show);
    EXPECT_EQ(m.rendersWhileCharging, 0) << "a held button keeps the frame from drawing";
  }

  int cursorBefore = 0;
  bool withSound = true;
};

class VsComputerTest : public LocalMatchTest, public ::testing::WithParamInterface<Script> {};

TEST_P(VsComputerTest, FiveRoundsAgainstTheComputerEndInTheRightResultWindow) {
  const Match m = Play(&VsComputer, GetParam(), {0});
  ExpectAProperEnd(m);
  EXPECT_GE(m.flicks[1], 5) << "the player shot in every round";
  EXPECT_GE(m.flicks[0], 5) << "so did the computer";
  EXPECT_GT(m.chargingFrames, 0);
}

INSTANTIATE_TEST_SUITE_P(Players, VsComputerTest,
                         ::testing::Values(Script{12, 3, 2}, Script{5, 13, 1, 9}, Script{0, 12, 7},
                                           Script{13}));

TEST_F(LocalMatchTest, TwoPlayersShareTheMouseForFiveRounds) {
  // The first player shoots hard; the second releases at once every time,
  // and force-0 flicks from the start spot can score nothing.
  const Match m = Play(&VsHuman, {12, 3, 2}, {0});
  ExpectAProperEnd(m);
  EXPECT_GE(m.flicks[1], 5);
  EXPECT_EQ(m.flicks[0], 15) << "three attempts in each of the second player's rounds";
  EXPECT_EQ(m.away, 0);
}

TEST_F(LocalMatchTest, TheSecondPlayerCanWinToo) {
  const Match m = Play(&VsHuman, {0}, {12, 3, 2});
  ExpectAProperEnd(m);
  EXPECT_EQ(m.home, 0);
  EXPECT_EQ(m.flicks[1], 15);
}

TEST_F(LocalMatchTest, ANilNilMatchIsATie) {
  const Match m = Play(&VsHuman, {0}, {0});
  ExpectAProperEnd(m);
  EXPECT_EQ(m.home, 0);
  EXPECT_EQ(m.away, 0);
  EXPECT_EQ(m.results, std::vector<std::string>{"frmTie"});
  EXPECT_EQ(m.sounds.back(), "play yeah.daw once");
}

TEST_F(LocalMatchTest, WithoutSoundTheSameMatchPlaysOutTheSameSilently) {
  const Match loud = Play(&VsComputer, {12, 3, 2}, {0});
  TearDown();
  SetUp();  // a new process
  withSound = false;
  const Match quiet = Play(&VsComputer, {12, 3, 2}, {0});
  EXPECT_TRUE(quiet.ended);
  EXPECT_EQ(quiet.rounds, loud.rounds);
  EXPECT_EQ(quiet.results, loud.results);
  EXPECT_EQ(quiet.home, loud.home);
  EXPECT_EQ(quiet.away, loud.away);
  EXPECT_TRUE(quiet.sounds.empty()) << "not a sound is played or stopped";
}

TEST_F(LocalMatchTest, AnAbandonedNetworkGameLeavesALocalMatchAsItShouldBe) {
  // A cancelled Create leaves this machine marked as host, and a failed Join
  // leaves the turn with this side: neither may shorten the match or hand the
  // first possession to the computer.
  state().IsHost = true;
  state().LocalTurn = true;
  int firstSide = 0;
  const Match m = Play(&VsComputer, {12, 3, 2}, {0}, [&](VorletWindow& w) {
    if (firstSide == 0) firstSide = w.ShootingSide;
  });
  ExpectAProperEnd(m);
  EXPECT_EQ(firstSide, 1);
}

TEST_F(LocalMatchTest, EscapeInTheMiddleOfAMatchEndsItWithTheWhistle) {
  bool pressed = false;
  const Match m = Play(&VsComputer, {12, 3, 2}, {0}, [&](VorletWindow& w) {
    if (!pressed && w.Label1.caption == "Round: 2 of 5" && !state().LocalTurn) {
      pressed = true;
      b->KeyDown(w.RMCanvas1, 27);
    }
  });
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(m.ended);
  EXPECT_TRUE(m.results.empty()) << "no result window after Esc";
  ASSERT_FALSE(m.sounds.empty());
  EXPECT_EQ(m.sounds.back(), "play wis3.daw once");
  EXPECT_EQ(b->cursorCount, cursorBefore);
}

}  // namespace
}  // namespace kwinta::testing

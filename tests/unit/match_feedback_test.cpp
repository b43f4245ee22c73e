// What the players are shown: the result pictures with their sounds and
// their wait, the turn markers, the shots, round and score labels.
#include <string>
#include <vector>

#include "match_support.h"
#include "support/fake_link.h"

namespace kwinta::testing {
namespace {

using Sounds = std::vector<std::string>;

class FeedbackTest : public MatchTest {
 protected:
  struct Showing {
    int yieldsVisible = 0;        // yields with the picture up
    bool repaintedFirst = false;  // the window was repainted before the wait began
    bool blockedAll = true;       // input blocked and AnyPictures at each of them
    bool othersHidden = true;
    bool pictureUpAtASound = false;
    Sounds sounds;
  };
  Showing Show(int16_t mes) {
    Showing s;
    const size_t from = b->soundLog.size();
    RecordedBuffer::onPlay = [&](const std::string&) {
      s.pictureUpAtASound |= w().Picture(mes).visible;
    };
    const int repaints = b->repaints;
    b->onYield = [&] {
      if (!w().Picture(mes).visible) return;
      if (s.yieldsVisible == 0) s.repaintedFirst = b->repaints > repaints;
      ++s.yieldsVisible;
      s.blockedAll = s.blockedAll && w().InputBlocked && w().AnyPictures();
      for (int other = 1; other <= 7; ++other) {
        if (other != mes) s.othersHidden = s.othersHidden && !w().Picture(other).visible;
      }
    };
    w().ShowMessage(mes);
    b->onYield = nullptr;
    RecordedBuffer::onPlay = nullptr;
    s.sounds = LogSince(b->soundLog, from);
    return s;
  }
};

TEST_F(FeedbackTest, EachResultPictureHasItsSoundsForTheSideThatShot) {
  struct Case {
    int16_t mes;
    Sounds home, away;
  } cases[] = {
      {1, {"play yeah.daw once"}, {}},
      {2, {"play boo.daw once"}, {"play yeah2.daw once"}},
      {3,
       {"play yeah2.daw once", "play wis2.daw once"},
       {"play boo.daw once", "play wis2.daw once"}},
      {4, {}, {"play yeah2.daw once"}},
      {5, {"play yeah.daw once"}, {}},
      {6, {"play wis1.daw once"}, {"play yeah.daw once", "play wis1.daw once"}},
      {7, {}, {"play yeah2.daw once"}},
  };
  for (const char* mode : {"Computer", "Human"}) {
    ResetWindows();
    Open(mode);
    UseRecordedSounds(*b);
    for (const Case& c : cases) {
      for (bool localTurn : {true, false}) {
        SCOPED_TRACE(std::string(mode) + " picture " + std::to_string(c.mes) +
                     (localTurn ? " home" : " away"));
        state().LocalTurn = localTurn;
        const Showing s = Show(c.mes);
        EXPECT_EQ(s.sounds, localTurn ? c.home : c.away);
        EXPECT_FALSE(s.pictureUpAtASound) << "the sounds start before the picture shows";
        EXPECT_EQ(s.yieldsVisible, 3000);
        EXPECT_TRUE(s.repaintedFirst);
        EXPECT_TRUE(s.blockedAll);
        EXPECT_TRUE(s.othersHidden);
        EXPECT_FALSE(w().Picture(c.mes).visible);
        EXPECT_FALSE(w().InputBlocked);
        EXPECT_FALSE(w().AnyPictures());
        EXPECT_TRUE(w().RMCanvas1.HasFocus());
      }
    }
  }
}

TEST_F(FeedbackTest, WithSoundOffEveryPictureStillShowsForItsFullTime) {
  Open();
  ASSERT_FALSE(state().SoundOn);
  for (int16_t mes = 1; mes <= 7; ++mes) {
    SCOPED_TRACE("picture " + std::to_string(mes));
    const Showing s = Show(mes);
    EXPECT_TRUE(s.sounds.empty());
    EXPECT_EQ(s.yieldsVisible, 3000);
  }
}

TEST_F(FeedbackTest, TheMouseIsIgnoredWhileAPictureShowsAndWorksAfterwards) {
  Open();
  int yields = 0;
  b->onYield = [&] {
    if (++yields == 1000) b->MouseDown(w().RMCanvas1, 1);
    if (yields == 1500) b->MouseUp(w().RMCanvas1, 1);
  };
  w().ShowMessage(7);
  b->onYield = nullptr;
  EXPECT_EQ(w().MouseMode, 0);
  EXPECT_EQ(w().ShotsLeft, 3) << "the release launched nothing";
  b->MouseDown(w().RMCanvas1, 1);
  platform::DoEvents();
  EXPECT_EQ(w().MouseMode, 1);
}

TEST_F(FeedbackTest, ShowMessageRedrawsTheTurnAndTheShotsFirst) {
  Open();
  w().ShootingSide = 2;
  w().ShotsLeft = 1;
  w().RoundNo = 4;
  bool redrawnBeforeTheWait = false;
  b->onYield = [&] {
    redrawnBeforeTheWait = w().Label2.caption == "Shots: 1" && w().Label4.visible &&
                           w().Label1.caption == "Round: 4 of 5";
    b->onYield = nullptr;
  };
  w().ShowMessage(2);
  EXPECT_TRUE(redrawnBeforeTheWait);
}

TEST_F(FeedbackTest, TheTurnMarkersAndColoursFollowTheShootingSide) {
  Open();
  constexpr uint32_t kBright = 65535, kDull = 49344;
  struct Case {
    int16_t side;
    uint32_t home, away;
    bool homeMarker, awayMarker;
  } cases[] = {
      {1, kBright, kDull, true, false},
      {2, kDull, kBright, false, true},
      {0, kDull, kDull, true, false},  // neither: the later step wins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("side " + std::to_string(c.side));
    w().ShootingSide = c.side;
    w().ShotsLeft = 2;
    w().RoundNo = 3;
    w().lblPlayer1.caption = "kept";
    w().TurnColor();
    EXPECT_EQ(w().lblPlayer1.foreColor, c.home);
    EXPECT_EQ(w().lblPlayer2.foreColor, c.away);
    EXPECT_EQ(w().Label3.visible, c.homeMarker);
    EXPECT_EQ(w().Label4.visible, c.awayMarker);
    EXPECT_EQ(w().Label2.caption, "Shots: 2");
    EXPECT_EQ(w().Label1.caption, "Round: 3 of 5");
    EXPECT_EQ(w().lblPlayer1.caption, "kept") << "the score texts are not touched";
  }
}

TEST_F(FeedbackTest, RightAfterTheBallPassesToSideTwoOnlyItsMarkerShows) {
  Open();
  w().Reset();
  EXPECT_TRUE(w().Label4.visible);
  EXPECT_FALSE(w().Label3.visible);
  EXPECT_EQ(w().lblPlayer2.foreColor, 65535u);
  EXPECT_EQ(w().lblPlayer1.foreColor, 49344u);
  EXPECT_EQ(w().Label2.caption, "Shots: 3");
}

TEST_F(FeedbackTest, PostScoreWritesTheScoresAndTheRoundButNoColours) {
  Open();
  struct Case {
    int32_t home, away;
    int16_t round;
    const char *homeText, *awayText, *roundText;
  } cases[] = {
      {0, 0, 1, "Home Team Score: 0", "Away Team Score: 0", "Round: 1 of 5"},
      {7, 12, 3, "Home Team Score: 7", "Away Team Score: 12", "Round: 3 of 5"},
      {50, 9, 5, "Home Team Score: 50", "Away Team Score: 9", "Round: 5 of 5"},
  };
  for (const Case& c : cases) {
    w().HomeScore = c.home;
    w().AwayScore = c.away;
    w().RoundNo = c.round;
    const uint32_t homeColour = w().lblPlayer1.foreColor, awayColour = w().lblPlayer2.foreColor;
    const bool marker3 = w().Label3.visible, marker4 = w().Label4.visible;
    w().PostScore();
    EXPECT_EQ(w().lblPlayer1.caption, c.homeText);
    EXPECT_EQ(w().lblPlayer2.caption, c.awayText);
    EXPECT_EQ(w().Label1.caption, c.roundText);
    EXPECT_EQ(w().lblPlayer1.foreColor, homeColour);
    EXPECT_EQ(w().lblPlayer2.foreColor, awayColour);
    EXPECT_EQ(w().Label3.visible, marker3);
    EXPECT_EQ(w().Label4.visible, marker4);
  }
}

TEST_F(FeedbackTest, AnyPicturesLooksAtAllSevenBoxes) {
  Open();
  EXPECT_FALSE(w().AnyPictures()) << "none when the window has just loaded";
  for (int mes = 1; mes <= 7; ++mes) {
    w().Picture(mes).visible = true;
    EXPECT_TRUE(w().AnyPictures()) << "picture " << mes;
    w().Picture(mes).visible = false;
    EXPECT_FALSE(w().AnyPictures());
  }
  w().Picture2.visible = w().Picture7.visible = true;
  EXPECT_TRUE(w().AnyPictures());
}

TEST_F(FeedbackTest, TheResultPicturesSitWhereTheWindowPutsThem) {
  Open();
  const int tops[] = {112, 144, 56, 176, 88, 240, 208};
  for (int mes = 1; mes <= 7; ++mes) {
    const platform::PictureBox& p = w().Picture(mes);
    EXPECT_EQ(p.left, 432);
    EXPECT_EQ(p.top, tops[mes - 1]);
    EXPECT_EQ(p.width, 201);
    EXPECT_EQ(p.height, 177);
  }
}

TEST_F(FeedbackTest, TheWaitsBlockTheMouseForTheirWholeTimeAndUnblockAfter) {
  auto link = AttachFakeLink(state().DPlay);  // the shorter wait polls the network
  Open("INET");
  struct Wait {
    const char* what;
    void (VorletWindow::*wait)();
    int yields;
  } waits[] = {{"MyDelay", &VorletWindow::MyDelay, 3000},
               {"MyDelay2", &VorletWindow::MyDelay2, 1000}};
  for (const Wait& wt : waits) {
    SCOPED_TRACE(wt.what);
    int yields = 0;
    bool blocked = true;
    b->onYield = [&] {
      ++yields;
      blocked = blocked && w().InputBlocked;
    };
    (w().*wt.wait)();
    b->onYield = nullptr;
    EXPECT_EQ(yields, wt.yields);
    EXPECT_TRUE(blocked);
    EXPECT_FALSE(w().InputBlocked);
  }
}

}  // namespace
}  // namespace kwinta::testing

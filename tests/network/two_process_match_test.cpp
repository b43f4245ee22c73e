// Whole network matches between two processes on 127.0.0.1 (see
// match_processes.h): both sides play to the end with mirrored scores, or the
// host notices the joiner's end when it presses Esc, dies showing a result,
// or is killed without a word in the middle of the match.
#include <signal.h>

#include <string>

#include "network/match_processes.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

class TwoProcessMatchTest : public GameTest, public ::testing::WithParamInterface<Script> {};

// Both ended by themselves after five rounds, with mirrored scores and
// result windows, and neither saw the other leave.
void ExpectBothPlayedToTheEnd(const MatchRun& run) {
  EXPECT_TRUE(ExitedWith(run.hostStatus, 0)) << run.hostStatus;
  EXPECT_TRUE(ExitedWith(run.joinStatus, 0)) << run.joinStatus;
  ASSERT_TRUE(run.hostReported);
  ASSERT_TRUE(run.joinReported);
  const Outcome& host = run.host;
  const Outcome& joiner = run.joiner;
  EXPECT_EQ(host.home, joiner.away);
  EXPECT_EQ(host.away, joiner.home);
  EXPECT_EQ(host.rounds, 5);
  EXPECT_EQ(joiner.rounds, 5);
  EXPECT_GE(host.shots, 5);
  EXPECT_GE(joiner.shots, 5);
  EXPECT_EQ(host.disconnectBox, 0);
  EXPECT_EQ(joiner.disconnectBox, 0);
  // The result windows agree: a home win on one side is an away win on the other.
  const int mirrored[] = {0, 2, 1, 3};
  ASSERT_NE(host.resultWindow, 0);
  EXPECT_EQ(joiner.resultWindow, mirrored[host.resultWindow]);
}

TEST_P(TwoProcessMatchTest, BothSidesPlayToTheEndWithMirroredScores) {
  const MatchRun run = PlayMatch(GetParam());
  ExpectBothPlayedToTheEnd(run);
  RecordProperty("host_score", std::to_string(run.host.home) + "-" + std::to_string(run.host.away));
}

INSTANTIATE_TEST_SUITE_P(
    Players, TwoProcessMatchTest,
    ::testing::Values(Script{"Mixed",
                             {96, 64, 104, 80, 40, 88},
                             {72, 104, 56, 96, 88, 48},
                             {0, 12, -20, 6},
                             {-8, 0, 16, -4}},
                      Script{"Soft", {48, 48, 48}, {32, 64, 96}, {3, -3}, {5, -5, 0}},
                      Script{"Strong", {100, 92}, {92, 100}, {2}, {-2}}),
    [](const auto& info) { return std::string(info.param.what); });

using TwoProcessEndingTest = GameTest;

TEST_F(TwoProcessEndingTest, AJoinerThatPressesEscEndsTheHostsMatch) {
  const MatchRun run = PlayMatch({"Esc", {96, 64}, {72, 56}, {0}, {0}, Leaving::EscAtItsThirdShot});
  EXPECT_TRUE(ExitedWith(run.hostStatus, 0)) << run.hostStatus;
  EXPECT_TRUE(ExitedWith(run.joinStatus, 0)) << run.joinStatus;
  ASSERT_TRUE(run.hostReported);
  ASSERT_TRUE(run.joinReported);
  EXPECT_EQ(run.joiner.shots, 2);
  EXPECT_EQ(run.joiner.disconnectBox, 0);
  EXPECT_EQ(run.joiner.resultWindow, 0);
  EXPECT_EQ(run.host.disconnectBox, 1);
  EXPECT_EQ(run.host.resultWindow, 0);
  EXPECT_LT(run.host.rounds, 5);
}

// A player reading a message box is no lost peer: both sessions go on
// answering while it is open, and the match goes on after it.
TEST_F(TwoProcessEndingTest, AMessageBoxOpenLongerThanThePeerTimeOutLeavesTheMatchGoing) {
  const MatchRun run =
      PlayMatch({"Box", {96, 64}, {72, 56}, {0}, {0}, Leaving::ReadsABoxAtItsThirdShot});
  ExpectBothPlayedToTheEnd(run);
}

// The joiner died by SIGKILL, saying nothing; the host told its player and
// ended its match before the last round.
void ExpectTheHostNoticedTheJoinerDie(const MatchRun& run) {
  EXPECT_TRUE(WIFSIGNALED(run.joinStatus) && WTERMSIG(run.joinStatus) == SIGKILL) << run.joinStatus;
  EXPECT_FALSE(run.joinReported);
  EXPECT_TRUE(ExitedWith(run.hostStatus, 0)) << run.hostStatus;
  ASSERT_TRUE(run.hostReported);
  EXPECT_EQ(run.host.disconnectBox, 1);
  EXPECT_EQ(run.host.resultWindow, 0);
  EXPECT_LT(run.host.rounds, 5);
}

TEST_F(TwoProcessEndingTest, AJoinerThatDiesWhileShowingAResultEndsTheHostsWaitForContinue) {
  const MatchRun run = PlayMatch({"Dies", {96}, {104}, {0}, {0}, Leaving::DiesShowingAResult});
  ExpectTheHostNoticedTheJoinerDie(run);
  // The host held the joiner's picture, waiting for its "Continue".
  EXPECT_EQ(run.host.pictureAtBox, 1);
}

// Nothing says goodbye: the host's session layer notices the silence, and the
// match ends with the same message well inside ten seconds (the time itself
// is measured by bench/peer_loss_time).
TEST_F(TwoProcessEndingTest, AJoinerKilledMidMatchEndsTheHostsMatchWithinSeconds) {
  const MatchRun run =
      PlayMatch({"Killed", {96, 64}, {72, 56}, {0}, {0}, Leaving::KilledAtItsThirdShot});
  ASSERT_NE(run.killedAtNs, 0) << "the joiner never reached its third shot";
  ExpectTheHostNoticedTheJoinerDie(run);
  EXPECT_GT(run.KillToBoxMs(), 0);
  EXPECT_LT(run.KillToBoxMs(), 10000);
  RecordProperty("kill_to_message_ms", std::to_string(static_cast<int>(run.KillToBoxMs())));
}

}  // namespace
}  // namespace kwinta::testing

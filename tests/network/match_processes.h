// Whole network matches between two processes on 127.0.0.1. Each child runs
// the real game code on its own test back end with a scripted player and the
// real ENet session layer: one creates a session, the other joins it, and
// both play the match. The parent collects how each side ended. Shared by the
// two-process tests and the benchmark of how soon a lost peer is noticed.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/state.h"
#include "app/windows.h"
#include "network/loopback.h"
#include "platform/error.h"
#include "platform/test/test_backend.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta::testing {

// What a child reports through its pipe.
struct Outcome {
  int32_t home = -1, away = -1;
  int32_t rounds = -1;
  int32_t shots = 0;          // presses of the left button on the play view
  int32_t resultWindow = 0;   // 1 home, 2 away, 3 tie, 0 none
  int32_t disconnectBox = 0;  // "Away Team Disconnected!", titled "Game Over:", was shown
  int32_t pictureAtBox = 0;   // a result picture was held when it was shown
  int64_t boxAtNs = 0;        // when it was shown, on the steady clock
};

enum ChildFailure {
  kNoPort = 10,
  kNotListed = 11,
  kLobbyReturned = 12,
  kFailed = 13,
  kNoOutcomeWritten = 14,
};

// How the joiner leaves the match (or stops in it for a while).
enum class Leaving {
  AtTheEnd,
  ReadsABoxAtItsThirdShot,  // a message box stays open longer than the peer time-out
  EscAtItsThirdShot,
  DiesShowingAResult,
  KilledAtItsThirdShot,  // tells the parent, which kills it without a word
};

struct Script {
  const char* what;
  std::vector<float> hostPowers, joinPowers;
  std::vector<int> hostTurns, joinTurns;
  Leaving leaving = Leaving::AtTheEnd;
};

inline int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

inline bool ReadAll(int fd, void* data, size_t n, int timeoutMs) {
  auto* p = static_cast<uint8_t*>(data);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (n > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd pf{fd, POLLIN, 0};
    if (poll(&pf, 1, static_cast<int>(left)) != 1) return false;
    const ssize_t got = read(fd, p, n);
    if (got <= 0) return false;
    p += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

// A player that shoots whenever it may: it turns the aim a little, holds the
// left button and lets go at the next power of its list (past 100 the shot
// goes off by itself); it closes the result window at the end.
class ScriptedPlayer {
 public:
  ScriptedPlayer(platform::test::TestBackend& b, std::vector<float> powers, std::vector<int> turns,
                 Leaving leaving, int midMatchOut)
      : b_(b),
        powers_(std::move(powers)),
        turns_(std::move(turns)),
        leaving_(leaving),
        midMatchOut_(midMatchOut) {}

  void OnYield() {
    VorletWindow& v = frmVorlet();
    if (!v.Loaded()) return;
    for (PictureWindow* f : {&frmHome(), &frmAway(), &frmTie()}) {
      if (f->Visible()) b_.ClickForm(*f);
    }
    if (leaving_ == Leaving::DiesShowingAResult && state().LocalTurn && v.AnyPictures()) {
      // Its "RESULT" has gone out; its "Continue" never will.
      raise(SIGKILL);
    }
    if (v.MouseMode == 1) {
      if (v.Power >= target_) b_.MouseUp(v.RMCanvas1, 1);
      return;
    }
    if (!state().LocalTurn || v.InFlight || v.InputBlocked || v.AnyPictures()) return;
    if (v.MouseMode == 0 && ++waited_ > 5) {
      waited_ = 0;
      if (shots_ == 2 && leaving_ == Leaving::ReadsABoxAtItsThirdShot && !boxRead_) {
        boxRead_ = true;
        b_.boxOpenRealMs = kBoxOpenMs;
        platform::MsgBox("Your IP address is: 127.0.0.1", platform::vbOKOnly, "IP Address:");
        b_.boxOpenRealMs = 0;
        return;
      }
      if (shots_ == 2 && leaving_ == Leaving::EscAtItsThirdShot) {
        b_.KeyDown(v.RMCanvas1, 27);
        return;
      }
      if (shots_ == 2 && leaving_ == Leaving::KilledAtItsThirdShot && !told_) {
        // Plays on until the parent's kill lands.
        const char now = 'k';
        told_ = write(midMatchOut_, &now, 1) == 1;
      }
      target_ = powers_[shots_ % powers_.size()];
      b_.MovePointer(turns_[shots_ % turns_.size()], 0);
      ++shots_;
      b_.MouseDown(v.RMCanvas1, 1);
    }
  }
  int32_t shots() const { return shots_; }
  // Well beyond the longest a lost peer takes to be noticed (about 4.3 s).
  static constexpr int32_t kBoxOpenMs = 6000;

 private:
  platform::test::TestBackend& b_;
  std::vector<float> powers_;
  std::vector<int> turns_;
  Leaving leaving_;
  int midMatchOut_;
  bool told_ = false;
  bool boxRead_ = false;
  float target_ = 0;
  int32_t shots_ = 0;
  int waited_ = 0;
};

inline Outcome Finish(platform::test::TestBackend& b, const ScriptedPlayer& player, Outcome o) {
  VorletWindow& v = frmVorlet();
  o.home = v.HomeScore;
  o.away = v.AwayScore;
  o.rounds = v.RoundNo;
  o.shots = player.shots();
  for (const std::string& line : b.windowLog) {
    if (line == "show frmHome") o.resultWindow = 1;
    if (line == "show frmAway") o.resultWindow = 2;
    if (line == "show frmTie") o.resultWindow = 3;
  }
  return o;
}

// The pipes between the parent and its two children.
struct MatchPipes {
  int portIn, portOut;  // the host's port, host → joiner
  int midMatchOut;      // the joiner's word that it may be killed now
};

// The body of a child: the lobby, then the match until the program ends. The
// session layer runs on the game's own time-outs.
[[noreturn]] inline void RunChild(const Script& script, bool host, const MatchPipes& pipes,
                                  int resultOut) {
  int code = kFailed;
  try {
    ResetWindows();
    ResetState();
    platform::test::TestBackend& b = platform::test::Install();
    b.yieldLimit = 2'000'000'000;
    ScriptedPlayer player(b, host ? script.hostPowers : script.joinPowers,
                          host ? script.hostTurns : script.joinTurns,
                          host ? Leaving::AtTheEnd : script.leaving, pipes.midMatchOut);
    Outcome outcome;
    b.onMessageBox = [&](const std::string& prompt, int style, const std::string& title) {
      if (prompt == "Away Team Disconnected!" && title == "Game Over:" &&
          style == platform::vbOKOnly) {
        outcome.disconnectBox = 1;
        outcome.pictureAtBox = frmVorlet().AnyPictures() ? 1 : 0;
        outcome.boxAtNs = SteadyNs();
      }
    };
    bool portSent = false;
    b.onYield = [&] {
      if (host && !portSent && frmNewNet().WaitingForPlayer) {
        const uint16_t port = state().DPlay->SessionPort();
        portSent = write(pipes.portOut, &port, sizeof port) == sizeof port;
      }
      player.OnYield();
    };
    try {
      frmNewNet().Show();
      NewNetWindow& w = frmNewNet();
      if (host) {
        b.promptAnswers.push_back("");  // the host searches nowhere
        b.Click(w.cmdConnect);
        platform::DoEvents();
        b.Click(w.cmdCreate);
        platform::DoEvents();  // the wait and the whole match
      } else {
        uint16_t port = 0;
        if (!ReadAll(pipes.portIn, &port, sizeof port, 30000)) _exit(kNoPort);
        b.promptAnswers.push_back("127.0.0.1:" + std::to_string(port));
        b.Click(w.cmdConnect);
        platform::DoEvents();
        for (int i = 0; i < 50 && w.lstSessions.ListCount() == 0; ++i) {
          b.Click(w.Command4);
          platform::DoEvents();
        }
        if (w.lstSessions.ListCount() == 0) _exit(kNotListed);
        b.SelectItem(w.lstSessions, 0);
        platform::DoEvents();
        b.Click(w.cmdJoin);
        platform::DoEvents();  // the whole match
      }
      code = kLobbyReturned;
    } catch (const platform::EndOfProcess&) {
      b.onYield = nullptr;
      const Outcome o = Finish(b, player, outcome);
      code = write(resultOut, &o, sizeof o) == sizeof o ? 0 : kNoOutcomeWritten;
      // The joiner stays until the host has gone, so that the host's match
      // ends as it would, not by the joiner's departure.
      if (!host && state().DPlay) WaitForPeerGone(*state().DPlay, 30000);
      state().DPlay.reset();  // says goodbye
    }
  } catch (...) {
    code = kFailed;
  }
  _exit(code);
}

// A child's exit status. Each child ends by itself; one that has not within
// a minute is stopped, and reads as -1, so that the run fails.
inline int Reap(pid_t pid) {
  if (pid <= 0) return -1;
  int status = 0;
  for (int i = 0; i < 600; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

struct MatchRun {
  int hostStatus = -1, joinStatus = -1;
  bool hostReported = false, joinReported = false;
  Outcome host, joiner;
  int64_t killedAtNs = 0;  // when the parent killed the joiner (0: it did not)
  double KillToBoxMs() const {
    return killedAtNs == 0 || host.boxAtNs == 0 ? -1 : (host.boxAtNs - killedAtNs) / 1e6;
  }
};

inline MatchRun PlayMatch(const Script& script) {
  MatchRun run;
  int portPipe[2], midMatch[2], hostResult[2], joinResult[2];
  if (pipe(portPipe) != 0 || pipe(midMatch) != 0 || pipe(hostResult) != 0 ||
      pipe(joinResult) != 0) {
    return run;
  }
  const MatchPipes pipes{portPipe[0], portPipe[1], midMatch[1]};
  fflush(nullptr);
  // Both children start before any session exists, so they share no socket.
  const pid_t hostPid = fork();
  if (hostPid == 0) RunChild(script, true, pipes, hostResult[1]);
  const pid_t joinPid = fork();
  if (joinPid == 0) RunChild(script, false, pipes, joinResult[1]);
  for (int fd : {portPipe[0], portPipe[1], midMatch[1], hostResult[1], joinResult[1]}) close(fd);
  char word = 0;
  if (script.leaving == Leaving::KilledAtItsThirdShot && joinPid > 0 &&
      ReadAll(midMatch[0], &word, 1, 120000)) {
    kill(joinPid, SIGKILL);
    run.killedAtNs = SteadyNs();
  }
  if (hostPid > 0) run.hostReported = ReadAll(hostResult[0], &run.host, sizeof run.host, 240000);
  if (joinPid > 0) {
    run.joinReported = ReadAll(joinResult[0], &run.joiner, sizeof run.joiner, 60000);
  }
  run.hostStatus = Reap(hostPid);
  run.joinStatus = Reap(joinPid);
  for (int fd : {midMatch[0], hostResult[0], joinResult[0]}) close(fd);
  return run;
}

inline bool ExitedWith(int status, int code) {
  return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

}  // namespace kwinta::testing

// One run of the game as a child process: its standard error read as it
// comes, how it ended, and a way to end it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace kwinta::monkey {

struct GameEnd {
  bool signalled = false;
  int status = 0;  // the exit status, or the signal's number
};

class GameProcess {
 public:
  // Starts `program` with the monkey's environment; its standard output is
  // thrown away. Throws std::runtime_error when it can't be started.
  explicit GameProcess(const std::string& program);
  ~GameProcess();
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Reads what it wrote to stderr so far; notes its end once it has ended.
  void Poll();
  const std::optional<GameEnd>& Ended() const { return end_; }
  const std::vector<std::string>& ErrorLines() const { return lines_; }

  // Asks it to end as a desktop's log-out would (SIGTERM, which SDL turns
  // into a quit event); true when it ended within `seconds`.
  bool Terminate(double seconds);
  // Ends it for certain (SIGKILL) and waits for it.
  void Kill();
  // Whether a signal it died of was one the monkey sent.
  bool SentSignal(int signal) const;

 private:
  bool Read();  // false at the pipe's end
  void Reap(bool wait);

  pid_t pid_ = -1;
  int stderr_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
  std::optional<GameEnd> end_;
  bool terminated_ = false;
  bool killed_ = false;
};

}  // namespace kwinta::monkey

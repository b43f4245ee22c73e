#include "monkey/game_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace kwinta::monkey {

namespace {

// Enough to hold what comes before and with an X error's report.
constexpr size_t kKeptLines = 400;

}  // namespace

GameProcess::GameProcess(const std::string& program) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for the game's stderr");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("can't fork for the game");
  if (pid_ == 0) {
    dup2(fds[1], STDERR_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  stderr_ = fds[0];
  fcntl(stderr_, F_SETFL, O_NONBLOCK);
}

GameProcess::~GameProcess() {
  if (!end_) Kill();
  if (stderr_ >= 0) close(stderr_);
}

void GameProcess::Poll() {
  Read();
  if (!end_) Reap(false);
}

bool GameProcess::Read() {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(stderr_, buffer, sizeof buffer);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    partial_.append(buffer, static_cast<size_t>(n));
    for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
      lines_.push_back(partial_.substr(0, nl));
      partial_.erase(0, nl + 1);
      if (lines_.size() > kKeptLines) lines_.erase(lines_.begin());
    }
  }
}

void GameProcess::Reap(bool wait) {
  int st = 0;
  pid_t got = waitpid(pid_, &st, wait ? 0 : WNOHANG);
  if (got != pid_) return;
  // The last lines may still be in the pipe: read to its end.
  for (;;) {
    pollfd p{stderr_, POLLIN, 0};
    if (poll(&p, 1, 1000) <= 0 || !Read()) break;
  }
  if (!partial_.empty()) lines_.push_back(partial_);
  partial_.clear();
  GameEnd e;
  e.signalled = WIFSIGNALED(st);
  e.status = e.signalled ? WTERMSIG(st) : WEXITSTATUS(st);
  end_ = e;
}

bool GameProcess::Terminate(double seconds) {
  if (end_) return true;
  terminated_ = true;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!end_ && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Poll();
  }
  return end_.has_value();
}

void GameProcess::Kill() {
  if (end_) return;
  killed_ = true;
  kill(pid_, SIGKILL);
  Reap(true);
}

bool GameProcess::SentSignal(int signal) const {
  return (signal == SIGTERM && terminated_) || (signal == SIGKILL && killed_);
}

}  // namespace kwinta::monkey

// What the end of one start of the game says: a normal end, the game's own
// end after an error it reports (main() prints "kwinta: ..." and returns 1),
// or a fault: an X error, a signal the monkey didn't send, another status,
// or (found while it ran) a hang.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "monkey/game_process.h"

namespace kwinta::monkey {

enum class Verdict { Normal, OwnError, XError, Crash, BadExit, Hang };

struct Judgement {
  Verdict verdict = Verdict::Normal;
  std::string text;  // e.g. "ended, status 0"

  bool Fault() const { return verdict >= Verdict::XError; }
};

// `sent` is the monkey's own SIGTERM or SIGKILL, if it sent one; `windows`
// names the game's windows by id, so that an X error can say whose it was.
Judgement Judge(const GameEnd& end, bool sent, const std::vector<std::string>& errorLines,
                const std::map<unsigned long, std::string>& windows);

}  // namespace kwinta::monkey

#include "monkey/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kwinta::monkey {

namespace {

void Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--seconds N] [--seed S] [--actions N] [--game PATH]\n"
               "          [--spare-lobby] [--verbose]\n"
               "Starts the game again and again under random input for N seconds (60),\n"
               "each start from a seed of its own; --seed runs one start from seed S.\n"
               "Needs an X display with XTEST and DAMAGE (DISPLAY).\n",
               program);
}

bool Number(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0' && out >= 0;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv, const std::string& defaultGame) {
  Options o;
  o.start.game = defaultGame;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    double n = 0;
    if (std::strcmp(a, "--spare-lobby") == 0) {
      o.start.spareLobby = true;
    } else if (std::strcmp(a, "--verbose") == 0) {
      o.start.verbose = true;
    } else if (value == nullptr) {
      Usage(argv[0]);
      return std::nullopt;
    } else if (std::strcmp(a, "--game") == 0) {
      o.start.game = value;
      ++i;
    } else if (std::strcmp(a, "--seed") == 0) {
      char* end = nullptr;
      o.seed = std::strtoull(value, &end, 10);
      if (end == value || *end != '\0') {
        Usage(argv[0]);
        return std::nullopt;
      }
      ++i;
    } else if (std::strcmp(a, "--seconds") == 0 && Number(value, n)) {
      o.seconds = n;
      o.secondsGiven = true;
      ++i;
    } else if (std::strcmp(a, "--actions") == 0 && Number(value, n) && n >= 1) {
      o.start.actions = long(n);
      ++i;
    } else {
      Usage(argv[0]);
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace kwinta::monkey

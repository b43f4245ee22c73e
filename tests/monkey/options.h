// The monkey's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "monkey/one_start.h"

namespace kwinta::monkey {

struct Options {
  StartSettings start;
  double seconds = 60;  // the whole run; starts go on until then
  bool secondsGiven = false;
  std::optional<uint64_t> seed;  // one start from this seed
};

// Parses argv; prints the usage and returns nothing on a bad command line.
std::optional<Options> ParseOptions(int argc, char** argv, const std::string& defaultGame);

}  // namespace kwinta::monkey

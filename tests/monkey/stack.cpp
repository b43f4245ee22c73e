#include "monkey/stack.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kwinta::monkey {

void PrintStack(pid_t pid) {
  if (std::system("command -v gdb >/dev/null 2>&1") != 0) return;
  std::fflush(stdout);
  const std::string command = "timeout 60 gdb -p " + std::to_string(pid) +
                              " -batch -nx -ex 'thread 1' -ex 'bt 30' 2>/dev/null"
                              " | grep '^#' | sed 's/^/monkey:   /'";
  if (std::system(command.c_str()) != 0) std::printf("monkey:   (no stack from gdb)\n");
  std::fflush(stdout);
}

}  // namespace kwinta::monkey

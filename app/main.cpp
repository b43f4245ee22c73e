// Kwinta: flick football on a tabletop.
#include <cstdio>
#include <exception>
#include <string>

#include "app/program.h"
#include "platform/backend.h"
#include "platform/error.h"
#include "platform/real/real_backend.h"
#include "platform/toolkit/toolkit.h"

namespace {

// The reason the game must end goes to stderr and, once there are windows,
// into a box too: a player started from a desktop sees no terminal.
void SayWhyTheGameEnds(const std::string& reason) {
  std::fprintf(stderr, "kwinta: %s\n", reason.c_str());
  if (!platform::HasBackend()) return;
  try {
    platform::MsgBox(reason, platform::vbCritical, "Error:");
  } catch (...) {
    // Closing the box ended the program some other way: it ends anyway.
  }
}

}  // namespace

int main() {
  try {
    platform::UseBackend(platform::real::CreateBackend());
    kwinta::RunProgram();
  } catch (const platform::EndOfProcess&) {
    return 0;
  } catch (const std::exception& e) {
    SayWhyTheGameEnds(e.what());
    return 1;
  }
  return 0;
}

// Kwinta: flick football on a tabletop.
#include <cstdio>
#include <exception>

#include "app/program.h"
#include "platform/error.h"
#include "platform/real/real_backend.h"

int main() {
  try {
    platform::UseBackend(platform::real::CreateBackend());
    kwinta::RunProgram();
  } catch (const platform::EndOfProcess&) {
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kwinta: %s\n", e.what());
    return 1;
  }
  return 0;
}

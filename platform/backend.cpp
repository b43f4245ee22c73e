#include "platform/backend.h"

#include "platform/error.h"
#include "platform/toolkit/prompt_window.h"

namespace platform {

namespace {
std::unique_ptr<Backend>& current() {
  static std::unique_ptr<Backend> b;
  return b;
}
}  // namespace

Backend& backend() {
  if (!current()) throw Error("no platform back end installed");
  return *current();
}

void UseBackend(std::unique_ptr<Backend> b) {
  current() = std::move(b);
}

bool HasBackend() {
  return current() != nullptr;
}

std::vector<std::string> Backend::ConnectionMethods() {
  return {"Local Network Connection (UDP)", "Internet TCP/IP Connection"};
}

std::string Backend::PromptText(const std::string& title, const std::string& prompt) {
  PromptWindow window(title, prompt);
  return window.Ask();
}

}  // namespace platform

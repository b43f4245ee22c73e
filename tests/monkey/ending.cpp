#include "monkey/ending.h"

#include <string.h>

#include <algorithm>
#include <cstdio>

namespace kwinta::monkey {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// Xlib's report of the first X error, on one line: the error, the request
// and the resource, named when it is one of the game's windows.
std::string XErrorReport(const std::vector<std::string>& lines,
                         const std::map<unsigned long, std::string>& windows) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("X Error") == std::string::npos) continue;
    std::string out = lines[i];
    for (size_t j = i + 1; j < lines.size() && j < i + 3; ++j) {
      if (!StartsWith(lines[j], "  ")) break;
      out += " |" + lines[j].substr(1);
      unsigned long id = 0;
      if (std::sscanf(lines[j].c_str(), "  Resource id in failed request: %lx", &id) == 1) {
        auto w = windows.find(id);
        if (w != windows.end()) out += " (the game's window \"" + w->second + "\")";
      }
    }
    // Xlib pads its fields with runs of spaces.
    out.erase(
        std::unique(out.begin(), out.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
        out.end());
    return out;
  }
  return "";
}

}  // namespace

Judgement Judge(const GameEnd& end, bool sent, const std::vector<std::string>& errorLines,
                const std::map<unsigned long, std::string>& windows) {
  // Xlib's default handler ends the program with status 1, so an X error is
  // known by its report, whatever the status.
  if (std::string x = XErrorReport(errorLines, windows); !x.empty()) return {Verdict::XError, x};
  if (end.signalled) {
    if (sent)
      return {Verdict::Normal, "ended by the monkey's signal " + std::to_string(end.status)};
    return {Verdict::Crash,
            "killed by signal " + std::to_string(end.status) + " (" + strsignal(end.status) + ")"};
  }
  if (end.status == 0) return {Verdict::Normal, "ended, status 0"};
  if (end.status == 1) {
    for (auto it = errorLines.rbegin(); it != errorLines.rend(); ++it) {
      if (StartsWith(*it, "kwinta: ")) {
        return {Verdict::OwnError, "ended itself with status 1 after \"" + *it + "\""};
      }
    }
  }
  std::string text = "exit status " + std::to_string(end.status);
  if (!errorLines.empty()) text += " after \"" + errorLines.back() + "\"";
  return {Verdict::BadExit, text};
}

}  // namespace kwinta::monkey

// The read-me's small markup drawn with Dear ImGui: "# " title, "## " heading,
// "### " sub-heading, "- " bullet, blank line between paragraphs; plain lines
// that follow each other make one wrapped paragraph.
#include <imgui.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/real/real_internal.h"

namespace platform::real {

namespace {

enum class Block { Title, Heading, SubHeading, Bullet, Paragraph };

struct Part {
  Block kind;
  std::string text;
};

std::vector<Part> Parse(const std::string& text) {
  std::vector<Part> parts;
  bool open = false;  // the last part may take more lines
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) {
      open = false;
      if (eol == text.size()) break;
      continue;
    }
    auto starts = [&](const char* mark) { return line.compare(0, strlen(mark), mark) == 0; };
    if (starts("### ")) {
      parts.push_back({Block::SubHeading, line.substr(4)});
      open = false;
    } else if (starts("## ")) {
      parts.push_back({Block::Heading, line.substr(3)});
      open = false;
    } else if (starts("# ")) {
      parts.push_back({Block::Title, line.substr(2)});
      open = false;
    } else if (line.compare(first, 2, "- ") == 0 || line.compare(first, 2, "* ") == 0) {
      parts.push_back({Block::Bullet, line.substr(first + 2)});
      open = true;
    } else if (open && (parts.back().kind == Block::Paragraph ||
                        (parts.back().kind == Block::Bullet && first > 0))) {
      parts.back().text += " " + line.substr(first);
    } else {
      parts.push_back({Block::Paragraph, line.substr(first)});
      open = true;
    }
    if (eol == text.size()) break;
  }
  return parts;
}

void Wrapped(ImFont* font, const std::string& text) {
  ImGui::PushFont(font);
  ImGui::PushTextWrapPos(0.0f);
  ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
  ImGui::PopTextWrapPos();
  ImGui::PopFont();
}

}  // namespace

void DrawRichText(const std::string& text, const Fonts& fonts, float /*width*/) {
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, {4, 2});
  bool first = true;
  Block previous = Block::Paragraph;
  for (const Part& part : Parse(text)) {
    // Space before each block; a little less between bullets of one list.
    if (!first) {
      float gap = 8;
      if (part.kind == Block::Bullet && previous == Block::Bullet) gap = 3;
      if (part.kind == Block::Title || part.kind == Block::Heading) gap = 12;
      ImGui::Dummy({0, gap});
    }
    first = false;
    previous = part.kind;
    switch (part.kind) {
      case Block::Title:
        Wrapped(fonts.Bold(22), part.text);
        break;
      case Block::Heading:
        Wrapped(fonts.Bold(17), part.text);
        break;
      case Block::SubHeading:
        Wrapped(fonts.Bold(14), part.text);
        break;
      case Block::Paragraph:
        Wrapped(fonts.Regular(13), part.text);
        break;
      case Block::Bullet: {
        ImFont* font = fonts.Regular(13);
        ImVec2 p = ImGui::GetCursorScreenPos();
        ImGui::GetWindowDrawList()->AddCircleFilled({p.x + 7, p.y + font->FontSize * 0.55f}, 2.2f,
                                                    ImGui::GetColorU32(ImGuiCol_Text), 12);
        ImGui::Indent(18);
        Wrapped(font, part.text);
        ImGui::Unindent(18);
        break;
      }
    }
  }
  ImGui::Dummy({0, 6});
  ImGui::PopStyleVar();
}

}  // namespace platform::real

// The retained control model: plain objects that hold each control's state
// (caption, text, enabled, visible, colour, value, list items, focus). The
// game and the tests read and write them; a back end only draws them and turns
// input into their events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Form;

enum class ControlKind {
  Label,
  Button,
  CheckBox,
  ListBox,
  TextBox,
  ProgressBar,
  PictureBox,
  RichTextBox,
  Canvas
};

// Colours are toolkit values: red in the low byte, then green, then blue.
constexpr uint32_t RGB(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

class Control {
 public:
  Control(Form& owner, std::string name, ControlKind kind);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  void Move(int left, int top, int width, int height);
  // Gives this control the keyboard focus of its window.
  void SetFocus();
  bool HasFocus() const;
  // Whether the control can hold the keyboard focus now.
  bool TakesFocus() const;

  Form& form;
  const std::string name;
  const ControlKind kind;
  int left = 0, top = 0, width = 0, height = 0;
  bool enabled = true;
  bool visible = true;
  // Runs when the control receives the focus (the read-me hands it on).
  std::function<void()> onGotFocus;
};

enum class Alignment { Left = 0, Right = 1, Center = 2 };

class Label : public Control {
 public:
  Label(Form& owner, std::string name) : Control(owner, std::move(name), ControlKind::Label) {}
  std::string caption;
  uint32_t foreColor = RGB(0, 0, 0);
  Alignment alignment = Alignment::Left;
  bool bold = false;
  float fontSize = 8.25f;  // points
  bool wordWrap = false;
};

class Button : public Control {
 public:
  Button(Form& owner, std::string name) : Control(owner, std::move(name), ControlKind::Button) {}
  std::string caption;
  std::function<void()> onClick;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& owner, std::string name)
      : Control(owner, std::move(name), ControlKind::CheckBox) {}
  int value = 0;  // 0 unchecked, 1 checked
  std::string caption;
  std::function<void()> onClick;  // after the value has changed
};

class ListBox : public Control {
 public:
  ListBox(Form& owner, std::string name) : Control(owner, std::move(name), ControlKind::ListBox) {}
  void AddItem(const std::string& item) { items.push_back(item); }
  void Clear() {
    items.clear();
    listIndex = -1;
  }
  int ListCount() const { return static_cast<int>(items.size()); }
  // Selects by 0-based index; an index outside the list raises an error.
  void SetListIndex(int index);

  std::vector<std::string> items;
  int listIndex = -1;  // -1: nothing selected
  std::function<void()> onClick;
};

class TextBox : public Control {
 public:
  TextBox(Form& owner, std::string name) : Control(owner, std::move(name), ControlKind::TextBox) {}
  std::string text;
  // Called with each typed character code before it edits the text; the
  // handler may set it to 0 to swallow the key. 13 is Enter.
  std::function<void(int16_t& keyAscii)> onKeyPress;
};

class ProgressBar : public Control {
 public:
  ProgressBar(Form& owner, std::string name)
      : Control(owner, std::move(name), ControlKind::ProgressBar) {}
  // Raises an error outside [min, max], as the meter's own property does.
  void SetValue(float v);
  float Value() const { return value; }
  float min = 0, max = 100;
  bool vertical = false;

 private:
  float value = 0;
};

class PictureBox : public Control {
 public:
  PictureBox(Form& owner, std::string name)
      : Control(owner, std::move(name), ControlKind::PictureBox) {}
  // The encoded image (PNG or BMP) built into the program; empty: none.
  std::string_view picture;
};

// Rich text in a small markup: "# " title, "## " heading, "### " sub-heading,
// "- " bullet, blank lines between paragraphs.
class RichTextBox : public Control {
 public:
  RichTextBox(Form& owner, std::string name)
      : Control(owner, std::move(name), ControlKind::RichTextBox) {}
  std::string text;
  float scroll = 0;
};

}  // namespace platform

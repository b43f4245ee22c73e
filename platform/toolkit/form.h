// A top-level window of fixed client size with a caption, an optional
// background picture drawn from the top left and the controls registered on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit/controls.h"

namespace platform {

enum class BorderStyle { FixedSingle, FixedToolWindow };

class Form {
 public:
  explicit Form(std::string name);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  // Loads the window if needed (design state, then Form_Load) and shows it.
  // Showing a shown window does nothing more.
  void Show();
  // Shows the window and yields to the event loop until it is unloaded.
  void ShowModal();
  void Hide();
  void Unload();
  // Repaints the window at once.
  void Refresh();

  bool Loaded() const { return loaded_; }
  bool Visible() const { return visible_; }
  bool Modal() const { return modal_; }
  int64_t hWnd() const { return reinterpret_cast<int64_t>(this); }

  const std::vector<Control*>& Controls() const { return controls_; }
  Control* ActiveControl() const { return active_; }

  const std::string name;
  std::string caption;
  int clientWidth = 320, clientHeight = 240;
  // The background image (PNG or BMP) built into the program; empty: none.
  std::string_view picture;
  BorderStyle border = BorderStyle::FixedSingle;
  bool centred = true;
  uint32_t backColor = RGB(192, 192, 192);

  // Event entry points, called by the event loop.
  virtual void Form_Click() {}
  virtual void Form_QueryClose() { Unload(); }

 protected:
  // Sets every control to its design state; runs at each load.
  virtual void Design() {}
  virtual void Form_Load() {}

 private:
  friend class Control;
  void Register(Control* c) { controls_.push_back(c); }

  std::vector<Control*> controls_;
  Control* active_ = nullptr;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
};

}  // namespace platform

// The picture windows (the three result front pages, the controls and the
// background panels) and the read-me window. Each is shown modally and holds
// no shared state.
#pragma once

#include <string>
#include <string_view>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"

namespace kwinta {

// A fixed window whose only content is its background picture; a click
// anywhere closes it.
class PictureWindow : public platform::Form {
 public:
  PictureWindow(std::string name, std::string caption, int width, int height,
                std::string_view picture, platform::BorderStyle border);
  void Form_Click() override;

 protected:
  void Design() override;

 private:
  const std::string designCaption_;
  const int designWidth_, designHeight_;
  const std::string_view designPicture_;
  const platform::BorderStyle designBorder_;
};

class TextWindow : public platform::Form {
 public:
  TextWindow();

  platform::RichTextBox RichTextBox1{*this, "RichTextBox1"};
  platform::Button Command1{*this, "Command1"};

  void Command1_Click();
  // The read-me box passes the keyboard focus on to "Continue..".
  void RichTextBox1_FocusRedirect();

 protected:
  void Design() override;
};

}  // namespace kwinta

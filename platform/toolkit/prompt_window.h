// A small modal window that asks for one line of text, with OK and Cancel.
#pragma once

#include <string>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"

namespace platform {

class PromptWindow : public Form {
 public:
  PromptWindow(std::string title, std::string prompt);

  // Shows the window modally; what was typed, or "" after Cancel or the close box.
  std::string Ask();

  Label Prompt{*this, "lblPrompt"};
  TextBox Answer{*this, "txtAnswer"};
  Button OK{*this, "cmdOK"};
  Button Cancel{*this, "cmdCancel"};

 protected:
  void Design() override;

 private:
  void Close(bool accepted);
  const std::string title_, prompt_;
  bool accepted_ = false;
};

}  // namespace platform

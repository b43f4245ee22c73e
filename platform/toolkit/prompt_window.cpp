#include "platform/toolkit/prompt_window.h"

namespace platform {

PromptWindow::PromptWindow(std::string title, std::string prompt)
    : Form("frmPrompt"), title_(std::move(title)), prompt_(std::move(prompt)) {}

void PromptWindow::Design() {
  caption = title_;
  clientWidth = 380;
  clientHeight = 132;
  centred = true;
  backColor = RGB(212, 208, 200);

  Prompt.caption = prompt_;
  Prompt.Move(12, 10, 356, 40);
  Prompt.wordWrap = true;
  Answer.Move(12, 54, 356, 24);
  Answer.text.clear();
  Answer.onKeyPress = [this](int16_t& key) {
    if (key == 13) {
      key = 0;
      Close(true);
    } else if (key == 27) {
      key = 0;
      Close(false);
    }
  };
  OK.caption = "OK";
  OK.Move(196, 92, 82, 28);
  OK.onClick = [this] { Close(true); };
  Cancel.caption = "Cancel";
  Cancel.Move(286, 92, 82, 28);
  Cancel.onClick = [this] { Close(false); };
}

void PromptWindow::Close(bool accepted) {
  accepted_ = accepted;
  Unload();
}

std::string PromptWindow::Ask() {
  accepted_ = false;
  ShowModal();  // the answer line is the first control, so it has the focus
  return accepted_ ? Answer.text : std::string();
}

}  // namespace platform

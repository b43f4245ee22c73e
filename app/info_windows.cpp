#include "app/info_windows.h"

#include "builtin_content.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

PictureWindow::PictureWindow(std::string name, std::string caption, int width, int height,
                             std::string_view picture, platform::BorderStyle border)
    : Form(std::move(name)),
      designCaption_(std::move(caption)),
      designWidth_(width),
      designHeight_(height),
      designPicture_(picture),
      designBorder_(border) {}

void PictureWindow::Design() {
  caption = designCaption_;
  clientWidth = designWidth_;
  clientHeight = designHeight_;
  picture = designPicture_;
  border = designBorder_;
  centred = true;
}

void PictureWindow::Form_Click() {
  Unload();
}

TextWindow::TextWindow() : Form("frmText") {}

void TextWindow::Design() {
  caption = "ReadMe";
  clientWidth = 570;
  clientHeight = 413;
  border = platform::BorderStyle::FixedSingle;
  centred = true;
  backColor = platform::RGB(212, 208, 200);

  RichTextBox1.Move(8, 8, 554, 358);
  RichTextBox1.text = content::readme_txt;
  RichTextBox1.onGotFocus = [this] { RichTextBox1_FocusRedirect(); };

  Command1.Move(225, 374, 120, 30);
  Command1.caption = "Continue..";
  Command1.onClick = [this] { Command1_Click(); };
}

void TextWindow::Command1_Click() {
  Unload();
}

void TextWindow::RichTextBox1_FocusRedirect() {
  Command1.SetFocus();
}

}  // namespace kwinta

#include "platform/toolkit/form.h"

#include "platform/backend.h"
#include "platform/toolkit/modal.h"
#include "platform/toolkit/toolkit.h"

namespace platform {

Form::Form(std::string name) : name(std::move(name)) {}

Form::~Form() = default;

void Form::Show() {
  if (!loaded_) {
    loaded_ = true;
    active_ = nullptr;
    Design();
    Form_Load();
    if (!loaded_) return;  // the load unloaded the window again
  }
  if (!visible_) {
    visible_ = true;
    backend().FormShown(*this);
    if (active_ == nullptr) {
      for (Control* c : controls_) {
        if (c->TakesFocus()) {
          c->SetFocus();
          break;
        }
      }
    }
  }
}

void Form::ShowModal() {
  if (visible_) return;
  ModalScope scope(*this);
  modal_ = true;
  Show();
  while (loaded_) DoEvents();
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  backend().FormHidden(*this);
}

void Form::Unload() {
  if (!loaded_) return;
  visible_ = false;
  loaded_ = false;
  modal_ = false;
  active_ = nullptr;
  backend().FormUnloaded(*this);
}

void Form::Refresh() {
  if (visible_) backend().RepaintNow(*this);
}

}  // namespace platform

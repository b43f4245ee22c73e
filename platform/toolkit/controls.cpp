#include "platform/toolkit/controls.h"

#include "platform/backend.h"
#include "platform/error.h"
#include "platform/toolkit/form.h"

namespace platform {

Control::Control(Form& owner, std::string name, ControlKind kind)
    : form(owner), name(std::move(name)), kind(kind) {
  owner.Register(this);
}

void Control::Move(int l, int t, int w, int h) {
  left = l;
  top = t;
  width = w;
  height = h;
}

void Control::SetFocus() {
  if (!form.Loaded() || !visible || !enabled) {
    throw Error("can't move the focus to " + name);
  }
  form.active_ = this;
  if (HasBackend()) backend().FocusChanged(form);
  if (onGotFocus) onGotFocus();
}

bool Control::HasFocus() const {
  return form.ActiveControl() == this;
}

bool Control::TakesFocus() const {
  switch (kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::ListBox:
    case ControlKind::TextBox:
    case ControlKind::RichTextBox:
    case ControlKind::Canvas:
      return enabled && visible;
    default:
      return false;
  }
}

void ListBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) {
    throw Error("list index out of range: " + std::to_string(index));
  }
  listIndex = index;
}

void ProgressBar::SetValue(float v) {
  if (!(v >= min && v <= max)) {
    throw Error("progress bar value out of range");
  }
  value = v;
}

}  // namespace platform

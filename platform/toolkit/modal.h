// The stack of windows shown modally; input reaches only the innermost one.
#pragma once

namespace platform {

class Form;

class ModalScope {
 public:
  explicit ModalScope(Form& form);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

// The innermost modal window, or null.
Form* TopModal();

// Forgets every modal window and reseeds the generator (between tests).
void ResetToolkit();

}  // namespace platform

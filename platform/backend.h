// What a back end supplies: the display, input, clock, sound and drawing. The
// real back end runs on SDL2, OpenGL, Dear ImGui and SDL_mixer; the test back
// end runs without a display on a virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/events.h"

namespace platform {

class Form;
class RMCanvas;
class SoundDevice;

class Backend {
 public:
  virtual ~Backend() = default;

  virtual int32_t Clock() = 0;  // milliseconds
  virtual double Timer() = 0;   // seconds since midnight, for seeding
  virtual std::string ProgramFolder() = 0;

  // Gathers pending input; when there is none, may wait for it up to about
  // `waitMs` milliseconds, or less when a window is due to be drawn.
  virtual void CollectEvents(std::vector<InputEvent>& out, int waitMs) = 0;
  // Draws every shown window whose state may have changed.
  virtual void Paint() = 0;
  virtual void FormShown(Form& form) = 0;
  virtual void FormHidden(Form& form) = 0;
  virtual void FormUnloaded(Form& form) = 0;
  virtual void RepaintNow(Form& form) = 0;
  virtual void FocusChanged(Form& /*form*/) {}

  // Shows a modal message box until it is closed, calling `whileOpen` on
  // every pass of its wait: the network sessions go on meanwhile.
  virtual void MessageBox(const std::string& prompt, int style, const std::string& title,
                          const std::function<void()>& whileOpen) = 0;

  // Depth in bits per pixel of the buffer the play view renders into; 0 when
  // the display can't be drawn on at all.
  virtual int SystemBpp() = 0;

  virtual int ShowCursor(bool show) = 0;
  virtual void GetCursorPos(int32_t& x, int32_t& y) = 0;
  virtual void MoveCursorAbsolute(int nx, int ny) = 0;  // 0..65535 each

  // Raises platform::Error when there is no sound device.
  virtual std::unique_ptr<SoundDevice> CreateSoundDevice() = 0;

  virtual void CanvasInit(RMCanvas& canvas) = 0;
  // Draws the canvas's scene through its camera and shows it.
  virtual void CanvasRender(RMCanvas& canvas) = 0;

  // Names of the network connection methods on offer.
  virtual std::vector<std::string> ConnectionMethods();

  // A modal prompt for one line of text (the network address dialog); returns
  // what was typed, "" when the field was left empty.
  virtual std::string PromptText(const std::string& title, const std::string& prompt);
};

// The back end in use; chosen once at start-up (tests install their own).
Backend& backend();
void UseBackend(std::unique_ptr<Backend> b);
bool HasBackend();

}  // namespace platform

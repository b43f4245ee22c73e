// A back end without display or sound card, for tests: a virtual millisecond
// clock that advances with every yield, injected input, recorded message boxes,
// sound and window events, and injectable failures.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/toolkit/controls.h"

namespace platform::test {

class TestBackend : public Backend {
 public:
  TestBackend();

  // --- what the test sets ---------------------------------------------------
  int32_t now = 1000;               // the virtual clock, in ms
  int32_t msPerYield = 1;           // how far each yield moves the clock
  int64_t yieldLimit = 20'000'000;  // a runaway loop fails the test instead of hanging
  double timer = 43200.5;           // seconds since midnight, for seeding
  std::string programFolder;        // default: the folder of the test executable
  int bpp = 16;
  // A display that can't be drawn on (OpenGL won't start), as the real back
  // end reports it: the depth reads 0 and showing a window fails.
  bool displayUnusable = false;
  bool noSoundDevice = false;
  bool refuseCooperativeLevel = false;
  std::set<std::string> missingSoundFiles;  // base names, e.g. "wis3.daw"
  std::vector<std::string> connectionMethods{"Local Network Connection (UDP)",
                                             "Internet TCP/IP Connection"};
  int screenWidth = 1024, screenHeight = 768;

  // Called on every yield before queued input is handed out: a scripted player.
  std::function<void()> onYield;
  // Called for each message box; the box is already recorded.
  std::function<void(const std::string& prompt, int style, const std::string& title)> onMessageBox;
  // How long, in real milliseconds, each message box stays open after that,
  // its wait passing as a real one does.
  int32_t boxOpenRealMs = 0;

  // --- injected input -------------------------------------------------------
  void Click(Control& c);
  void ClickForm(Form& f);
  void SelectItem(ListBox& list, int index);
  void KeyDown(Control& c, int code);
  void KeyUp(Control& c, int code);
  void Type(TextBox& box, const std::string& text);  // one KeyPress per character
  void MouseDown(Control& canvas, int button);
  void MouseUp(Control& canvas, int button);
  void Close(Form& f);
  void MovePointer(int32_t dx, int32_t dy) {
    cursorX += dx;
    cursorY += dy;
  }

  // --- what the test reads --------------------------------------------------
  struct Box {
    std::string prompt;
    int style;
    std::string title;
  };
  std::vector<Box> boxes;
  std::vector<std::string> soundLog;   // "load crowd.daw", "play crowd2.daw looping", "stop ..."
  std::vector<std::string> windowLog;  // "show frmNewNet", "hide ...", "unload ..."
  int64_t yields = 0;
  int lastWaitMs = -1;  // what the last yield was allowed to wait
  int canvasRenders = 0;
  int repaints = 0;
  int cursorCount = 0;  // display counter of the pointer: < 0 hidden
  int32_t cursorX = 300, cursorY = 300;

  // --- Backend ----------------------------------------------------------------
  int32_t Clock() override { return now; }
  double Timer() override { return timer; }
  std::string ProgramFolder() override { return programFolder; }
  // One yield on the virtual clock, whatever the wait.
  void CollectEvents(std::vector<InputEvent>& out, int waitMs) override;
  void Paint() override {}
  void FormShown(Form& form) override;
  void FormHidden(Form& form) override;
  void FormUnloaded(Form& form) override;
  void RepaintNow(Form&) override { ++repaints; }
  void MessageBox(const std::string& prompt, int style, const std::string& title,
                  const std::function<void()>& whileOpen) override;
  int SystemBpp() override { return displayUnusable ? 0 : bpp; }
  int ShowCursor(bool show) override { return cursorCount += show ? 1 : -1; }
  void GetCursorPos(int32_t& x, int32_t& y) override {
    x = cursorX;
    y = cursorY;
  }
  void MoveCursorAbsolute(int nx, int ny) override;
  std::unique_ptr<SoundDevice> CreateSoundDevice() override;
  void CanvasInit(RMCanvas&) override {}
  void CanvasRender(RMCanvas&) override {
    ++canvasRenders;
    if (onCanvasRender) onCanvasRender();
  }
  std::function<void()> onCanvasRender;
  std::vector<std::string> ConnectionMethods() override { return connectionMethods; }
  // Answers to address prompts, taken in order ("" once they run out).
  std::deque<std::string> promptAnswers;
  std::vector<std::string> prompts;  // "title: prompt" of every prompt shown
  // Called for each prompt, after it is recorded and before it is answered.
  std::function<void()> onPrompt;
  std::string PromptText(const std::string& title, const std::string& prompt) override {
    prompts.push_back(title + ": " + prompt);
    if (onPrompt) onPrompt();
    if (promptAnswers.empty()) return "";
    std::string answer = promptAnswers.front();
    promptAnswers.pop_front();
    return answer;
  }

 private:
  void Queue(InputEvent::Kind kind, Form& form, Control* control, int code = 0, int index = -1);
  std::deque<InputEvent> queue_;
};

// Installs a fresh test back end and resets the toolkit; returns it.
TestBackend& Install();

}  // namespace platform::test

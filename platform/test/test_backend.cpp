#include "platform/test/test_backend.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/error.h"
#include "platform/play/play.h"
#include "platform/sound/sound.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/modal.h"

namespace platform::test {

namespace {

std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class TestBuffer : public DirectSoundBuffer {
 public:
  TestBuffer(TestBackend& b, std::string name) : b_(b), name_(std::move(name)) {}
  void Play(int flags) override {
    b_.soundLog.push_back("play " + name_ + (flags & DSBPLAY_LOOPING ? " looping" : " once"));
  }
  void Stop() override { b_.soundLog.push_back("stop " + name_); }

 private:
  TestBackend& b_;
  std::string name_;
};

class TestSoundDevice : public SoundDevice {
 public:
  explicit TestSoundDevice(TestBackend& b) : b_(b) {}
  void SetCooperativeLevel(int64_t, int level) override {
    if (b_.refuseCooperativeLevel) throw Error("cooperative level refused");
    b_.soundLog.push_back("cooperative " + std::to_string(level));
  }
  std::shared_ptr<DirectSoundBuffer> LoadBuffer(const std::string& path,
                                                WAVEFORMATEX& format) override {
    std::string name = BaseName(path);
    if (b_.missingSoundFiles.count(name)) throw Error("missing sound file " + name);
    std::string p = path;
    for (char& ch : p) {
      if (ch == '\\') ch = '/';
    }
    if (!std::filesystem::exists(p)) throw Error("no sound file at " + p);
    format.nFormatTag = 1;
    b_.soundLog.push_back("load " + name);
    return std::make_shared<TestBuffer>(b_, name);
  }

 private:
  TestBackend& b_;
};

}  // namespace

TestBackend::TestBackend() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  programFolder = ec ? std::string(".") : exe.parent_path().string();
}

void TestBackend::CollectEvents(std::vector<InputEvent>& out, int waitMs) {
  if (++yields > yieldLimit) throw std::runtime_error("test back end: too many yields");
  lastWaitMs = waitMs;
  now = static_cast<int32_t>(static_cast<uint32_t>(now) + static_cast<uint32_t>(msPerYield));
  if (onYield) onYield();
  while (!queue_.empty()) {
    out.push_back(std::move(queue_.front()));
    queue_.pop_front();
  }
}

void TestBackend::FormShown(Form& form) {
  if (displayUnusable) throw Error("can't draw a window on this display");
  windowLog.push_back("show " + form.name);
}
void TestBackend::FormHidden(Form& form) {
  windowLog.push_back("hide " + form.name);
}
void TestBackend::FormUnloaded(Form& form) {
  windowLog.push_back("unload " + form.name);
}

void TestBackend::MessageBox(const std::string& prompt, int style, const std::string& title,
                             const std::function<void()>& whileOpen) {
  boxes.push_back({prompt, style, title});
  if (onMessageBox) onMessageBox(prompt, style, title);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(boxOpenRealMs);
  while (std::chrono::steady_clock::now() < until) {
    whileOpen();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TestBackend::MoveCursorAbsolute(int nx, int ny) {
  cursorX = static_cast<int32_t>(int64_t(nx) * screenWidth / 65536);
  cursorY = static_cast<int32_t>(int64_t(ny) * screenHeight / 65536);
}

std::unique_ptr<SoundDevice> TestBackend::CreateSoundDevice() {
  if (noSoundDevice) throw Error("no sound device");
  soundLog.push_back("device");
  return std::make_unique<TestSoundDevice>(*this);
}

void TestBackend::Queue(InputEvent::Kind kind, Form& form, Control* control, int code, int index) {
  InputEvent e;
  e.kind = kind;
  e.form = &form;
  e.control = control;
  e.code = code;
  e.index = index;
  queue_.push_back(std::move(e));
}

using Kind = InputEvent::Kind;
void TestBackend::Click(Control& c) {
  Queue(Kind::Click, c.form, &c);
}
void TestBackend::ClickForm(Form& f) {
  Queue(Kind::Click, f, nullptr);
}
void TestBackend::SelectItem(ListBox& list, int index) {
  Queue(Kind::Click, list.form, &list, 0, index);
}
void TestBackend::KeyDown(Control& c, int code) {
  Queue(Kind::KeyDown, c.form, &c, code);
}
void TestBackend::KeyUp(Control& c, int code) {
  Queue(Kind::KeyUp, c.form, &c, code);
}
void TestBackend::Type(TextBox& box, const std::string& text) {
  for (char ch : text) Queue(Kind::KeyPress, box.form, &box, static_cast<unsigned char>(ch));
}
void TestBackend::MouseDown(Control& canvas, int button) {
  Queue(Kind::MouseDown, canvas.form, &canvas, button);
}
void TestBackend::MouseUp(Control& canvas, int button) {
  Queue(Kind::MouseUp, canvas.form, &canvas, button);
}
void TestBackend::Close(Form& f) {
  Queue(Kind::Close, f, nullptr);
}

TestBackend& Install() {
  auto b = std::make_unique<TestBackend>();
  TestBackend& ref = *b;
  UseBackend(std::move(b));
  ResetToolkit();
  // Network play in tests stays on 127.0.0.1, on free ports, and never broadcasts.
  Network() = NetworkSettings::Loopback();
  return ref;
}

}  // namespace platform::test

#include "platform/real/frame_reuse.h"

#include <imgui_internal.h>

#include <algorithm>

namespace platform::real {

namespace {

bool Overlap(const Control& a, const Control& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// ImGui draws lists and rich text boxes in child windows, after the rest;
// text boxes keep an editor's state. A clipped frame redraws none of them.
bool KeepsImGuiState(const Control& c) {
  return c.kind == ControlKind::ListBox || c.kind == ControlKind::RichTextBox ||
         c.kind == ControlKind::TextBox;
}

// Whether every canvas of the form shows on top of what lies around it: then
// a new canvas frame changes nothing on screen but the canvas's rectangle.
bool CanvasesOnTop(const Form& f) {
  const auto& controls = f.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    const Control* canvas = controls[i];
    if (!canvas->visible || canvas->kind != ControlKind::Canvas) continue;
    for (size_t j = 0; j < controls.size(); ++j) {
      const Control* c = controls[j];
      if (j == i || !c->visible || !Overlap(*canvas, *c)) continue;
      bool child = c->kind == ControlKind::ListBox || c->kind == ControlKind::RichTextBox;
      if (j > i || child) return false;
    }
  }
  return true;
}

// A control's rectangle with a margin for what its drawing may spill (a
// label's descenders run two pixels below it).
SDL_Rect Around(const Control& c) {
  constexpr int kMargin = 2;
  return {c.left - kMargin, c.top - kMargin, c.width + 2 * kMargin, c.height + 2 * kMargin};
}

void Add(SDL_Rect& region, bool& any, const SDL_Rect& r) {
  if (!any) {
    region = r;
    any = true;
    return;
  }
  SDL_UnionRect(&region, &r, &region);
}

}  // namespace

bool FormSurface::Editing() const {
  for (const auto& [c, st] : texts) {
    if (st.id != 0 && imgui->ActiveId == st.id) return true;
  }
  return false;
}

bool FrameCanStartFromImage(FormSurface& w, uint32_t now) {
  if (!w.imageWhole || w.Urgent(now) || w.escapes > 0 || w.Editing()) return false;
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(w.window, &dw, &dh);
  if (dw != w.width || dh != w.height || !w.image.Holds(dw, dh)) return false;
  return CanvasesOnTop(*w.form);
}

void RememberControls(FormSurface& w) {
  const Form& f = *w.form;
  w.own = OwnSignature(f);
  w.controlSignatures.clear();
  w.controlRects.clear();
  for (const Control* c : f.Controls()) {
    w.controlSignatures.push_back(ControlSignature(*c, false));
    w.controlRects.push_back(Around(*c));
  }
}

bool ChangedRegion(const FormSurface& w, SDL_Rect& region) {
  const Form& f = *w.form;
  const auto& controls = f.Controls();
  if (OwnSignature(f) != w.own || controls.size() != w.controlSignatures.size()) return false;
  bool any = false;
  for (size_t i = 0; i < controls.size(); ++i) {
    const Control& c = *controls[i];
    if (ControlSignature(c, false) == w.controlSignatures[i]) continue;
    if (KeepsImGuiState(c)) return false;
    Add(region, any, w.controlRects[i]);
    Add(region, any, Around(c));
  }
  if (!any) return false;
  SDL_Rect client{0, 0, f.clientWidth, f.clientHeight};
  return SDL_IntersectRect(&region, &client, &region) == SDL_TRUE;
}

void ClipDrawData(ImDrawData* data, const SDL_Rect& region) {
  const float x0 = float(region.x), y0 = float(region.y);
  const float x1 = float(region.x + region.w), y1 = float(region.y + region.h);
  for (int i = 0; i < data->CmdListsCount; ++i) {
    for (ImDrawCmd& cmd : data->CmdLists[i]->CmdBuffer) {
      // The renderer skips a command whose clip rectangle ends up empty.
      cmd.ClipRect.x = std::max(cmd.ClipRect.x, x0);
      cmd.ClipRect.y = std::max(cmd.ClipRect.y, y0);
      cmd.ClipRect.z = std::min(cmd.ClipRect.z, x1);
      cmd.ClipRect.w = std::min(cmd.ClipRect.w, y1);
    }
  }
}

}  // namespace platform::real

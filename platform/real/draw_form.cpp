// A form's frame in Dear ImGui: the background picture, then every visible
// control at its pixel rectangle. Nothing here runs a handler: clicks and
// edits are only recorded as input events for the event loop.
#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>

#include "platform/canvas/rmcanvas.h"
#include "platform/real/real_internal.h"

namespace platform::real {

namespace {

// The classic desktop palette.
constexpr ImU32 kFace = IM_COL32(212, 208, 200, 255);
constexpr ImU32 kHighlight = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kLight = IM_COL32(236, 233, 226, 255);
constexpr ImU32 kShadow = IM_COL32(128, 128, 128, 255);
constexpr ImU32 kDarkShadow = IM_COL32(64, 64, 64, 255);
constexpr ImU32 kBlack = IM_COL32(0, 0, 0, 255);
constexpr ImU32 kWindow = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kSelection = IM_COL32(10, 36, 106, 255);
constexpr ImU32 kGreyText = IM_COL32(128, 128, 128, 255);
constexpr ImU32 kMeter = IM_COL32(10, 36, 160, 255);

// A toolkit colour (red in the low byte) as an ImGui colour.
ImU32 Colour(uint32_t bgr) {
  return (bgr & 0x00FFFFFFu) | 0xFF000000u;
}

ImVec4 Vec(ImU32 c) {
  return ImGui::ColorConvertU32ToFloat4(c);
}

void Record(DrawContext& dc, InputEvent::Kind kind, Control& c) {
  InputEvent e;
  e.kind = kind;
  e.form = &c.form;
  e.control = &c;
  dc.events.push_back(std::move(e));
}

// One-pixel lines as filled rectangles: crisp at integer coordinates.
void HLine(ImDrawList* dl, float x0, float x1, float y, ImU32 col) {
  dl->AddRectFilled({x0, y}, {x1, y + 1}, col);
}
void VLine(ImDrawList* dl, float x, float y0, float y1, ImU32 col) {
  dl->AddRectFilled({x, y0}, {x + 1, y1}, col);
}

// Sunken 3D frame, as around list and text boxes.
void Sunken(ImDrawList* dl, ImVec2 a, ImVec2 b) {
  HLine(dl, a.x, b.x - 1, a.y, kShadow);
  VLine(dl, a.x, a.y, b.y - 1, kShadow);
  HLine(dl, a.x + 1, b.x - 2, a.y + 1, kDarkShadow);
  VLine(dl, a.x + 1, a.y + 1, b.y - 2, kDarkShadow);
  HLine(dl, a.x, b.x, b.y - 1, kHighlight);
  VLine(dl, b.x - 1, a.y, b.y, kHighlight);
  HLine(dl, a.x + 1, b.x - 1, b.y - 2, kLight);
  VLine(dl, b.x - 2, a.y + 1, b.y - 1, kLight);
}

// Raised 3D frame, as around a button.
void Raised(ImDrawList* dl, ImVec2 o, ImVec2 p) {
  HLine(dl, o.x, p.x - 1, o.y, kHighlight);
  VLine(dl, o.x, o.y, p.y - 1, kHighlight);
  HLine(dl, o.x, p.x, p.y - 1, kDarkShadow);
  VLine(dl, p.x - 1, o.y, p.y, kDarkShadow);
  HLine(dl, o.x + 1, p.x - 1, p.y - 2, kShadow);
  VLine(dl, p.x - 2, o.y + 1, p.y - 1, kShadow);
}

void DottedRect(ImDrawList* dl, ImVec2 a, ImVec2 b, ImU32 col) {
  for (float x = a.x; x < b.x; x += 2) {
    dl->AddRectFilled({x, a.y}, {x + 1, a.y + 1}, col);
    dl->AddRectFilled({x, b.y - 1}, {x + 1, b.y}, col);
  }
  for (float y = a.y; y < b.y; y += 2) {
    dl->AddRectFilled({a.x, y}, {a.x + 1, y + 1}, col);
    dl->AddRectFilled({b.x - 1, y}, {b.x, y + 1}, col);
  }
}

// Lines of `text` laid out in `width`: explicit line breaks, and word
// wrapping when asked.
std::vector<std::pair<const char*, const char*>> Lines(ImFont* font, float size,
                                                       const std::string& text, float width,
                                                       bool wrap) {
  std::vector<std::pair<const char*, const char*>> lines;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p <= end) {
    const char* eol = std::find(p, end, '\n');
    const char* stop = eol;
    if (stop > p && stop[-1] == '\r') --stop;
    if (!wrap || width <= 0 || p == stop) {
      lines.emplace_back(p, stop);
    } else {
      const char* s = p;
      while (s < stop) {
        const char* brk = font->CalcWordWrapPositionA(size / font->FontSize, s, stop, width);
        if (brk <= s) {
          brk = s + 1;
          while (brk < stop && (static_cast<unsigned char>(*brk) & 0xC0) == 0x80) ++brk;
        }
        const char* lineEnd = brk;
        while (lineEnd > s && lineEnd[-1] == ' ') --lineEnd;
        lines.emplace_back(s, lineEnd);
        s = brk;
        while (s < stop && *s == ' ') ++s;
      }
    }
    if (eol == end) break;
    p = eol + 1;
  }
  return lines;
}

void DrawLabel(const Label& label, ImVec2 origin, const Fonts& fonts) {
  if (label.caption.empty()) return;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  float px = label.fontSize * 96.0f / 72.0f;
  ImFont* font = label.bold ? fonts.Bold(px) : fonts.Regular(px);
  float size = font->FontSize;
  ImVec2 a{origin.x + label.left, origin.y + label.top};
  ImVec2 b{a.x + label.width, a.y + label.height};
  dl->PushClipRect({a.x, a.y}, {b.x, b.y + 2}, true);
  ImU32 col = label.enabled ? Colour(label.foreColor) : kGreyText;
  float y = a.y;
  for (auto [s, e] : Lines(font, size, label.caption, float(label.width), label.wordWrap)) {
    float w = font->CalcTextSizeA(size, FLT_MAX, 0, s, e).x;
    float x = a.x;
    if (label.alignment == Alignment::Right) x = b.x - w;
    if (label.alignment == Alignment::Center) x = a.x + std::floor((label.width - w) / 2);
    dl->AddText(font, size, {x, y}, col, s, e);
    y += size + 1;
    if (y > b.y) break;
  }
  dl->PopClipRect();
}

void DrawCheckBox(CheckBox& box, ImVec2 origin, DrawContext& dc) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + box.left, origin.y + box.top};
  ImVec2 size{float(box.width), float(box.height)};
  ImGui::SetCursorScreenPos(a);
  ImGui::BeginDisabled(!box.enabled);
  bool clicked = ImGui::InvisibleButton("##check", size);
  bool held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  ImGui::EndDisabled();
  if (clicked) Record(dc, InputEvent::Kind::Click, box);

  if (!box.caption.empty()) dl->AddRectFilled(a, {a.x + size.x, a.y + size.y}, kFace);
  float side = 13;
  ImVec2 ba{a.x + 2, std::floor(a.y + (size.y - side) / 2)};
  ImVec2 bb{ba.x + side, ba.y + side};
  dl->AddRectFilled(ba, bb, (held || !box.enabled) ? kFace : kWindow);
  Sunken(dl, ba, bb);
  if (box.value) {
    ImU32 mark = box.enabled ? kBlack : kGreyText;
    ImVec2 p1{ba.x + 3, ba.y + 6}, p2{ba.x + 5.5f, ba.y + 9}, p3{ba.x + 10, ba.y + 3.5f};
    dl->AddLine(p1, p2, mark, 2);
    dl->AddLine(p2, p3, mark, 2);
  }
  if (!box.caption.empty()) {
    ImFont* font = dc.fonts.Control();
    ImVec2 t{bb.x + 5, std::floor(a.y + (size.y - font->FontSize) / 2)};
    dl->AddText(font, font->FontSize, t, box.enabled ? kBlack : kGreyText, box.caption.c_str());
    if (box.HasFocus()) {
      float w = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, box.caption.c_str()).x;
      DottedRect(dl, {t.x - 2, t.y - 1}, {t.x + w + 2, t.y + font->FontSize + 1}, kBlack);
    }
  }
}

void DrawListBox(ListBox& list, ImVec2 origin, FormSurface& w, DrawContext& dc) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + list.left, origin.y + list.top};
  ImVec2 b{a.x + list.width, a.y + list.height};
  dl->AddRectFilled(a, b, list.enabled ? kWindow : kFace);
  Sunken(dl, a, b);

  ImGui::SetCursorScreenPos({a.x + 2, a.y + 2});
  ImGui::PushStyleColor(ImGuiCol_ChildBg, 0);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {1, 1});
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, {0, 0});
  ImGui::BeginDisabled(!list.enabled);
  if (ImGui::BeginChild("##list", {b.x - a.x - 4, b.y - a.y - 4}, false)) {
    int& shown = w.listShown.try_emplace(&list, -2).first->second;
    ImFont* font = dc.fonts.Control();
    float itemHeight = font->FontSize + 3;
    float itemWidth = ImGui::GetContentRegionAvail().x;
    for (int i = 0; i < list.ListCount(); ++i) {
      bool selected = i == list.listIndex;
      ImGui::PushID(i);
      ImVec2 p = ImGui::GetCursorScreenPos();
      if (ImGui::InvisibleButton("##item", {itemWidth, itemHeight})) {
        InputEvent e;
        e.kind = InputEvent::Kind::Click;
        e.form = &list.form;
        e.control = &list;
        e.index = i;
        dc.events.push_back(std::move(e));
      }
      ImDrawList* cdl = ImGui::GetWindowDrawList();
      ImVec2 q{p.x + itemWidth, p.y + itemHeight};
      if (selected) cdl->AddRectFilled(p, q, list.enabled ? kSelection : kShadow);
      ImU32 col = selected ? kHighlight : (list.enabled ? kBlack : kGreyText);
      cdl->PushClipRect(p, q, true);
      cdl->AddText(font, font->FontSize, {p.x + 2, p.y + 1}, col, list.items[i].c_str());
      cdl->PopClipRect();
      if (selected && list.HasFocus()) DottedRect(cdl, p, q, IM_COL32(255, 255, 160, 255));
      if (selected && shown != i) ImGui::SetScrollHereY(0.5f);
      ImGui::PopID();
    }
    shown = list.listIndex;
  }
  ImGui::EndChild();
  ImGui::EndDisabled();
  ImGui::PopStyleVar(2);
  ImGui::PopStyleColor();
}

int ReplaceText(ImGuiInputTextCallbackData* data) {
  auto* st = static_cast<TextBoxState*>(data->UserData);
  if (data->EventFlag != ImGuiInputTextFlags_CallbackAlways) return 0;
  if (st->replace) {
    st->replace = false;
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, st->buffer.c_str());
    st->collapse = true;
  }
  if (st->collapse) {
    // The program gave the box the focus: the caret goes to the end, nothing selected.
    st->collapse = false;
    data->SelectionStart = data->SelectionEnd = data->CursorPos = data->BufTextLen;
  }
  return 0;
}

void DrawTextBox(TextBox& box, ImVec2 origin, FormSurface& w, DrawContext& dc) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + box.left, origin.y + box.top};
  ImVec2 b{a.x + box.width, a.y + box.height};
  dl->AddRectFilled(a, b, box.enabled ? kWindow : kFace);
  Sunken(dl, a, b);

  TextBoxState& st = w.texts[&box];
  uint32_t now = SDL_GetTicks();
  bool wasActive = st.id != 0 && ImGui::GetActiveID() == st.id;
  if (box.text != st.known) {
    if (!st.awaiting) {
      // The program changed the text: show it.
      st.known = box.text;
      st.buffer = box.text;
      st.replace = wasActive;
      st.awaiting = false;
    }
  } else {
    st.awaiting = false;
  }
  if (!wasActive) st.replace = false;

  bool wantFocus = box.enabled && box.HasFocus() && (w.focusDirty || st.refocus);
  st.refocus = false;
  if (wantFocus && !wasActive) {
    ImGui::SetKeyboardFocusHere();
    st.collapse = true;
    w.hotUntil = now + 300;
  }

  ImFont* font = dc.fonts.Control();
  float padY = std::max(0.0f, std::floor((box.height - 4 - font->FontSize) / 2));
  ImGui::SetCursorScreenPos({a.x + 2, a.y + 2});
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, {3, padY});
  ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 0);
  ImGui::PushStyleColor(ImGuiCol_FrameBg, 0);
  ImGui::PushStyleColor(ImGuiCol_FrameBgHovered, 0);
  ImGui::PushStyleColor(ImGuiCol_FrameBgActive, 0);
  ImGui::PushStyleColor(ImGuiCol_Text, box.enabled ? Vec(kBlack) : Vec(kGreyText));
  ImGui::SetNextItemWidth(b.x - a.x - 4);
  ImGui::BeginDisabled(!box.enabled);
  bool edited =
      ImGui::InputText("##text", &st.buffer, ImGuiInputTextFlags_CallbackAlways, ReplaceText, &st);
  st.id = ImGui::GetItemID();
  bool deactivated = ImGui::IsItemDeactivated();
  ImGui::EndDisabled();
  ImGui::PopStyleColor(4);
  ImGui::PopStyleVar(2);

  if (edited && st.buffer != st.known) {
    st.known = st.buffer;
    st.awaiting = true;
    InputEvent e;
    e.kind = InputEvent::Kind::TextChanged;
    e.form = &box.form;
    e.control = &box;
    e.text = st.buffer;
    dc.events.push_back(std::move(e));
  }
  bool enter = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
               ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false);
  if (wasActive && deactivated && enter) {
    InputEvent e;
    e.kind = InputEvent::Kind::KeyPress;
    e.form = &box.form;
    e.control = &box;
    e.code = 13;
    dc.events.push_back(std::move(e));
    // Enter ends the line editor; the box keeps the focus.
    st.refocus = true;
    w.hotUntil = now + 300;
  }
}

void DrawProgressBar(const ProgressBar& bar, ImVec2 origin) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + bar.left, origin.y + bar.top};
  ImVec2 b{a.x + bar.width, a.y + bar.height};
  dl->AddRectFilled(a, b, kFace);
  Sunken(dl, a, b);
  float span = bar.max - bar.min;
  float part = span > 0 ? std::clamp((bar.Value() - bar.min) / span, 0.0f, 1.0f) : 0.0f;
  bool vertical = bar.vertical || bar.height > bar.width;
  ImVec2 ia{a.x + 2, a.y + 2}, ib{b.x - 2, b.y - 2};
  if (part <= 0) return;
  // Blocks, as the classic meter draws them, filled from the bottom (or left).
  if (vertical) {
    float inner = ib.y - ia.y;
    float top = std::round(ib.y - inner * part);
    float block = std::max(4.0f, std::floor((ib.x - ia.x) * 0.66f));
    for (float y = ib.y; y > top; y -= block + 2) {
      dl->AddRectFilled({ia.x + 1, std::max(top, y - block)}, {ib.x - 1, y}, kMeter);
    }
  } else {
    float inner = ib.x - ia.x;
    float right = std::round(ia.x + inner * part);
    float block = std::max(4.0f, std::floor((ib.y - ia.y) * 0.66f));
    for (float x = ia.x; x < right; x += block + 2) {
      dl->AddRectFilled({x, ia.y + 1}, {std::min(right, x + block), ib.y - 1}, kMeter);
    }
  }
}

void DrawPicture(std::string_view picture, ImVec2 a, ImVec2 b, DrawContext& dc) {
  if (picture.empty()) return;
  const Picture& p = dc.pictures.Get(picture);
  if (!p.texture) return;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  dl->PushClipRect(a, b, true);
  dl->AddImage(p.Id(), a, {a.x + p.width, a.y + p.height});
  dl->PopClipRect();
}

void DrawRichTextBox(RichTextBox& box, ImVec2 origin, FormSurface& w, DrawContext& dc) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + box.left, origin.y + box.top};
  ImVec2 b{a.x + box.width, a.y + box.height};
  dl->AddRectFilled(a, b, kWindow);
  Sunken(dl, a, b);
  ImGui::SetCursorScreenPos({a.x + 2, a.y + 2});
  ImGui::PushStyleColor(ImGuiCol_ChildBg, 0);
  ImGui::PushStyleColor(ImGuiCol_Text, Vec(kBlack));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {8, 6});
  if (ImGui::BeginChild("##rich", {b.x - a.x - 4, b.y - a.y - 4}, false,
                        ImGuiWindowFlags_AlwaysUseWindowPadding)) {
    auto [it, fresh] = w.scrollShown.try_emplace(&box, box.scroll);
    if (fresh || it->second != box.scroll) {
      ImGui::SetScrollY(box.scroll);
      it->second = box.scroll;
    }
    DrawRichText(box.text, dc.fonts, ImGui::GetContentRegionAvail().x);
  }
  ImGui::EndChild();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor(2);
}

void DrawCanvas(const Control& canvas, ImVec2 origin, DrawContext& dc) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + canvas.left, origin.y + canvas.top};
  ImVec2 b{a.x + canvas.width, a.y + canvas.height};
  unsigned tex = dc.canvasTexture ? dc.canvasTexture(canvas) : 0;
  if (tex == 0) {
    dl->AddRectFilled(a, b, kBlack);
    return;
  }
  // The colour buffer's rows run bottom-up.
  dl->AddImage(reinterpret_cast<ImTextureID>(intptr_t(tex)), a, b, {0, 1}, {1, 0});
}

}  // namespace

bool ClassicButton(const char* id, const std::string& caption, ImVec2 a, ImVec2 size, bool enabled,
                   bool focused, const Fonts& fonts) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImGui::SetCursorScreenPos(a);
  ImGui::BeginDisabled(!enabled);
  bool clicked = ImGui::InvisibleButton(id, size);
  bool hovered = ImGui::IsItemHovered();
  bool held = ImGui::IsItemActive() && hovered;
  ImGui::EndDisabled();

  ImVec2 b{a.x + size.x, a.y + size.y};
  dl->AddRectFilled(a, b, (hovered && enabled && !held) ? IM_COL32(224, 221, 214, 255) : kFace);
  ImVec2 o = a, p = b;
  if (focused) {
    HLine(dl, a.x, b.x, a.y, kBlack);
    HLine(dl, a.x, b.x, b.y - 1, kBlack);
    VLine(dl, a.x, a.y, b.y, kBlack);
    VLine(dl, b.x - 1, a.y, b.y, kBlack);
    o = {a.x + 1, a.y + 1};
    p = {b.x - 1, b.y - 1};
  }
  if (held) {
    HLine(dl, o.x, p.x, o.y, kShadow);
    HLine(dl, o.x, p.x, p.y - 1, kShadow);
    VLine(dl, o.x, o.y, p.y, kShadow);
    VLine(dl, p.x - 1, o.y, p.y, kShadow);
  } else {
    Raised(dl, o, p);
  }

  ImFont* font = fonts.Control();
  float fs = font->FontSize;
  ImVec2 ts = font->CalcTextSizeA(fs, FLT_MAX, 0, caption.c_str());
  float shift = held ? 1 : 0;
  ImVec2 t{std::floor(a.x + (size.x - ts.x) / 2) + shift,
           std::floor(a.y + (size.y - fs) / 2) + shift};
  dl->PushClipRect({a.x + 2, a.y + 2}, {b.x - 2, b.y - 2}, true);
  if (enabled) {
    dl->AddText(font, fs, t, kBlack, caption.c_str());
  } else {
    dl->AddText(font, fs, {t.x + 1, t.y + 1}, kHighlight, caption.c_str());
    dl->AddText(font, fs, t, kShadow, caption.c_str());
  }
  dl->PopClipRect();
  if (focused) DottedRect(dl, {a.x + 4, a.y + 4}, {b.x - 4, b.y - 4}, kBlack);
  return clicked && enabled;
}

void DrawForm(FormSurface& w, DrawContext& dc) {
  Form& f = *w.form;
  ImGui::SetNextWindowPos({0, 0});
  ImGui::SetNextWindowSize({float(f.clientWidth), float(f.clientHeight)});
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {0, 0});
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                           ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground |
                           ImGuiWindowFlags_NoBringToFrontOnFocus |
                           ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoNav |
                           ImGuiWindowFlags_NoFocusOnAppearing;
  ImGui::Begin("##form", nullptr, flags);
  ImGui::PopStyleVar(2);
  ImVec2 origin = ImGui::GetWindowPos();
  ImVec2 client{origin.x + f.clientWidth, origin.y + f.clientHeight};

  // When the focus moved away from a line editor, the editor lets go.
  if (w.focusDirty) {
    for (auto& [control, st] : w.texts) {
      if (control != f.ActiveControl() && st.id != 0 && ImGui::GetActiveID() == st.id) {
        ImGui::ClearActiveID();
      }
    }
  }

  DrawPicture(f.picture, origin, client, dc);

  for (Control* c : f.Controls()) {
    if (!c->visible) continue;
    ImGui::PushID(c);
    ImVec2 a{origin.x + c->left, origin.y + c->top};
    ImVec2 b{a.x + c->width, a.y + c->height};
    switch (c->kind) {
      case ControlKind::Label:
        DrawLabel(*static_cast<Label*>(c), origin, dc.fonts);
        break;
      case ControlKind::Button: {
        auto* button = static_cast<Button*>(c);
        if (ClassicButton("##button", button->caption, a, {float(c->width), float(c->height)},
                          c->enabled, c->HasFocus(), dc.fonts)) {
          Record(dc, InputEvent::Kind::Click, *c);
        }
        break;
      }
      case ControlKind::CheckBox:
        DrawCheckBox(*static_cast<CheckBox*>(c), origin, dc);
        break;
      case ControlKind::ListBox:
        DrawListBox(*static_cast<ListBox*>(c), origin, w, dc);
        break;
      case ControlKind::TextBox:
        DrawTextBox(*static_cast<TextBox*>(c), origin, w, dc);
        break;
      case ControlKind::ProgressBar:
        DrawProgressBar(*static_cast<ProgressBar*>(c), origin);
        break;
      case ControlKind::PictureBox:
        DrawPicture(static_cast<PictureBox*>(c)->picture, a, b, dc);
        break;
      case ControlKind::RichTextBox:
        DrawRichTextBox(*static_cast<RichTextBox*>(c), origin, w, dc);
        break;
      case ControlKind::Canvas:
        DrawCanvas(*c, origin, dc);
        break;
    }
    ImGui::PopID();
  }
  ImGui::End();
  // Esc in a text box, after what was typed before it.
  Control* active = f.ActiveControl();
  for (; w.escapes > 0; --w.escapes) {
    if (active && active->kind == ControlKind::TextBox && active->visible && active->enabled) {
      Record(dc, InputEvent::Kind::KeyPress, *active);
      dc.events.back().code = 27;
    }
  }
  w.focusDirty = false;
}

namespace {

struct Hasher {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* p, size_t n) {
    auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  }
  template <typename T>
  void operator()(const T& v) {
    Bytes(&v, sizeof v);
  }
  void operator()(const std::string& s) {
    size_t n = s.size();
    Bytes(&n, sizeof n);
    Bytes(s.data(), s.size());
  }
};

}  // namespace

uint64_t FormSignature(const Form& form, bool renders) {
  Hasher h;
  h(OwnSignature(form));
  for (const Control* c : form.Controls()) h(ControlSignature(*c, renders));
  return h.h;
}

uint64_t OwnSignature(const Form& form) {
  Hasher h;
  h(form.caption);
  h(form.clientWidth);
  h(form.clientHeight);
  h(form.picture);
  h(form.backColor);
  h(form.ActiveControl());
  return h.h;
}

uint64_t ControlSignature(const Control& control, bool renders) {
  const Control* c = &control;
  Hasher h;
  h(c->left);
  h(c->top);
  h(c->width);
  h(c->height);
  h(c->enabled);
  h(c->visible);
  switch (c->kind) {
    case ControlKind::Label: {
      auto* l = static_cast<const Label*>(c);
      h(l->caption);
      h(l->foreColor);
      h(l->alignment);
      h(l->bold);
      h(l->fontSize);
      h(l->wordWrap);
      break;
    }
    case ControlKind::Button:
      h(static_cast<const Button*>(c)->caption);
      break;
    case ControlKind::CheckBox:
      h(static_cast<const CheckBox*>(c)->value);
      h(static_cast<const CheckBox*>(c)->caption);
      break;
    case ControlKind::ListBox: {
      auto* l = static_cast<const ListBox*>(c);
      h(l->listIndex);
      for (const auto& item : l->items) h(item);
      break;
    }
    case ControlKind::TextBox:
      h(static_cast<const TextBox*>(c)->text);
      break;
    case ControlKind::ProgressBar: {
      auto* p = static_cast<const ProgressBar*>(c);
      h(p->Value());
      h(p->min);
      h(p->max);
      h(p->vertical);
      break;
    }
    case ControlKind::PictureBox:
      h(static_cast<const PictureBox*>(c)->picture);
      break;
    case ControlKind::RichTextBox:
      h(static_cast<const RichTextBox*>(c)->text);
      h(static_cast<const RichTextBox*>(c)->scroll);
      break;
    case ControlKind::Canvas:
      if (renders) h(static_cast<const RMCanvas*>(c)->renderCount);
      break;
  }
  return h.h;
}

}  // namespace platform::real

#include "platform/forms/tool_bar.h"

namespace forms {

TToolButton::TToolButton(TToolBar* parent, std::string name, std::string caption)
    : TControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TToolButton::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TToolButton::SetSeparator(bool v) {
  if (v == separator_) return;
  separator_ = v;
  Changed();
}

void TToolButton::Click() {
  if (!Enabled() || separator_) return;
  if (OnClick) OnClick();
  if (standard_action_ == TStandardAction::None) return;
  TForm* form = nullptr;
  for (TWinControl* p = Parent(); p != nullptr && form == nullptr; p = p->Parent()) {
    form = dynamic_cast<TForm*>(p);
  }
  Application().PerformStandardAction(standard_action_, form);
}

TToolBar::TToolBar(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
  SetHeight(29);
}

std::vector<TToolButton*> TToolBar::Buttons() const {
  std::vector<TToolButton*> buttons;
  for (TControl* control : Controls()) {
    if (auto* button = dynamic_cast<TToolButton*>(control)) buttons.push_back(button);
  }
  return buttons;
}

void TToolBar::SetShowCaptions(bool v) {
  if (v == show_captions_) return;
  show_captions_ = v;
  Changed();
}

}  // namespace forms

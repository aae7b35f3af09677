#include "platform/forms/choice_controls.h"

#include <algorithm>

namespace forms {

// ---- TRadioButton ----

TRadioButton::TRadioButton(TWinControl* parent, std::string name, std::string caption, bool checked)
    : TWinControl(parent, std::move(name)), caption_(std::move(caption)) {
  if (checked) SetChecked(true);
}

void TRadioButton::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && Parent() != nullptr) {
    for (TControl* sibling : Parent()->Controls()) {
      auto* radio = dynamic_cast<TRadioButton*>(sibling);
      if (radio != nullptr && radio != this && radio->checked_) {
        radio->checked_ = false;
        radio->Changed();
      }
    }
  }
  Changed();
  if (v && OnClick) OnClick();
}

// ---- TRadioGroup ----

TRadioGroup::TRadioGroup(TWinControl* parent, std::string name, std::string caption)
    : TWinControl(parent, std::move(name)), caption_(std::move(caption)) {
  items_.OnChange = [this] {
    if (item_index_ >= items_.Count()) item_index_ = -1;
    Changed();
  };
}

void TRadioGroup::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TRadioGroup::SetColumns(int v) {
  v = std::max(v, 1);
  if (v == columns_) return;
  columns_ = v;
  Changed();
}

void TRadioGroup::SetItemIndex(int v) {
  v = std::clamp(v, -1, items_.Count() - 1);
  if (v == item_index_) return;
  item_index_ = v;
  Changed();
  if (OnClick) OnClick();
}

// ---- TComboBox ----

TComboBox::TComboBox(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
  InitColor(clWindow);
  items_.OnChange = [this] { ItemsChanged(); };
}

void TComboBox::ItemsChanged() {
  // The text stays; it names an item again only if one still holds it.
  item_index_ = items_.IndexOf(text_);
  if (style_ == TComboBoxStyle::csDropDownList && item_index_ < 0) text_.clear();
  Changed();
}

void TComboBox::SetStyle(TComboBoxStyle v) {
  if (v == style_) return;
  style_ = v;
  ItemsChanged();
}

void TComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_.Count()) v = -1;
  std::string text = v >= 0 ? items_[v] : std::string();
  if (v == item_index_ && text == text_) return;
  item_index_ = v;
  text_ = std::move(text);
  Changed();
}

void TComboBox::SetText(std::string v) {
  const int index = items_.IndexOf(v);
  if (style_ == TComboBoxStyle::csDropDownList && index < 0) v.clear();
  if (v == text_ && index == item_index_) return;
  text_ = std::move(v);
  item_index_ = index;
  Changed();
}

void TComboBox::SelectItem(int index) {
  if (index < 0 || index >= items_.Count()) return;
  SetItemIndex(index);
  if (OnChange) OnChange();
  if (OnSelect) OnSelect();
}

void TComboBox::TypeText(std::string text) {
  if (style_ == TComboBoxStyle::csDropDownList) return;
  if (text == text_) return;
  SetText(std::move(text));
  if (OnChange) OnChange();
}

}  // namespace forms

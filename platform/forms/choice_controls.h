#pragma once
// Controls that choose one of several: radio buttons, radio groups and combo boxes.
#include "platform/forms/controls.h"

namespace forms {

// A radio button: checking it unchecks the other radio buttons of the same parent.
class TRadioButton : public TWinControl {
 public:
  TRadioButton(TWinControl* parent, std::string name, std::string caption = {},
               bool checked = false);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  bool Checked() const { return checked_; }
  // A change of state fires OnClick (of the button being checked only), whether the user or
  // the program made it.
  void SetChecked(bool v);
  // Input: the user clicks the button (which checks it).
  void Click() {
    if (Enabled()) SetChecked(true);
  }
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};

// A framed group of radio buttons, one per item, laid out in Columns columns; ItemIndex is
// the checked item (-1: none).
class TRadioGroup : public TWinControl {
 public:
  TRadioGroup(TWinControl* parent, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  TStrings& Items() { return items_; }
  const TStrings& Items() const { return items_; }
  int Columns() const { return columns_; }
  // At least 1.
  void SetColumns(int v);
  int ItemIndex() const { return item_index_; }
  // Values outside -1..Count-1 are brought to the nearest of them. A change fires OnClick.
  void SetItemIndex(int v);
  // Input: the user clicks item index.
  void ClickItem(int index) { SetItemIndex(index); }
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  TStrings items_;
  int columns_ = 1;
  int item_index_ = -1;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A combo box: an edit line with a drop-down list of items. With csDropDown the text may be
// anything; with csDropDownList it is always one of the items (or empty).
class TComboBox : public TWinControl {
 public:
  TComboBox(TWinControl* parent, std::string name);
  TStrings& Items() { return items_; }
  const TStrings& Items() const { return items_; }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  // The chosen item, or -1 when the text is no item.
  int ItemIndex() const { return item_index_; }
  // Choosing an item shows its text; -1 empties the text. Fires no event (as in the
  // programs' library, only the user's choice does).
  void SetItemIndex(int v);
  const std::string& Text() const { return text_; }
  // The item equal to the text becomes the chosen one (none when there is no such item).
  void SetText(std::string v);
  // Input: the user picks an item from the list (OnChange, then OnSelect) or types a text
  // (OnChange).
  void SelectItem(int index);
  void TypeText(std::string text);
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 private:
  void ItemsChanged();
  TStrings items_;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int item_index_ = -1;
  std::string text_;
};

}  // namespace forms

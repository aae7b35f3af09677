#include "platform/forms/controls.h"

#include <algorithm>

namespace forms {

// ---- TComponent ----

TComponent::TComponent(TComponent* owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  if (peer_ != nullptr) peer_->ComponentDestroyed();
  if (owner_ != nullptr) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  for (TComponent* c : components_) c->owner_ = nullptr;
}

void TComponent::Changed() {
  ++revision_;
  if (peer_ != nullptr) peer_->Sync();
  if (Application().OnModelChanged) Application().OnModelChanged();
}

// ---- TTimer ----

TTimer::TTimer(TComponent* owner, std::string name, int interval_ms, bool enabled)
    : TComponent(owner, std::move(name)), interval_(interval_ms) {
  Application().RegisterTimer(this);
  SetEnabled(enabled);
}

TTimer::~TTimer() {
  Application().UnregisterTimer(this);
}

void TTimer::Restart() {
  due_ms_ = Application().NowMs() + std::max(interval_, 1);
  sequence_ = ++Application().enable_sequence_;
}

void TTimer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (enabled_) Restart();
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled && interval_ > 0;
  if (enabled_) Restart();
}

// ---- TControl ----

TControl::TControl(TWinControl* parent, std::string name)
    : TComponent(parent, std::move(name)), parent_(parent) {
  if (parent_ != nullptr) parent_->controls_.push_back(this);
}

TControl::~TControl() {
  if (parent_ != nullptr) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TControl::SetLeft(int v) {
  SetBounds(v, top_, width_, height_);
}
void TControl::SetTop(int v) {
  SetBounds(left_, v, width_, height_);
}
void TControl::SetWidth(int v) {
  SetBounds(left_, top_, v, height_);
}
void TControl::SetHeight(int v) {
  SetBounds(left_, top_, width_, v);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  ConstrainBounds(left, top, width, height);
  StoreBounds(left, top, width, height);
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Changed();
  if (resized) BoundsChanged();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}

void TControl::SetHint(std::string v) {
  if (v == hint_) return;
  hint_ = std::move(v);
  Changed();
}

void TControl::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  Changed();
}

void TControl::SetFontColor(TColor v) {
  if (v == font_color_) return;
  font_color_ = v;
  Changed();
}

void TControl::SetFontName(std::string v) {
  if (v == font_name_) return;
  font_name_ = std::move(v);
  Changed();
}

void TControl::SetFontSize(int v) {
  if (v == font_size_) return;
  font_size_ = v;
  Changed();
}

void TControl::SetFontBold(bool v) {
  if (v == font_bold_) return;
  font_bold_ = v;
  Changed();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popup_menu_) return;
  popup_menu_ = menu;
  Changed();
}

void TControl::ContextPopup(int x, int y) {
  if (popup_menu_ != nullptr) popup_menu_->Popup(x, y);
}

TWinControl::TWinControl(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name)) {}

// ---- simple controls ----

TLabel::TLabel(TWinControl* parent, std::string name, std::string caption)
    : TControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TLabel::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  Changed();
}

TEdit::TEdit(TWinControl* parent, std::string name, std::string text)
    : TWinControl(parent, std::move(name)), text_(std::move(text)) {
  InitColor(clWindow);
}

void TEdit::SetText(std::string v) {
  if (v == text_) return;
  text_ = std::move(v);
  Changed();
  if (OnChange) OnChange();
}

void TEdit::SetReadOnly(bool v) {
  if (v == read_only_) return;
  read_only_ = v;
  Changed();
}

void TEdit::SetPasswordChar(char v) {
  if (v == password_char_) return;
  password_char_ = v;
  Changed();
}

void TEdit::SetMaxLength(int v) {
  if (v == max_length_) return;
  max_length_ = v;
  Changed();
}

void TEdit::DoubleClick() {
  if (OnDblClick) OnDblClick();
}

// ---- TMaskEdit ----

namespace {
// The position part of a mask: everything before the first ';', without the leading '!'.
std::string MaskPositions(const std::string& mask) {
  std::string positions = mask.substr(0, mask.find(';'));
  if (!positions.empty() && positions[0] == '!') positions.erase(0, 1);
  return positions;
}
}  // namespace

TMaskEdit::TMaskEdit(TWinControl* parent, std::string name, std::string mask, std::string text)
    : TEdit(parent, std::move(name), std::move(text)), mask_(std::move(mask)) {}

void TMaskEdit::SetEditMask(std::string v) {
  if (v == mask_) return;
  mask_ = std::move(v);
  Changed();
}

int TMaskEdit::MaskLength() const {
  return static_cast<int>(MaskPositions(mask_).size());
}

bool TMaskEdit::IsComplete(const std::string& text) const {
  if (!Accepts(text)) return false;
  const std::string positions = MaskPositions(mask_);
  for (size_t i = 0; i < positions.size(); ++i) {
    if (positions[i] == '0' && i >= text.size()) return false;
  }
  return true;
}

char TMaskEdit::BlankChar() const {
  // "<positions>;<keep literals>;<blank>"
  const size_t first = mask_.find(';');
  if (first == std::string::npos) return '_';
  const size_t second = mask_.find(';', first + 1);
  if (second == std::string::npos || second + 1 >= mask_.size()) return '_';
  return mask_[second + 1];
}

bool TMaskEdit::Accepts(const std::string& text) const {
  const std::string positions = MaskPositions(mask_);
  if (text.size() > positions.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char m = positions[i];
    char c = text[i];
    bool digit = c >= '0' && c <= '9';
    if (m == '0' && !digit) return false;
    if (m == '9' && !digit && c != ' ') return false;
    if (m != '0' && m != '9' && c != m) return false;
  }
  return true;
}

// ---- TStrings ----

const std::string& TStrings::Get(int index) const {
  static const std::string empty;
  if (index < 0 || index >= Count()) return empty;
  return items_[static_cast<size_t>(index)];
}

int TStrings::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<size_t>(i)] == text) return i;
  }
  return -1;
}

int TStrings::Add(std::string line) {
  items_.push_back(std::move(line));
  Notify();
  return Count() - 1;
}

void TStrings::Insert(int index, std::string line) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, std::move(line));
  Notify();
}

void TStrings::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  Notify();
}

void TStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Notify();
}

void TStrings::Set(int index, std::string line) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)] = std::move(line);
  Notify();
}

std::string TStrings::Text() const {
  std::string text;
  for (const auto& line : items_) {
    text += line;
    text += '\n';
  }
  return text;
}

void TStrings::SetText(const std::string& text) {
  items_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    items_.push_back(std::move(line));
    start = end + 1;
  }
  Notify();
}

void TStrings::Notify() {
  if (OnChange) OnChange();
}

TMemo::TMemo(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
  InitColor(clWindow);
  lines_.OnChange = [this] { Changed(); };
}

void TMemo::SetReadOnly(bool v) {
  if (v == read_only_) return;
  read_only_ = v;
  Changed();
}

void TMemo::SetScrollBars(TScrollStyle v) {
  if (v == scroll_bars_) return;
  scroll_bars_ = v;
  Changed();
}

void TMemo::SetWordWrap(bool v) {
  if (v == word_wrap_) return;
  word_wrap_ = v;
  Changed();
}

// ---- buttons and check boxes ----

TButton::TButton(TWinControl* parent, std::string name, std::string caption)
    : TWinControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TButton::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TButton::Click() {
  if (!Enabled()) return;
  if (OnClick) OnClick();
  if (modal_result_ != 0) {
    for (TWinControl* p = Parent(); p != nullptr; p = p->Parent()) {
      if (auto* form = dynamic_cast<TForm*>(p)) {
        if (form->Modal()) form->SetModalResult(modal_result_);
        break;
      }
    }
  }
}

TCheckBox::TCheckBox(TWinControl* parent, std::string name, std::string caption, bool checked)
    : TWinControl(parent, std::move(name)), caption_(std::move(caption)), checked_(checked) {}

void TCheckBox::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TCheckBox::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed();
  if (OnClick) OnClick();
}

// ---- TListBox ----

TListBox::TListBox(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
  InitColor(clWindow);
  items_.OnChange = [this] {
    selected_.resize(static_cast<size_t>(items_.Count()), false);
    if (item_index_ >= items_.Count()) item_index_ = -1;
    Changed();
  };
}

void TListBox::SetMultiSelect(bool v) {
  if (v == multi_select_) return;
  multi_select_ = v;
  Changed();
}

void TListBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_.Count()) v = -1;
  if (v == item_index_) return;
  item_index_ = v;
  if (!multi_select_) {
    std::fill(selected_.begin(), selected_.end(), false);
    if (v >= 0) selected_[static_cast<size_t>(v)] = true;
  }
  Changed();
}

bool TListBox::Selected(int index) const {
  if (index < 0 || index >= static_cast<int>(selected_.size())) return false;
  return selected_[static_cast<size_t>(index)];
}

void TListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= static_cast<int>(selected_.size())) return;
  if (!multi_select_ && selected) {
    SetItemIndex(index);
    return;
  }
  selected_[static_cast<size_t>(index)] = selected;
  Changed();
}

int TListBox::SelCount() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TListBox::ClickItem(int index) {
  SetItemIndex(index);
  if (multi_select_) SetSelected(index, true);
  if (OnClick) OnClick();
}

void TListBox::DoubleClickItem(int index) {
  ClickItem(index);
  if (OnDblClick) OnDblClick();
}

// ---- TUpDown ----

TUpDown::TUpDown(TWinControl* parent, std::string name, int min, int max, int position)
    : TWinControl(parent, std::move(name)),
      min_(min),
      max_(max),
      position_(std::clamp(position, min, max)) {}

void TUpDown::SetMin(int v) {
  min_ = v;
  SetPosition(position_);
}

void TUpDown::SetMax(int v) {
  max_ = v;
  SetPosition(position_);
}

void TUpDown::SetPosition(int v) {
  v = std::clamp(v, min_, std::max(min_, max_));
  if (v == position_) {
    ShowInAssociate();
    return;
  }
  position_ = v;
  Changed();
  ShowInAssociate();
}

void TUpDown::SetAssociate(TEdit* edit) {
  associate_ = edit;
  ShowInAssociate();
}

void TUpDown::ShowInAssociate() {
  if (associate_ != nullptr) associate_->SetText(std::to_string(position_));
}

void TUpDown::StepUp() {
  if (OnChanging) OnChanging();
  int next = position_ + increment_;
  if (next > max_) next = wrap_ ? min_ : max_;
  SetPosition(next);
  if (OnClick) OnClick();
}

void TUpDown::StepDown() {
  if (OnChanging) OnChanging();
  int next = position_ - increment_;
  if (next < min_) next = wrap_ ? max_ : min_;
  SetPosition(next);
  if (OnClick) OnClick();
}

// ---- panels, status bar, menus ----

TPanel::TPanel(TWinControl* parent, std::string name, std::string caption)
    : TWinControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TPanel::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

TStatusBar::TStatusBar(TWinControl* parent, std::string name)
    : TWinControl(parent, std::move(name)) {}

void TStatusBar::AddPanel(int width, std::string text) {
  panels_.push_back({width, std::move(text)});
  Changed();
}

void TStatusBar::SetPanelText(int index, std::string text) {
  if (index < 0 || index >= PanelCount()) return;
  auto& panel = panels_[static_cast<size_t>(index)];
  if (panel.text == text) return;
  panel.text = std::move(text);
  Changed();
}

void TStatusBar::SetPanelWidth(int index, int width) {
  if (index < 0 || index >= PanelCount()) return;
  panels_[static_cast<size_t>(index)].width = width;
  Changed();
}

void TStatusBar::SetSimplePanel(bool v) {
  if (v == simple_panel_) return;
  simple_panel_ = v;
  Changed();
}

void TStatusBar::SetSimpleText(std::string v) {
  if (v == simple_text_) return;
  simple_text_ = std::move(v);
  Changed();
}

TMenuItem::TMenuItem(TComponent* owner, std::string name, std::string caption)
    : TComponent(owner, std::move(name)), caption_(std::move(caption)) {}

void TMenuItem::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) {
  items_.push_back(item);
  Changed();
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (OnClick) OnClick();
  if (standard_action_ == TStandardAction::None) return;
  TForm* form = nullptr;
  for (TComponent* owner = Owner(); owner != nullptr && form == nullptr; owner = owner->Owner()) {
    form = dynamic_cast<TForm*>(owner);
  }
  Application().PerformStandardAction(standard_action_, form);
}

TPopupMenu::TPopupMenu(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

void TPopupMenu::Add(TMenuItem* item) {
  items_.push_back(item);
  Changed();
}

void TPopupMenu::Popup(int x, int y) {
  ++popup_count_;
  popup_x_ = x;
  popup_y_ = y;
  if (OnPopupRequest) OnPopupRequest(*this, x, y);
}

TMainMenu::TMainMenu(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

void TMainMenu::Add(TMenuItem* item) {
  items_.push_back(item);
  Changed();
}

// ---- TForm ----

TForm::TForm(std::string name, std::string caption)
    : TWinControl(nullptr, std::move(name)), caption_(std::move(caption)) {
  SetVisible(false);
  Application().RegisterForm(this);
}

TForm::~TForm() {
  for (TForm* form : Application().Forms()) {
    if (form->mdi_parent_ == this) form->mdi_parent_ = nullptr;
  }
  Application().UnregisterForm(this);
}

void TForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate();
}

void TForm::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) OnDestroy();
}

void TForm::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Changed();
}

void TForm::Show() {
  bool was_visible = Visible();
  SetVisible(true);
  if (!was_visible && OnShow) OnShow();
}

void TForm::Hide() {
  bool was_visible = Visible();
  SetVisible(false);
  active_ = false;
  if (was_visible && OnHide) OnHide();
}

void TForm::Close() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(can_close);
  if (!can_close) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(action);
  if (action == TCloseAction::caNone) return;
  if (modal_ && modal_result_ == 0) modal_result_ = IDCANCEL;
  Hide();
  if (Application().MainForm() == this) Application().Terminate();
}

int TForm::ShowModal() {
  if (modal_) return IDCANCEL;
  modal_ = true;
  modal_result_ = 0;
  Show();
  Activate();
  Application().RunModal(*this);
  modal_ = false;
  return modal_result_ != 0 ? modal_result_ : IDCANCEL;
}

void TForm::SetModalResult(int v) {
  modal_result_ = v;
  if (modal_ && v != 0) Hide();
}

void TForm::SetFormStyle(TFormStyle v) {
  if (v == form_style_) return;
  form_style_ = v;
  Changed();
}

void TForm::SetMdiParent(TForm* parent) {
  mdi_parent_ = parent;
  if (parent != nullptr) form_style_ = TFormStyle::fsMDIChild;
  Changed();
}

std::vector<TForm*> TForm::MdiChildren() const {
  std::vector<TForm*> children;
  for (TForm* form : Application().Forms()) {
    if (form->mdi_parent_ == this) children.push_back(form);
  }
  return children;
}

namespace {
// The size of the part of an MDI parent that its children share: below the tool bars,
// above the status bars. Children's positions are relative to it.
void MdiClientArea(const TForm& form, int& width, int& height) {
  int top = 0;
  int bottom = form.Height();
  for (const TControl* control : form.Controls()) {
    if (!control->Visible()) continue;
    if (dynamic_cast<const TToolBar*>(control) != nullptr) top += control->Height();
    if (dynamic_cast<const TStatusBar*>(control) != nullptr) bottom -= control->Height();
  }
  width = std::max(form.Width(), 1);
  height = std::max(bottom - top, 1);
}

std::vector<TForm*> VisibleChildren(const TForm& form) {
  std::vector<TForm*> children = form.MdiChildren();
  std::erase_if(children, [](const TForm* child) { return !child->Visible(); });
  return children;
}
}  // namespace

void TForm::Cascade() {
  int width, height;
  MdiClientArea(*this, width, height);
  constexpr int kStep = 24;
  int offset = 0;
  for (TForm* child : VisibleChildren(*this)) {
    child->SetBounds(offset, offset, std::max(width * 3 / 4, 1), std::max(height * 3 / 4, 1));
    offset += kStep;
  }
}

void TForm::TileHorizontal() {
  int width, height;
  MdiClientArea(*this, width, height);
  std::vector<TForm*> children = VisibleChildren(*this);
  const int count = static_cast<int>(children.size());
  for (int i = 0; i < count; ++i) {
    const int y0 = height * i / count;
    const int y1 = height * (i + 1) / count;
    children[static_cast<size_t>(i)]->SetBounds(0, y0, width, y1 - y0);
  }
}

void TForm::TileVertical() {
  int width, height;
  MdiClientArea(*this, width, height);
  std::vector<TForm*> children = VisibleChildren(*this);
  const int count = static_cast<int>(children.size());
  for (int i = 0; i < count; ++i) {
    const int x0 = width * i / count;
    const int x1 = width * (i + 1) / count;
    children[static_cast<size_t>(i)]->SetBounds(x0, 0, x1 - x0, height);
  }
}

void TForm::SetBorderStyle(TBorderStyle v) {
  if (v == border_style_) return;
  border_style_ = v;
  Changed();
}

void TForm::SetBorderIcons(int v) {
  if (v == border_icons_) return;
  border_icons_ = v;
  Changed();
}

void TForm::SetPosition(TPosition v) {
  if (v == position_) return;
  position_ = v;
  Changed();
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  menu_ = menu;
  Changed();
}

void TForm::SetWindowStyle(std::uint32_t style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TForm::MouseUp(TMouseButton button, int shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void TForm::Activate() {
  active_ = true;
  if (OnActivate) OnActivate();
}

void TForm::Move(int left, int top) {
  StoreBounds(left, top, Width(), Height());
}

void TForm::Resize(int width, int height) {
  StoreBounds(Left(), Top(), width, height);
}

std::intptr_t TForm::Perform(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  std::intptr_t result = 0;
  if (OnWindowMessage && OnWindowMessage(message, wparam, lparam, result)) return result;
  return 0;
}

void TForm::BoundsChanged() {
  if (OnResize) OnResize();
}

void TForm::ConstrainBounds(int& left, int& top, int& width, int& height) const {
  const ScreenRect& area = Application().WorkArea();
  const int origin_left = mdi_parent_ != nullptr ? 0 : area.left;
  const int origin_top = mdi_parent_ != nullptr ? 0 : area.top;
  width = std::clamp(width, kMinFormWidth, std::max(area.width, kMinFormWidth));
  height = std::clamp(height, kMinFormHeight, std::max(area.height, kMinFormHeight));
  left = std::clamp(left, origin_left, origin_left + std::max(area.width - kFormReach, 0));
  top = std::clamp(top, origin_top, origin_top + std::max(area.height - kFormReach, 0));
}

std::uint32_t GetWindowLongA(TForm& form, int index) {
  return index == GWL_STYLE ? form.WindowStyle() : 0;
}

std::uint32_t SetWindowLongA(TForm& form, int index, std::uint32_t value) {
  if (index != GWL_STYLE) return 0;
  std::uint32_t previous = form.WindowStyle();
  form.SetWindowStyle(value);
  return previous;
}

void RemoveCaptionBar(TForm& form) {
  SetWindowLongA(form, GWL_STYLE, GetWindowLongA(form, GWL_STYLE) & 0xFF3FFFFF);
}

}  // namespace forms

#pragma once
// Form and control model. Each control holds its own state, so every form and handler runs
// and is tested with no window system at all; a window system attaches a peer to a control
// and is told of every change. Properties are read with Name() and written with SetName();
// a setter that changes nothing notifies nobody.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/application.h"

namespace forms {

// Colours as blue-green-red values (0x00BBGGRR).
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = clWhite;
inline constexpr TColor clWindowText = clBlack;
inline constexpr TColor clBtnFace = 0xF0F0F0;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift state bits.
inline constexpr int ssShift = 1;
inline constexpr int ssAlt = 2;
inline constexpr int ssCtrl = 4;
inline constexpr int ssLeft = 8;
inline constexpr int ssRight = 16;

using TNotifyEvent = std::function<void()>;

class TComponent;
class TWinControl;
class TPopupMenu;

// What a window system attaches to a component to hear of its changes.
class ComponentPeer {
 public:
  virtual ~ComponentPeer() = default;
  virtual void Sync() = 0;
  // The component is going away; the peer must not touch it again.
  virtual void ComponentDestroyed() {}
};

class TComponent {
 public:
  TComponent(TComponent* owner, std::string name);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }

  void SetPeer(ComponentPeer* peer) { peer_ = peer; }
  ComponentPeer* Peer() const { return peer_; }
  // Counts every change, so a window system can tell what to redraw.
  std::uint64_t Revision() const { return revision_; }

 protected:
  void Changed();

 private:
  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;
  ComponentPeer* peer_ = nullptr;
  std::uint64_t revision_ = 0;
};

class TTimer : public TComponent {
 public:
  TTimer(TComponent* owner, std::string name, int interval_ms = 1000, bool enabled = true);
  ~TTimer() override;

  int Interval() const { return interval_; }
  // Changing the interval of an enabled timer restarts it.
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  // Enabling (also re-enabling) starts a whole interval from now.
  void SetEnabled(bool enabled);
  TNotifyEvent OnTimer;

  std::int64_t DueMs() const { return due_ms_; }

 private:
  friend class TApplication;
  void Restart();
  int interval_;
  bool enabled_ = false;
  std::int64_t due_ms_ = 0;
  std::uint64_t sequence_ = 0;
};

class TControl : public TComponent {
 public:
  TControl(TWinControl* parent, std::string name);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  // Within the limits the kind of control has (ConstrainBounds).
  void SetBounds(int left, int top, int width, int height);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string v);

  // Background and text. Each kind of control starts with its own background colour.
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor v);
  // Empty name: the window system's default font.
  const std::string& FontName() const { return font_name_; }
  void SetFontName(std::string v);
  // Points; 0: the default size.
  int FontSize() const { return font_size_; }
  void SetFontSize(int v);
  bool FontBold() const { return font_bold_; }
  void SetFontBold(bool v);

  // The menu a right click on the control opens (not owned).
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  // Input: a right click at screen position x, y opens the popup menu there, if any.
  void ContextPopup(int x, int y);

 protected:
  // Hook for size changes (forms fire OnResize).
  virtual void BoundsChanged() {}
  // The limits on where a control goes and how large it is: left, top, width and height,
  // changed in place. None by default.
  virtual void ConstrainBounds(int&, int&, int&, int&) const {}
  // Takes the bounds as they stand: where the window system really put the control.
  void StoreBounds(int left, int top, int width, int height);
  // For constructors: sets the starting background without notifying anybody.
  void InitColor(TColor v) { color_ = v; }

 private:
  TWinControl* parent_;
  int left_ = 0, top_ = 0, width_ = 100, height_ = 24;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  TColor color_ = clBtnFace;
  TColor font_color_ = clWindowText;
  std::string font_name_;
  int font_size_ = 0;
  bool font_bold_ = false;
  TPopupMenu* popup_menu_ = nullptr;
};

class TWinControl : public TControl {
 public:
  TWinControl(TWinControl* parent, std::string name);
  const std::vector<TControl*>& Controls() const { return controls_; }

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
};

class TLabel : public TControl {
 public:
  TLabel(TWinControl* parent, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  // A transparent label shows its parent's background.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);

 private:
  std::string caption_;
  bool transparent_ = true;
};

class TEdit : public TWinControl {
 public:
  TEdit(TWinControl* parent, std::string name, std::string text = {});
  const std::string& Text() const { return text_; }
  // Fires OnChange when the text changes (as typing does).
  void SetText(std::string v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char v);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v);

  // Input from the window system or a test.
  void DoubleClick();

  TNotifyEvent OnChange;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnClick;

 private:
  std::string text_;
  bool read_only_ = false;
  char password_char_ = '\0';
  int max_length_ = 0;
};

// An edit with an input mask such as "!90:00;1;_": '0' a required digit, '9' an optional
// digit, other characters literals; the part after the first ';' says whether literals are
// kept in the text (1) and which character shows an empty position.
class TMaskEdit : public TEdit {
 public:
  TMaskEdit(TWinControl* parent, std::string name, std::string mask, std::string text = {});
  const std::string& EditMask() const { return mask_; }
  void SetEditMask(std::string v);
  // The longest text the mask admits (its positions).
  int MaskLength() const;
  // Whether a text fits the mask (used by the window system to refuse other input).
  bool Accepts(const std::string& text) const;
  // Whether every required position ('0') of the mask holds a digit.
  bool IsComplete(const std::string& text) const;
  // The character that shows an empty position ('_' when the mask names none).
  char BlankChar() const;

 private:
  std::string mask_;
};

class TStrings {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // Throws std::out_of_range for an index outside 0..Count()-1.
  const std::string& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  // The line at index, or the empty text outside 0..Count()-1.
  const std::string& Get(int index) const;
  // Index of the first line equal to text, or -1.
  int IndexOf(const std::string& text) const;
  const std::vector<std::string>& Items() const { return items_; }
  int Add(std::string line);
  void Insert(int index, std::string line);
  void Delete(int index);
  void Clear();
  void Set(int index, std::string line);
  // Every line followed by "\n".
  std::string Text() const;
  void SetText(const std::string& text);
  std::function<void()> OnChange;

 private:
  void Notify();
  std::vector<std::string> items_;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWinControl {
 public:
  TMemo(TWinControl* parent, std::string name);
  TStrings& Lines() { return lines_; }
  const TStrings& Lines() const { return lines_; }
  // Every line followed by "\n"; setting it splits at line breaks.
  std::string Text() const { return lines_.Text(); }
  void SetText(const std::string& text) { lines_.SetText(text); }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle v);
  // Long lines wrap at the edge (no horizontal scrolling then).
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);

 private:
  TStrings lines_;
  bool read_only_ = false;
  TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
  bool word_wrap_ = true;
};

class TButton : public TWinControl {
 public:
  TButton(TWinControl* parent, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int v) { modal_result_ = v; }
  // Input: a click runs OnClick, then closes a modal form with the button's modal result.
  void Click();
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  int modal_result_ = 0;
};
using TBitBtn = TButton;
using TSpeedButton = TButton;

class TCheckBox : public TWinControl {
 public:
  TCheckBox(TWinControl* parent, std::string name, std::string caption = {}, bool checked = false);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  bool Checked() const { return checked_; }
  // A change of state fires OnClick, whether the user or the program made it.
  void SetChecked(bool v);
  // Input: the user toggles the box.
  void Click() {
    if (Enabled()) SetChecked(!checked_);
  }
  TNotifyEvent OnClick;

 private:
  std::string caption_;
  bool checked_;
};

class TListBox : public TWinControl {
 public:
  TListBox(TWinControl* parent, std::string name);
  TStrings& Items() { return items_; }
  const TStrings& Items() const { return items_; }
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v);
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int v);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  // Input from the window system or a test.
  void ClickItem(int index);
  void DoubleClickItem(int index);
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

 private:
  TStrings items_;
  bool multi_select_ = false;
  int item_index_ = -1;
  std::vector<bool> selected_;
};

// Up-down spinner bound to an edit: the edit shows the position.
class TUpDown : public TWinControl {
 public:
  TUpDown(TWinControl* parent, std::string name, int min = 0, int max = 100, int position = 0);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetMin(int v);
  void SetMax(int v);
  int Position() const { return position_; }
  // Clamped to Min..Max.
  void SetPosition(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  bool Wrap() const { return wrap_; }
  void SetWrap(bool v) { wrap_ = v; }
  TEdit* Associate() const { return associate_; }
  void SetAssociate(TEdit* edit);
  // Input: one step up or down (wraps past the limits when Wrap is set).
  void StepUp();
  void StepDown();
  TNotifyEvent OnChanging;
  TNotifyEvent OnClick;

 private:
  void ShowInAssociate();
  int min_, max_, position_;
  int increment_ = 1;
  bool wrap_ = false;
  TEdit* associate_ = nullptr;
};

class TPanel : public TWinControl {
 public:
  TPanel(TWinControl* parent, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);

 private:
  std::string caption_;
};
// A group box is a panel that shows its caption in its frame.
using TGroupBox = TPanel;

struct TStatusPanel {
  int width = 50;
  std::string text;
};

class TStatusBar : public TWinControl {
 public:
  TStatusBar(TWinControl* parent, std::string name);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  void AddPanel(int width, std::string text = {});
  const TStatusPanel& Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
  void SetPanelText(int index, std::string text);
  void SetPanelWidth(int index, int width);
  bool SimplePanel() const { return simple_panel_; }
  void SetSimplePanel(bool v);
  const std::string& SimpleText() const { return simple_text_; }
  void SetSimpleText(std::string v);

 private:
  std::vector<TStatusPanel> panels_;
  bool simple_panel_ = false;
  std::string simple_text_;
};

class TMenuItem : public TComponent {
 public:
  TMenuItem(TComponent* owner, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // A caption of "-" makes the item a separator line.
  bool IsSeparator() const { return caption_ == "-"; }
  // Sub-items, in order (not owned).
  const std::vector<TMenuItem*>& Items() const { return items_; }
  void Add(TMenuItem* item);
  // A standard action runs after OnClick.
  TStandardAction StandardAction() const { return standard_action_; }
  void SetStandardAction(TStandardAction v) { standard_action_ = v; }
  // Input: runs OnClick when the item is enabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  TStandardAction standard_action_ = TStandardAction::None;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, std::string name);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  void Add(TMenuItem* item);
  // Opens the menu at screen position x, y; the window system shows it, a test can read
  // where it was asked for.
  void Popup(int x, int y);
  int PopupCount() const { return popup_count_; }
  int PopupX() const { return popup_x_; }
  int PopupY() const { return popup_y_; }
  std::function<void(TPopupMenu&, int, int)> OnPopupRequest;

 private:
  std::vector<TMenuItem*> items_;
  int popup_count_ = 0, popup_x_ = 0, popup_y_ = 0;
};

class TMainMenu : public TComponent {
 public:
  TMainMenu(TComponent* owner, std::string name);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  void Add(TMenuItem* item);

 private:
  std::vector<TMenuItem*> items_;
};

// Window style bits of the caption bar (what GetWindowLong/SetWindowLong with GWL_STYLE
// read and write).
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_DEFAULT_STYLE = 0x16CF0000;
inline constexpr int GWL_STYLE = -16;

// Window messages the programs handle themselves.
inline constexpr std::uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr std::uint32_t WM_ENDSESSION = 0x0016;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_USER = 0x0400;

enum class TFormStyle { fsNormal, fsMDIForm, fsMDIChild, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TBorderStyle { bsSizeable, bsSingle, bsDialog, bsToolWindow, bsNone };
inline constexpr int biSystemMenu = 1;
inline constexpr int biMinimize = 2;
inline constexpr int biMaximize = 4;
// Where the window system puts a form when it is first shown.
enum class TPosition { poDesigned, poScreenCenter };
class TMainMenu;
// The smallest form: room for a caption bar with its buttons.
inline constexpr int kMinFormWidth = 120;
inline constexpr int kMinFormHeight = 32;
// How far a form's top-left corner stays from the right and bottom edges of the work area:
// enough of it to see and grab, also below a parent's menu and tool bars.
inline constexpr int kFormReach = 100;

class TForm : public TWinControl {
 public:
  TForm(std::string name, std::string caption = {});
  ~TForm() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);

  void Show();
  void Hide();
  // Asks OnCloseQuery, then hides (or lets OnClose decide); a modal form's ShowModal returns.
  // Closing the application's main form ends the program (TApplication::Terminate).
  void Close();
  // Shows the form and runs the application's modal runner until the form is closed;
  // timers keep firing meanwhile. Returns the modal result (IDCANCEL when none was set).
  // Calling it on a form that is already modal returns IDCANCEL at once.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int v);

  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle v);
  // MDI child forms live inside this MDI parent.
  TForm* MdiParent() const { return mdi_parent_; }
  void SetMdiParent(TForm* parent);
  // The MDI children of this form, in order of creation.
  std::vector<TForm*> MdiChildren() const;
  // The standard MDI arrangements of the visible children over the client area (the form's
  // size less the height of its tool bars and status bars).
  void Cascade();
  void TileHorizontal();  // children one above the other, full width
  void TileVertical();    // children side by side, full height

  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v);
  // biSystemMenu | biMinimize | biMaximize.
  int BorderIcons() const { return border_icons_; }
  void SetBorderIcons(int v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v);
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  std::uint32_t WindowStyle() const { return style_; }
  void SetWindowStyle(std::uint32_t style);
  bool HasCaptionBar() const { return (style_ & WS_CAPTION) == WS_CAPTION; }

  bool Active() const { return active_; }

  // Input from the window system or a test.
  void MouseUp(TMouseButton button, int shift, int x, int y);
  void Activate();
  // The user moves or resizes the window (SetWidth/SetHeight fire OnResize too). Taken as
  // the window system reports it, without the limits of SetBounds.
  void Move(int left, int top);
  void Resize(int width, int height);
  // Delivers a window message (the tray icon's callback, for instance) to OnWindowMessage;
  // returns its result, 0 when nobody handled it.
  std::intptr_t Perform(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

  // Fires OnCreate once. The form's own constructor cannot do it (its derived parts do not
  // exist yet), so whoever creates the form calls it once the form is complete.
  void AfterConstruction();
  // Fires OnDestroy once, while the whole form still exists. The base destructor does not
  // fire it, because a handler may touch members of the derived form that are gone by then;
  // the program calls Destroy() (or TApplication::DestroyForms) before deleting a form.
  void Destroy();
  bool Destroyed() const { return destroyed_; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnResize;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDestroy;
  std::function<void(bool& can_close)> OnCloseQuery;
  std::function<void(TCloseAction& action)> OnClose;
  std::function<void(TMouseButton, int shift, int x, int y)> OnMouseUp;
  // Returns true when it handled the message, with its answer in result.
  std::function<bool(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                     std::intptr_t& result)>
      OnWindowMessage;

 protected:
  void BoundsChanged() override;
  // As the window system keeps a window: its size within the work area and no smaller than
  // the smallest form, its top-left corner inside the area and kFormReach from its right and
  // bottom edges. A child's place counts from its parent's client area, which the work area
  // bounds.
  void ConstrainBounds(int& left, int& top, int& width, int& height) const override;

 private:
  std::string caption_;
  bool modal_ = false;
  int modal_result_ = 0;
  bool active_ = false;
  bool created_ = false;
  bool destroyed_ = false;
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TForm* mdi_parent_ = nullptr;
  std::uint32_t style_ = WS_DEFAULT_STYLE;
  TBorderStyle border_style_ = TBorderStyle::bsSizeable;
  int border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = TPosition::poDesigned;
  TMainMenu* menu_ = nullptr;
};

// The platform's window-long calls over a form's style bits.
std::uint32_t GetWindowLongA(TForm& form, int index);
std::uint32_t SetWindowLongA(TForm& form, int index, std::uint32_t value);
// Clears the form's caption bar style bits (0x00C00000) and keeps every other bit.
void RemoveCaptionBar(TForm& form);

}  // namespace forms

// The other controls: one include gives the whole form library.
#include "platform/forms/choice_controls.h"
#include "platform/forms/list_view.h"
#include "platform/forms/save_dialog.h"
#include "platform/forms/tool_bar.h"

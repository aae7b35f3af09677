#pragma once
// A tool bar: a row of buttons along the top of a form.
#include "platform/forms/controls.h"

namespace forms {

class TToolBar;

// A tool bar button; its Hint is what the status bar and the tool tip show.
class TToolButton : public TControl {
 public:
  TToolButton(TToolBar* parent, std::string name, std::string caption = {});
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  // A separator takes room and does nothing.
  bool Separator() const { return separator_; }
  void SetSeparator(bool v);
  // A standard action runs after OnClick.
  TStandardAction StandardAction() const { return standard_action_; }
  void SetStandardAction(TStandardAction v) { standard_action_ = v; }
  // Input: runs OnClick when the button is enabled.
  void Click();
  TNotifyEvent OnClick;

 private:
  TStandardAction standard_action_ = TStandardAction::None;
  std::string caption_;
  bool separator_ = false;
};

class TToolBar : public TWinControl {
 public:
  TToolBar(TWinControl* parent, std::string name);
  // The buttons in order.
  std::vector<TToolButton*> Buttons() const;
  bool ShowCaptions() const { return show_captions_; }
  void SetShowCaptions(bool v);

 private:
  bool show_captions_ = true;
};

}  // namespace forms

#include "platform/forms/application.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/forms/controls.h"

namespace forms {

namespace {
std::int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

int DialogService::MessageBox(const std::string&, const std::string&, int flags) {
  int buttons = flags & 0xF;
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

bool DialogService::GetCursorPos(int& x, int& y) {
  x = 0;
  y = 0;
  return false;
}

bool DialogService::GetSaveFileName(const SaveDialogRequest&, std::string& chosen) {
  chosen.clear();
  return false;
}

bool DialogService::SetForegroundWindow(TForm&) {
  return true;
}

void DialogService::EditAction(TStandardAction) {}

int ScriptedDialogService::MessageBox(const std::string& text, const std::string& caption,
                                      int flags) {
  shown.push_back({text, caption, flags});
  if (while_shown) while_shown(shown.back());
  if (!answers.empty()) {
    int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  return DialogService::MessageBox(text, caption, flags);
}

bool ScriptedDialogService::GetCursorPos(int& x, int& y) {
  x = cursor_known ? cursor_x : 0;
  y = cursor_known ? cursor_y : 0;
  return cursor_known;
}

bool ScriptedDialogService::GetSaveFileName(const SaveDialogRequest& request, std::string& chosen) {
  save_requests.push_back(request);
  chosen.clear();
  if (save_names.empty()) return false;
  chosen = save_names.front();
  save_names.erase(save_names.begin());
  return !chosen.empty();
}

bool ScriptedDialogService::SetForegroundWindow(TForm& form) {
  foreground_requests.push_back(&form);
  return true;
}

TApplication::TApplication() {
  real_origin_ = SteadyMs();
}

void TApplication::UseManualClock(std::int64_t start_ms) {
  manual_clock_ = true;
  manual_now_ = start_ms;
}

void TApplication::UseRealClock() {
  manual_clock_ = false;
  real_origin_ = SteadyMs();
}

std::int64_t TApplication::NowMs() const {
  return manual_clock_ ? manual_now_ : SteadyMs() - real_origin_;
}

TTimer* TApplication::NextDueTimer(std::int64_t limit) const {
  TTimer* best = nullptr;
  for (TTimer* t : timers_) {
    if (!t->Enabled() || t->due_ms_ > limit) continue;
    if (best == nullptr || t->due_ms_ < best->due_ms_ ||
        (t->due_ms_ == best->due_ms_ && t->sequence_ < best->sequence_)) {
      best = t;
    }
  }
  return best;
}

void TApplication::AdvanceTime(std::int64_t ms) {
  const std::int64_t target = manual_now_ + std::max<std::int64_t>(ms, 0);
  while (!terminated_) {
    TTimer* next = NextDueTimer(target);
    if (next == nullptr) break;
    manual_now_ = std::max(manual_now_, next->due_ms_);
    next->due_ms_ = manual_now_ + std::max(next->interval_, 1);
    next->sequence_ = ++enable_sequence_;
    if (next->OnTimer) next->OnTimer();
  }
  manual_now_ = std::max(manual_now_, target);
}

void TApplication::StallFor(std::int64_t ms) {
  if (manual_clock_) manual_now_ += std::max<std::int64_t>(ms, 0);
}

std::int64_t TApplication::FireDueTimers() {
  const std::int64_t now = NowMs();
  // Snapshot of the due timers: each fires at most once per call, however late it is. A
  // handler may run a nested loop that calls this again, so each depth has its own list
  // (kept, so the loop does not allocate once it has run).
  if (due_lists_.size() <= fire_depth_) due_lists_.emplace_back();
  std::vector<TTimer*>& due = due_lists_[fire_depth_];
  due.clear();
  struct DepthGuard {
    std::size_t& depth;
    ~DepthGuard() { --depth; }
  } guard{++fire_depth_};
  for (TTimer* t : timers_) {
    if (t->Enabled() && t->due_ms_ <= now) due.push_back(t);
  }
  std::sort(due.begin(), due.end(), [](const TTimer* a, const TTimer* b) {
    return a->due_ms_ != b->due_ms_ ? a->due_ms_ < b->due_ms_ : a->sequence_ < b->sequence_;
  });
  for (TTimer* t : due) {
    if (terminated_) break;
    // An earlier handler may have destroyed, disabled or restarted the timer.
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end() || !t->Enabled() ||
        t->due_ms_ > now) {
      continue;
    }
    std::int64_t next = t->due_ms_ + std::max(t->interval_, 1);
    t->due_ms_ = next > now ? next : now + std::max(t->interval_, 1);
    if (t->OnTimer) t->OnTimer();
  }
  std::int64_t wait = -1;
  const std::int64_t after = NowMs();
  for (TTimer* t : timers_) {
    if (!t->Enabled()) continue;
    std::int64_t w = std::max<std::int64_t>(t->due_ms_ - after, 0);
    if (wait < 0 || w < wait) wait = w;
  }
  return wait;
}

void TApplication::RegisterTimer(TTimer* timer) {
  timers_.push_back(timer);
}

void TApplication::UnregisterTimer(TTimer* timer) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void TApplication::RegisterForm(TForm* form) {
  forms_.push_back(form);
}

void TApplication::UnregisterForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (main_form_ == form) main_form_ = nullptr;
}

void TApplication::DestroyForms() {
  // A handler may create or delete forms: work from a copy and skip the ones gone.
  const std::vector<TForm*> snapshot = forms_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (std::find(forms_.begin(), forms_.end(), *it) != forms_.end()) (*it)->Destroy();
  }
}

void TApplication::Terminate() {
  terminated_ = true;
}

void TApplication::SetDialogService(DialogService* service) {
  dialogs_ = service != nullptr ? service : &default_dialogs_;
}

DialogService& TApplication::Dialogs() {
  return *dialogs_;
}

void TApplication::RunModal(TForm& form) {
  if (modal_runner_) {
    modal_runner_(form);
  }
  // Without a runner nothing could ever close the form: end the modal state at once.
  if (form.Visible()) form.Hide();
}

TApplication::ModalRunner TApplication::VirtualTimeModalRunner(std::int64_t limit_ms) {
  return [limit_ms](TForm& form) {
    TApplication& app = Application();
    const std::int64_t end = app.NowMs() + limit_ms;
    while (form.Visible() && !app.terminated_ && app.NowMs() < end) {
      TTimer* next = app.NextDueTimer(end);
      if (next == nullptr) break;
      app.AdvanceTime(std::max<std::int64_t>(next->due_ms_ - app.NowMs(), 0));
    }
  };
}

void TApplication::Run() {
  while (!terminated_) {
    std::int64_t wait = FireDueTimers();
    if (OnLoopPass) OnLoopPass();
    if (terminated_) break;
    // Short naps keep OnLoopPass (signals, sockets) responsive when no timer is near.
    if (wait < 0 || wait > 20) wait = 20;
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  }
}

void TApplication::PerformStandardAction(TStandardAction action, TForm* form) {
  TForm* parent = form != nullptr && form->MdiParent() != nullptr ? form->MdiParent() : form;
  switch (action) {
    case TStandardAction::None:
      return;
    case TStandardAction::EditCut:
    case TStandardAction::EditCopy:
    case TStandardAction::EditPaste:
      dialogs_->EditAction(action);
      return;
    case TStandardAction::WindowTileHorizontal:
      if (parent != nullptr) parent->TileHorizontal();
      return;
    case TStandardAction::WindowTileVertical:
      if (parent != nullptr) parent->TileVertical();
      return;
    case TStandardAction::WindowCascade:
      if (parent != nullptr) parent->Cascade();
      return;
  }
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, int flags) {
  return dialogs_->MessageBox(text, caption, flags);
}

TApplication& Application() {
  static TApplication application;
  return application;
}

}  // namespace forms

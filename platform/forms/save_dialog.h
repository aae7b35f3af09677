#pragma once
// The save-file dialog. Execute asks the application's dialog service (the window system's
// file dialog, or a test's script) for a file name.
#include <string>

#include "platform/forms/controls.h"

namespace forms {

class TSaveDialog : public TComponent {
 public:
  TSaveDialog(TComponent* owner, std::string name);
  // Without its leading '.', as the programs give it (".txt" is taken as "txt").
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(std::string v);
  // The proposed name before Execute, the chosen one after a confirmed Execute.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string v) { file_name_ = std::move(v); }
  // "Text files|*.txt|All files|*.*" pairs of description and pattern.
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string v) { filter_ = std::move(v); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string v) { title_ = std::move(v); }

  // True when the user confirmed a name; a name chosen without an extension gets
  // DefaultExt. False (cancelled) leaves FileName as it was.
  bool Execute();

 private:
  std::string default_ext_;
  std::string file_name_;
  std::string filter_;
  std::string title_;
};

}  // namespace forms

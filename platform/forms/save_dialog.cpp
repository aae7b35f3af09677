#include "platform/forms/save_dialog.h"

namespace forms {

TSaveDialog::TSaveDialog(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name)) {}

void TSaveDialog::SetDefaultExt(std::string v) {
  if (!v.empty() && v[0] == '.') v.erase(0, 1);
  default_ext_ = std::move(v);
}

bool TSaveDialog::Execute() {
  SaveDialogRequest request{file_name_, default_ext_, filter_, title_};
  std::string chosen;
  if (!Application().Dialogs().GetSaveFileName(request, chosen) || chosen.empty()) return false;
  const size_t slash = chosen.rfind('/');
  const size_t dot = chosen.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (!has_extension && !default_ext_.empty()) chosen += "." + default_ext_;
  file_name_ = std::move(chosen);
  return true;
}

}  // namespace forms

// Connects the SQL test window's handlers.
#include "server/sql_test_window.h"

namespace tolvex {

void TFormSQL::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  OnResize = [this] { FormResize(); };
}

}  // namespace tolvex

// The database connection made with the login texts of the configuration form.
#include <array>
#include <cstring>

#include "link/cp1251.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/server_config.h"

namespace tolvex {

int ConnectDatabaseFromForm() {
  if (FormCFG == nullptr) return 1;
  // Each text is cut to 31 characters, as the record's fields hold them.
  std::array<char, 32> host{};
  std::array<char, 32> login{};
  std::array<char, 32> password{};
  lamp::Utf8ToCp1251(FormCFG->EditH.Text(), host);
  lamp::Utf8ToCp1251(FormCFG->EditU.Text(), login);
  lamp::Utf8ToCp1251(FormCFG->EditP.Text(), password);
  return ConnectDatabase(host.data(), login.data(), password.data());
}

void TFormCFG::BitBtn2Click() {
  Edit2.SetText(ConnectDatabaseFromForm() == 0 ? "Подключено" : "Ошибка");
}

}  // namespace tolvex

// The database connection made with the login texts of the configuration form.
#include <unistd.h>

#include <array>
#include <cstring>

#include "link/cp1251.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/server_config.h"

namespace tolvex {

namespace {

// The local machine's own name reaches its database server through the local socket, as
// "localhost" does: the local server need not listen on the network at all.
void ReplaceOwnMachineName(std::array<char, 32>& host) {
  char own[256] = {};
  if (gethostname(own, sizeof own - 1) != 0 || own[0] == '\0') return;
  if (std::strcmp(host.data(), own) == 0) std::strcpy(host.data(), "localhost");
}

}  // namespace

int ConnectDatabaseFromForm() {
  if (FormCFG == nullptr) return 1;
  // Each text is cut to 31 characters, as the record's fields hold them.
  std::array<char, 32> host{};
  std::array<char, 32> login{};
  std::array<char, 32> password{};
  lamp::Utf8ToCp1251(FormCFG->EditH.Text(), host);
  lamp::Utf8ToCp1251(FormCFG->EditU.Text(), login);
  lamp::Utf8ToCp1251(FormCFG->EditP.Text(), password);
  ReplaceOwnMachineName(host);
  return ConnectDatabase(host.data(), login.data(), password.data());
}

void TFormCFG::BitBtn2Click() {
  Edit2.SetText(ConnectDatabaseFromForm() == 0 ? "Подключено" : "Ошибка");
}

}  // namespace tolvex

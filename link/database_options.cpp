#include "link/database_options.h"

namespace lamp {

MYSQL* NewDatabaseHandle() {
  MYSQL* handle = mysql_init(nullptr);
  if (handle == nullptr) return nullptr;
  // The character set as a connect option, so that every connect declares it, the
  // library's reconnects included.
  mysql_options(handle, MYSQL_SET_CHARSET_NAME, kDatabaseCharset);
  const my_bool reconnect = 1;
  mysql_options(handle, MYSQL_OPT_RECONNECT, &reconnect);
  return handle;
}

}  // namespace lamp

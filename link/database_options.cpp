#include "link/database_options.h"

namespace lamp {

MYSQL* NewDatabaseHandle() {
  MYSQL* handle = mysql_init(nullptr);
  if (handle == nullptr) return nullptr;
  // The character set as a connect option, so that every connect declares it.
  mysql_options(handle, MYSQL_SET_CHARSET_NAME, kDatabaseCharset);
  const my_bool reconnect = 0;
  mysql_options(handle, MYSQL_OPT_RECONNECT, &reconnect);
  const unsigned connect_timeout = kDatabaseConnectTimeoutSeconds;
  mysql_options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &connect_timeout);
  const unsigned statement_timeout = kDatabaseStatementTimeoutSeconds;
  mysql_options(handle, MYSQL_OPT_READ_TIMEOUT, &statement_timeout);
  mysql_options(handle, MYSQL_OPT_WRITE_TIMEOUT, &statement_timeout);
  return handle;
}

}  // namespace lamp

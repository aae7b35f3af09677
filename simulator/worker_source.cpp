#include "simulator/worker_source.h"

#include <mysql.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "link/number_text.h"

namespace stationsim {

bool ParseWorkerText(const std::string& text, std::vector<WorkerRow>& rows, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int line_number = 0;
  while (std::getline(lines, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string number;
    if (!(fields >> number) || number[0] == '#') continue;
    std::string station_text;
    if (!(fields >> station_text)) {
      error = "line " + std::to_string(line_number) + ": lamp " + number + " has no station";
      return false;
    }
    const std::optional<lamp::DecimalNumber> station = lamp::ReadDecimalNumber(station_text);
    if (!station || station->length != station_text.size()) {
      error = "line " + std::to_string(line_number) + ": station \"" + station_text +
              "\" is not a number";
      return false;
    }
    if (number.size() > 6) {
      error = "line " + std::to_string(line_number) + ": lamp number \"" + number +
              "\" is longer than 6 characters";
      return false;
    }
    rows.push_back(MakeWorkerRow(number.c_str(), station->value));
  }
  return true;
}

bool ReadWorkerFile(const std::string& path, std::vector<WorkerRow>& rows, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (!ParseWorkerText(text.str(), rows, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool ReadWorkerDatabase(const DatabaseLogin& login, std::vector<WorkerRow>& rows,
                        std::string& error) {
  MYSQL* handle = lamp::NewDatabaseHandle();
  if (handle == nullptr) {
    error = "out of memory for a database connection";
    return false;
  }
  const char* socket = login.socket.empty() ? nullptr : login.socket.c_str();
  if (mysql_real_connect(handle, login.host.c_str(), login.user.c_str(), login.password.c_str(),
                         login.database.c_str(), 0, socket, 0) == nullptr) {
    error = std::string("cannot connect to the database: ") + mysql_error(handle);
    mysql_close(handle);
    return false;
  }
  const char* query = "SELECT TABNUM, ST FROM WORKER ORDER BY DATA_ID";
  bool ok = mysql_query(handle, query) == 0;
  MYSQL_RES* result = ok ? mysql_store_result(handle) : nullptr;
  if (!ok || result == nullptr) {
    error = std::string("cannot read WORKER: ") + mysql_error(handle);
    mysql_close(handle);
    return false;
  }
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const char* number = row[0] ? row[0] : "";
    const int station = row[1] ? lamp::ReadDecimal(row[1]).value_or(0) : 0;
    rows.push_back(MakeWorkerRow(number, station));
  }
  mysql_free_result(result);
  mysql_close(handle);
  return true;
}

}  // namespace stationsim

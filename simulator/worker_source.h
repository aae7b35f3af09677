#pragma once
// Where the simulator takes its lamp list from: a text file or the WORKER table of the
// database, the same rows the server loads.
#include <string>
#include <vector>

#include "link/database_options.h"
#include "simulator/lamp_room.h"

namespace stationsim {

// A text file, one lamp per line: its number and its station number, separated by blanks
// (further fields are ignored). Empty lines and lines starting with "#" are skipped. A line
// without a station number is an error naming the line.
bool ReadWorkerFile(const std::string& path, std::vector<WorkerRow>& rows, std::string& error);

// Parses the same format from text (the file reader and the tests use it).
bool ParseWorkerText(const std::string& text, std::vector<WorkerRow>& rows, std::string& error);

struct DatabaseLogin {
  std::string host = "localhost";
  std::string user = "root";
  std::string password = "q758";
  std::string database = lamp::kDatabaseName;
  // Empty: the client library's default (MYSQL_UNIX_PORT when set).
  std::string socket;
};

// Reads TABNUM and ST of every WORKER row, in the table's row order, over a connection with
// the programs' options (cp1251 text, their timeouts). A NULL or empty ST gives station 0
// (the lamp belongs to no station).
bool ReadWorkerDatabase(const DatabaseLogin& login, std::vector<WorkerRow>& rows,
                        std::string& error);

}  // namespace stationsim

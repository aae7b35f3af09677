// Writes SQL that fills WORKER with a sample lamp room for the demo and the benchmarks:
// stations 1..N with M lamps each (at most 6000 lamps in all), workers with Russian names.
//
//   sample-workers [--stations N] [--lamps M] [--seed S] > workers.sql
//   mariadb zuvurov < workers.sql
//
// N is 1..100 (default 100), M lamps per station 1..60 (default 54, what a station view
// shows); the same seed gives the same rows. A lamp's number is its station in three digits
// followed by three letters ("010aaa", "010aab", ...), so the worker list, which is ordered
// by number, holds each station's lamps together.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "link/sql_text.h"

namespace {

constexpr int kMaxStations = 100;
constexpr int kMaxLampsPerStation = 60;
constexpr int kMaxLamps = 6000;
constexpr int kRowsPerStatement = 500;

constexpr const char* kSurnames[] = {
    "Иванов",   "Петров",   "Сидоров",    "Кузнецов",  "Смирнов",  "Попов",    "Васильев",
    "Соколов",  "Михайлов", "Новиков",    "Фёдоров",   "Морозов",  "Волков",   "Алексеев",
    "Лебедев",  "Семёнов",  "Егоров",     "Павлов",    "Козлов",   "Степанов", "Николаев",
    "Орлов",    "Андреев",  "Макаров",    "Никитин",   "Захаров",  "Зайцев",   "Соловьёв",
    "Борисов",  "Яковлев",  "Григорьев",  "Романов",   "Воробьёв", "Сергеев",  "Кудрявцев",
    "Шевченко", "Ткаченко", "Бондаренко", "Коваленко", "Щербаков", "Журавлёв", "Эйхман"};

constexpr const char* kNames[] = {"Александр", "Сергей", "Владимир", "Николай", "Пётр",
                                  "Андрей",    "Юрий",   "Виктор",   "Олег",    "Игорь",
                                  "Михаил",    "Фёдор",  "Григорий", "Евгений", "Иван"};

constexpr const char* kPatronymics[] = {"Александрович", "Сергеевич", "Владимирович", "Николаевич",
                                        "Петрович",      "Андреевич", "Юрьевич",      "Викторович",
                                        "Олегович",      "Игоревич",  "Михайлович",   "Фёдорович",
                                        "Семёнович",     "Ильич",     "Иванович"};

template <typename T, std::size_t N>
constexpr std::size_t CountOf(const T (&)[N]) {
  return N;
}

// A small fixed generator, so that a seed gives the same rows on every machine.
class Sequence {
 public:
  explicit Sequence(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t Next(std::uint32_t bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % bound;
  }

 private:
  std::uint32_t state_;
};

struct Options {
  int stations = kMaxStations;
  int lamps_per_station = 54;
  std::uint32_t seed = 1;
};

bool ParseNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "sample-workers: %s needs a value\n", argv[i]);
      return false;
    }
    const char* text = argv[++i];
    long value = 0;
    if (name == "--stations" && ParseNumber(text, 1, kMaxStations, value)) {
      options.stations = static_cast<int>(value);
    } else if (name == "--lamps" && ParseNumber(text, 1, kMaxLampsPerStation, value)) {
      options.lamps_per_station = static_cast<int>(value);
    } else if (name == "--seed" && ParseNumber(text, 0, 0x7FFFFFFF, value)) {
      options.seed = static_cast<std::uint32_t>(value);
    } else {
      std::fprintf(stderr, "sample-workers: bad option %s %s\n", argv[i - 1], text);
      return false;
    }
  }
  if (options.stations * options.lamps_per_station > kMaxLamps) {
    std::fprintf(stderr, "sample-workers: %d stations of %d lamps exceed %d lamps\n",
                 options.stations, options.lamps_per_station, kMaxLamps);
    return false;
  }
  return true;
}

// "010aaa": station in three digits, then the lamp's index in three letters. Stations are
// 1..100 (checked with the options), so the number always has six characters.
std::string LampNumber(int station, int lamp) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d%c%c%c", station % 1000, 'a' + lamp / 676 % 26,
                'a' + lamp / 26 % 26, 'a' + lamp % 26);
  return number;
}

std::string WorkerRow(int station, int lamp, int row, Sequence& random) {
  std::string values = "(";
  lamp::AppendQuoted(values, LampNumber(station, lamp));
  values += ", ";
  lamp::AppendQuoted(values, kSurnames[random.Next(CountOf(kSurnames))]);
  values += ", ";
  lamp::AppendQuoted(values, kNames[random.Next(CountOf(kNames))]);
  values += ", ";
  lamp::AppendQuoted(values, kPatronymics[random.Next(CountOf(kPatronymics))]);
  char numbers[160];
  const int section = 1 + static_cast<int>(random.Next(8));
  const int brigade = 1 + static_cast<int>(random.Next(12));
  std::snprintf(numbers, sizeof numbers, ", %d, %d, %d, \"2-%02d-%02d\", %d, \"%d\", \"%d\", \"\")",
                station, section, brigade, static_cast<int>(random.Next(100)),
                static_cast<int>(random.Next(100)), 10000 + row, 100 + row, 7000 + row);
  values += numbers;
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: sample-workers [--stations 1..100] [--lamps 1..60] [--seed S]\n");
    return 2;
  }
  Sequence random(options.seed);
  std::printf("SET NAMES utf8mb4;\nUSE zuvurov;\n");
  int row = 0;
  for (int station = 1; station <= options.stations; ++station) {
    for (int lamp = 0; lamp < options.lamps_per_station; ++lamp, ++row) {
      const bool first = row % kRowsPerStatement == 0;
      if (first && row > 0) std::printf(";\n");
      if (first) {
        std::printf(
            "INSERT INTO WORKER (TABNUM, FAMILE, NAME, PATRON, ST, UCH, BRIG, WTEL, WTBNUM, "
            "NUMFIND, NUMCALL, COMMENT) VALUES\n");
      } else {
        std::printf(",\n");
      }
      std::fputs(WorkerRow(station, lamp, row, random).c_str(), stdout);
    }
  }
  if (row > 0) std::printf(";\n");
  return std::fflush(stdout) == 0 ? 0 : 1;
}

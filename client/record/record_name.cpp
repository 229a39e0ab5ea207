// The names the recorder works with: a new record file's name and the file the command line
// names.
#include <chrono>
#include <cstdio>

#include "client/record/record.h"

std::string record_file_name(int64_t unix_seconds) {
  using namespace std::chrono;
  const sys_seconds t{seconds{unix_seconds}};
  const sys_days day = floor<days>(t);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{t - day};
  // The hour moves 8 hours on while the date stays the UTC date.
  const int hour = static_cast<int>((time.hours().count() + 8) % 24);
  char name[RECORD_NAME_SIZE];
  std::snprintf(name, sizeof name, "record/rd%d-%d-%d-%d-%d-%d.rec", static_cast<int>(date.year()),
                static_cast<int>(static_cast<unsigned>(date.month())), static_cast<int>(static_cast<unsigned>(date.day())),
                hour, static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
  return name;
}

std::string record_file_from_command_line(std::string_view command_line) {
  // The screens keep at most 2047 bytes of the command line.
  constexpr size_t kKept = 2047;
  const std::string_view text = command_line.substr(0, kKept);
  const size_t quote = text.rfind('"');
  if (quote == std::string_view::npos || text.size() - quote < 3) return {};
  return std::string(text.substr(quote + 2));
}

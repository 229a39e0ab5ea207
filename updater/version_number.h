// Version texts ("1.2.0.5") as comparable numbers: the first part in the top byte.
#pragma once
#include <cstdint>
#include <string_view>

namespace updater {

// Up to four dot-separated parts, each read like atoi and cut to 8 bits ("256" is 0); missing
// parts are 0 ("3" is 3.0.0.0); with more than three dots the fourth part is the text between
// the third and the fourth dot. Compare the results as unsigned numbers.
uint32_t VersionNumber(std::string_view text);

}  // namespace updater

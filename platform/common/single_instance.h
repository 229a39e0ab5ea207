// The single-instance key: an abstract-namespace UNIX socket (nothing is left on disk).
#pragma once
#include <string>
#include <string_view>

namespace plat::common {

// true when another copy holds the key for name and the game folder (it was sent "raise");
// false when this process now holds it and listens for later copies.
bool anotherCopyRaised(std::string_view name, const std::string& gameDir);

}  // namespace plat::common

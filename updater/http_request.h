// The request the downloader sends on every connection.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "updater/http_url.h"

namespace updater {

// GET of the URL's object from byte `first`; `last` is sent only when above `first`, the
// cookie and the referer only when not empty.
std::string buildHttpRequest(const HttpUrl& url, std::string_view cookie, int32_t first, int32_t last = -1,
                             std::string_view referer = {});

}  // namespace updater

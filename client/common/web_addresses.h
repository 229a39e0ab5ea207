// The deployment's web addresses: values of HKEY_LOCAL_MACHINE "Software\Veldra\Web" in the
// registry, each with a built-in default for a folder that sets none.
#pragma once
#include <string>

struct WEB_ADDRESS {
  const char* value;     // the registry value's name
  const char* fallback;  // used when the value is missing or empty
};

constexpr const char* WEB_ADDRESS_KEY = "Software\\Veldra\\Web";

constexpr WEB_ADDRESS WEB_OFFICIAL{"Official", "https://example.invalid/"};
constexpr WEB_ADDRESS WEB_UPDATER_MAKER{"UpdaterMaker", "https://example.invalid/updater"};
constexpr WEB_ADDRESS WEB_PUBLISHER{"Publisher", "https://example.invalid/publisher"};
constexpr WEB_ADDRESS WEB_REGISTER{"Register", "https://example.invalid/register"};
constexpr WEB_ADDRESS WEB_LOST_PASSWORD{"LostPassword", "https://example.invalid/lost"};
constexpr WEB_ADDRESS WEB_FORUM{"Forum", "https://example.invalid/forum"};
constexpr WEB_ADDRESS WEB_FAQ{"Faq", "https://example.invalid/faq"};

// The address the registry gives, or the default.
std::string web_address(const WEB_ADDRESS& address);
// open_web_page of that address: 1 on success, 0 on failure.
int open_web_address(const WEB_ADDRESS& address);

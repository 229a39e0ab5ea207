// Opening web pages in the browser.
#pragma once
// Opens url in the web browser; a result of 32 or less is a failure.
int open_url(const char* url, int show);
// open_url with SW_SHOW: 1 on success, 0 (and a beep) on failure.
int open_web_page(const char* url);
// Opens url through the registry's "htmlfile" open command.
void open_html_page(const char* url);

// A web page the screens link to: its value under HKEY_LOCAL_MACHINE "Software\\Veldra\\Web" in
// the registry file, and the address used when the value is missing or empty.
struct WEB_PAGE {
  const char* value;
  const char* fallback;
};
constexpr WEB_PAGE WEB_LOST_PASSWORD{"LostPassword", "https://example.invalid/lost"};
constexpr WEB_PAGE WEB_REGISTER{"Register", "https://example.invalid/register"};
constexpr WEB_PAGE WEB_OFFICIAL{"Official", "https://example.invalid/"};
constexpr WEB_PAGE WEB_FORUM{"Forum", "https://example.invalid/forum"};
constexpr WEB_PAGE WEB_FAQ{"Faq", "https://example.invalid/faq"};
// open_web_page with the page's address.
int open_site_page(const WEB_PAGE& page);

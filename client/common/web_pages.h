// Opening web pages in the browser.
#pragma once
// Opens url in the web browser; a result of 32 or less is a failure.
int open_url(const char* url, int show);
// open_url with SW_SHOW: 1 on success, 0 (and a beep) on failure.
int open_web_page(const char* url);
// Opens url through the registry's "htmlfile" open command.
void open_html_page(const char* url);

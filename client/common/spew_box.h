// The tier0 spew handler of the client.
#pragma once
// tier0 spew handler: the text in an "Error" box; 0 for asserts, 2 for errors, 1 otherwise.
int spew_message_box(int spew_type, const char* text);

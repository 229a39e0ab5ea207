// Battle control files ("VORN CONTROL FILE"): the check and the loader that fills the character
// view records, the layer records and the view frames, loading every media file they name.
#pragma once
#include <cstdint>

// 0 for the magic and type 1; -2 when the file does not open, the magic differs or (with a box
// "Ani file type error !") the type is another.
int32_t ani_check_control_file(const char* path);
// 0, or -2 with a system message. Media files loaded before a failure stay in the media table.
int32_t ani_load_char_view(const char* path);

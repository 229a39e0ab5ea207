// How the media code reaches the player: the modal message box and the sound front. Tests and
// tools put recorders in their place.
#pragma once
#include <cstdint>

using MdaMessageFn = void (*)(const char* text);
using MdaSoundFn = int32_t (*)(const uint8_t* image, int32_t size, int32_t volume);

// The game's real ones (its modal message box and sound front), installed at start; until then a
// message is only logged and no sound plays. null installs those stand-ins.
void mda_install_services(MdaMessageFn box, MdaSoundFn sound);
// For tests and tools: null puts back the installed ones.
void mda_set_message_box(MdaMessageFn fn);
void mda_set_sound_player(MdaSoundFn fn);

// Formats the text and shows it modally (it is logged as well).
void mda_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32_t mda_play_sound(const uint8_t* image, int32_t size, int32_t volume);

// The game's system message (text, flag); until installed a message is only logged. Tests put a
// recorder in its place; null puts back the installed one.
using MdaSystemMessageFn = void (*)(const char* text, uint8_t flag);
void mda_install_system_message(MdaSystemMessageFn fn);
void mda_set_system_message(MdaSystemMessageFn fn);
void mda_system_message(uint8_t flag, const char* format, ...) __attribute__((format(printf, 2, 3)));

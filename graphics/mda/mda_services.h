// How the media code reaches the player: the modal message box and the sound front. Tests and
// tools put recorders in their place.
#pragma once
#include <cstdint>

using MdaMessageFn = void (*)(const char* text);
using MdaSoundFn = int32_t (*)(const uint8_t* image, int32_t size, int32_t volume);

// null puts back the real ones (show_message_box with wait, play_sound_effect kind 1).
void mda_set_message_box(MdaMessageFn fn);
void mda_set_sound_player(MdaSoundFn fn);

// Formats the text and shows it modally (it is logged as well).
void mda_message(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32_t mda_play_sound(const uint8_t* image, int32_t size, int32_t volume);

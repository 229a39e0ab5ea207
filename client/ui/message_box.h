// The three ways the client tells the player something: a modal box that is also logged, a
// system message that closes by itself, and non-modal pop-up windows. All draw a one-line box
// centred on the 800 x 600 screen whose width follows the text.
#pragma once
#include <cstddef>
#include <cstdint>

struct BITMAP16;

constexpr int MESSAGE_SLOTS = 100;
constexpr int MESSAGE_TEXT_SIZE = 1024;
constexpr int32_t MESSAGE_BOX_HEIGHT = 44;
constexpr int32_t MESSAGE_BOX_Y = 278;
constexpr int32_t SYSTEM_MESSAGE_Y = 228;
constexpr uint32_t SYSTEM_MESSAGE_MS = 10000;
constexpr uint32_t MESSAGE_WINDOW_MS = 3000;

// One open pop-up window.
struct MESSAGE_SLOT {
  uint8_t in_use;
  uint32_t open_time;  // frame time at the open
  int32_t x, y, width, height;
  char text[MESSAGE_TEXT_SIZE];
  uint32_t window_id;
};

extern MESSAGE_SLOT message_slots[MESSAGE_SLOTS];
// Each new pop-up is shifted 12 pixels right and down from the previous one.
extern int32_t message_cascade_x, message_cascade_y;
// tier0 ms at which the running system message closes by itself.
extern uint32_t system_message_deadline;

// text may be null (nothing drawn or logged, but a wait still waits); wait 0 or not 0.
void show_message_box(const char* text, uint8_t wait);
// With wait: a box that closes by itself after ten seconds; without: a pop-up window.
void show_system_message(const char* text, uint8_t wait);
// The world message 0x180005: the payload's text (up to its first NUL, within length) as a
// pop-up, so that a handler never opens a nested modal loop.
void system_message_from_payload(const uint8_t* payload, size_t length);
// A non-modal pop-up in the first free slot; a full table falls back to a modal box.
void message_window_open(const char* text);
// The pop-up's callbacks for the window manager.
void message_window_draw();
void message_window_input();
// Every slot free (start-up, game start, window reset).
void message_slots_clear();

// (strlen - 3 x tilde count) x 6 + 32, at least 12.
int32_t message_box_width(const char* text);
// One box at (x, y): translucent black fill, white outline, the text in yellow after "~Z1".
void message_box_draw(int32_t x, int32_t y, int32_t width, const char* text, BITMAP16* target);

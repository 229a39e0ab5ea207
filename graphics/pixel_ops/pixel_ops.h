// The per-pixel colour routines of the software renderer. Five families exist (555, 655, 565,
// 556 and one driven by the screen's channel masks); DRAW copies the screen's family into the
// 30 slots of pixel_ops at start-up and every drawing routine calls the slots.
#pragma once
#include <cstdint>

// One channel of the screen format as DRAW describes it; the mask-driven family reads it.
struct PIXEL_CHANNEL {
  uint32_t mask = 0;
  int high = 0;   // index of the highest set bit
  int low = 0;    // index of the lowest set bit
  int width = 0;  // high - low + 1 (0 for an empty mask)
  int pad = 8;    // 8 - width
};

struct PIXEL_CHANNELS {
  PIXEL_CHANNEL red, green, blue;
};

// DRAW's channel description of the screen (filled by draw_install_pixel_ops).
extern PIXEL_CHANNELS pixel_channels;
// Fills a channel from its mask.
PIXEL_CHANNEL pixel_channel_from_mask(uint32_t mask);

// The 30 slots, in the order DRAW fills them. Channel values are 0-255; colours 0xRRGGBB.
struct PIXEL_OPS {
  uint16_t (*pack_rgb)(uint32_t colour);                             // 1
  uint32_t (*unpack_rgb)(uint16_t pixel);                            // 2
  int (*get_red)(uint16_t pixel);                                    // 3
  int (*get_green)(uint16_t pixel);                                  // 4
  int (*get_blue)(uint16_t pixel);                                   // 5
  void (*set_red)(uint16_t* pixel, int value);                       // 6
  void (*set_green)(uint16_t* pixel, int value);                     // 7
  void (*set_blue)(uint16_t* pixel, int value);                      // 8
  uint16_t (*pack)(int r, int g, int b);                             // 9
  void (*unpack)(uint16_t pixel, int* r, int* g, int* b);            // 10
  uint16_t (*to_555)(uint16_t pixel);                                // 11
  uint16_t (*from_555)(uint16_t pixel);                              // 12
  void (*blend)(const uint16_t* src, uint16_t* dst, int level);      // 13
  void (*add)(const uint16_t* src, uint16_t* dst);                   // 14
  void (*grey)(const uint16_t* src, uint16_t* dst);                  // 15
  void (*sub)(const uint16_t* src, uint16_t* dst);                   // 16
  void (*min)(const uint16_t* src, uint16_t* dst);                   // 17
  void (*max)(const uint16_t* src, uint16_t* dst);                   // 18
  void (*mix)(const uint16_t* src, uint16_t* dst);                   // 19
  void (*scale)(uint16_t* pixel, int n);                             // 20
  void (*tint_red)(const uint16_t* src, uint16_t* dst);              // 21
  void (*tint_green)(const uint16_t* src, uint16_t* dst);            // 22
  void (*tint_blue)(const uint16_t* src, uint16_t* dst);             // 23
  void (*tint_yellow)(const uint16_t* src, uint16_t* dst);           // 24
  void (*add_scaled)(const uint16_t* src, uint16_t* dst, int level); // 25
  void (*scaled)(const uint16_t* src, uint16_t* dst, int level);     // 26
  void (*reduced)(const uint16_t* src, uint16_t* dst, int level);    // 27
  void (*brighten)(uint16_t* pixel, int dr, int dg, int db);         // 28
  void (*darken)(uint16_t* pixel, int dr, int dg, int db);           // 29
  void (*toward_blue)(const uint16_t* src, uint16_t* dst, int level);// 30
};

constexpr int PIXEL_OPS_SLOTS = 30;

// The installed slots (the 565 family until DRAW installs the screen's).
extern PIXEL_OPS pixel_ops;

// Pixel-format ids: 1 = 555, 2 = 655, 3 = 565, 4 = 556, 5 = any other (mask-driven).
enum PixelFormatId { PIXEL_FORMAT_555 = 1, PIXEL_FORMAT_655 = 2, PIXEL_FORMAT_565 = 3, PIXEL_FORMAT_556 = 4,
                     PIXEL_FORMAT_ANY = 5 };

// The id of a screen with these channels, by their widths alone: 5-5-5, 6-5-5, 5-6-5 and 5-5-6 name
// their fixed families, 8-8-8 takes the 565 routines (the present converts), anything else is ANY.
PixelFormatId pixel_format_id_of(const PIXEL_CHANNELS& channels);

// The family of an id; ids outside 1-4 give the mask-driven family.
const PIXEL_OPS& pixel_ops_family(int format_id);

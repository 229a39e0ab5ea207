// What the front-end screens (title, main menu, announcements, account input, server select,
// character select and create) share: the button file, hit boxes taken from a media command's
// first frame, the pointer's hit test, the blink of the animated buttons, the look of the main
// buttons, the frame's present and the release on every way out.
#pragma once
#include <cstdint>
#include <string>

struct BITMAP16;

// Draw flag words of the front-end screens (the interpreter's bits).
constexpr uint32_t FRONT_FIRST = 0x4;    // the first step, not advanced: picks the frame
constexpr uint32_t FRONT_ONCE = 0x2;     // advanced, stopping at the last step
constexpr uint32_t FRONT_LAST = 0x8;     // the last step
constexpr uint32_t FRONT_BLINK = 0x12;   // advanced and looping: a blink tick
constexpr uint32_t FRONT_STILL = 0x10;   // the current step again
constexpr uint32_t FRONT_BLINK_MS = 40;
constexpr uint8_t FRONT_MOUSE_PRESS = 244;
constexpr uint8_t FRONT_MOUSE_RELEASE = 245;

// The button file of every front-end screen: the main buttons' captions and markers, the logo.
constexpr const char* FRONT_BUTTON_FILE = "system\\Button.mda";

enum FrontBoxState { FRONT_IDLE = 0, FRONT_HOVER = 1, FRONT_PRESSED = 2 };

struct FRONT_BOX {
  int32_t left, top, right, bottom;  // right and bottom exclusive
  int32_t x, y;                      // where the box's command is drawn
  int32_t state;                     // FrontBoxState
  bool off;                          // takes no pointer (a slot without a character)
};

// "MainCommand<n>", the name of a media file's command n.
std::string front_command_name(int32_t n);
// The box and draw point of the command's first frame: the command runs once off screen with
// the first-step flag into scratch; the frame's box is the hit box and box + hot spot the draw
// point. 0, or -1 when the command draws no picture.
int front_command_box(int32_t media, const char* command, BITMAP16* scratch, FRONT_BOX* out);
// The steps the media entry holds for the command; 0 when it has none.
int32_t front_command_steps(int32_t media, const char* command);
// The command's animation starts again from its first step.
void front_restart_command(int32_t media, const char* command);
// Every command of the media starts again from its first step.
void front_restart_steps(int32_t media);

// Each box's state for the pointer: 0 outside, inside 2 on a press event and 1 otherwise (boxes
// that are off stay 0). The last box hit, or -1.
int32_t front_hit_test(FRONT_BOX* boxes, int32_t count, int32_t x, int32_t y, uint8_t event);
// FRONT_BLINK when now reached *next (which moves 40 ms on), else FRONT_STILL.
uint32_t front_blink(uint32_t* next, uint32_t now);

// The button file's caption sets: set 1 and set 0, each a hover and a pressed caption.
constexpr const char* FRONT_SET1_HOVER = "MainCommand0";
constexpr const char* FRONT_SET1_PRESS = "MainCommand1";
constexpr const char* FRONT_SET0_HOVER = "MainCommand2";
constexpr const char* FRONT_SET0_PRESS = "MainCommand3";
// The button file's markers of an enabled button and of a disabled one.
constexpr const char* FRONT_ENABLED_IDLE = "MainCommand4";
constexpr const char* FRONT_ENABLED_HOVER = "MainCommand5";
constexpr const char* FRONT_DISABLED_IDLE = "MainCommand6";
constexpr const char* FRONT_DISABLED_HOVER = "MainCommand7";

// A main button: its own command, a marker beside it and a caption from the button file.
struct FRONT_MAIN_BUTTON {
  int32_t idle_x, idle_y;        // the idle marker
  int32_t hover_x, hover_y;      // the hover marker
  int32_t caption_x, caption_y;  // the caption
  const char* hover_caption;     // the button file's caption on hover
  const char* press_caption;     // and while pressed
  // An enabled button's markers; a disabled one shows FRONT_DISABLED_IDLE and FRONT_DISABLED_HOVER.
  const char* idle_marker = FRONT_ENABLED_IDLE;
  const char* hover_marker = FRONT_ENABLED_HOVER;
};
// The two main buttons at the lower right of every front-end screen (the lower one 49 pixels down).
constexpr FRONT_MAIN_BUTTON FRONT_MAIN_UPPER = {752, 449, 741, 438, 609, 464, FRONT_SET0_HOVER, FRONT_SET0_PRESS};
constexpr FRONT_MAIN_BUTTON FRONT_MAIN_LOWER = {752, 498, 741, 487, 609, 513, FRONT_SET0_HOVER, FRONT_SET0_PRESS};
// Idle: the own command still and the idle marker blinking; hover: the caption, the hover marker
// and the own command blinking; pressed: the caption played once, then as hover.
void front_main_button_draw(int32_t button_media, const FRONT_MAIN_BUTTON& button, int32_t own_media,
                            const char* own_command, const FRONT_BOX& box, uint32_t blink, BITMAP16* target);

// Copies a whole screen bitmap (800 x 600) over another.
void front_copy_screen(BITMAP16* destination, BITMAP16* source);
// The main window is minimised: the screens skip their frame.
bool front_minimised();
// The frame is captured and the back bitmap presented.
void front_present();
// The in-game windows' drag and both window lists over the back bitmap, then front_present.
void front_windows_present();

// Runs a screen's release on every way out of its task, the platform exit's test exception among
// them.
struct FrontReleaseGuard {
  void (*release)();
  ~FrontReleaseGuard() { release(); }
};

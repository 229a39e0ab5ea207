// The small words the login and scene handlers keep for the rest of the client: the server clock,
// the position-message counter and the player's posture. The own character's id and scene index
// live in frame_input (the frame step refreshes the index every frame).
#pragma once
#include <cstdint>

struct SERVER_CLOCK {
  uint8_t valid;        // a login reply admitted the account
  uint32_t login_value; // the reply's word at 0, kept
  int32_t offset;       // server seconds minus local seconds (frame time / 1000)
};
extern SERVER_CLOCK server_clock;

// Position messages seen; only the game screen's debug overlay shows it.
extern uint32_t position_message_count;
// The posture of the player's own scene character as the last scene entry gave it.
extern int8_t player_posture;

// The seven words of the last player search reply.
extern uint32_t player_search_result[7];

// Any of the three debug switches: the debug mode byte (debug_flags), the replay hold and the
// frame capture.
// While one is set, scene entries keep the weather off and skip their transition.
bool client_debug_switch_set();

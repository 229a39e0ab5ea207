#include "ui/auto_fight/auto_fight.h"

#include "client/common/seam_calls.h"
#include "core/reset/module_resets.h"

int32_t AUTO_FIGHT_STATE = 0;
AUTO_FIGHT_DATA auto_fight_data{};

// The game screen's fighting logic is not built yet: the step is only recorded.
void auto_fight_step() { seam_call("auto_fight_step"); }

static const ModuleReset k_reset("auto fight", [] {
  AUTO_FIGHT_STATE = 0;
  auto_fight_data = AUTO_FIGHT_DATA{};
});

#include "client/startup/engine_modules.h"

#include "audio/sound/sound_module.h"
#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "engine/timer/timer.h"
#include "engine/winfont/winfont.h"
#include "world/weather/weather_module.h"

int standin_module_init() { return 0; }
void standin_module_free() {}
void standin_module_notify(uint32_t /*active*/) {}

namespace {

void winfont_prepare() {
  font_set_face_kind(4);
  font_set_weight(400);
}

constexpr ENGINE_MODULE_ROW PROGRAM_ROWS[ENGINE_MODULE_COUNT] = {
    {"SYSTEM", nullptr, system_module_init, system_module_free, system_module_notify, "install system failed"},
    {"DRAW", nullptr, draw_module_init, draw_module_free, draw_module_notify, "install draw failed"},
    {"TIMER", nullptr, timer_module_init, timer_module_free, timer_module_notify, "install timer failed"},
    {"INPUT", nullptr, input_module_init, input_module_free, input_module_notify, "install input failed"},
    {"WINFONT", winfont_prepare, winfont_module_init, winfont_module_free, winfont_module_notify,
     "install winfont failed"},
    {"SOUND", nullptr, sound_module_init, sound_module_free, sound_module_notify, nullptr},
    {"weather", nullptr, weather_init, weather_exit, weather_notify, "install weather failed"},
};

}  // namespace

ENGINE_MODULE_ROW engine_module_table[ENGINE_MODULE_COUNT] = {
    PROGRAM_ROWS[0], PROGRAM_ROWS[1], PROGRAM_ROWS[2], PROGRAM_ROWS[3],
    PROGRAM_ROWS[4], PROGRAM_ROWS[5], PROGRAM_ROWS[6],
};

void engine_modules_install() {
  for (const ENGINE_MODULE_ROW& row : engine_module_table) {
    if (row.prepare) row.prepare();
    if (sys_install_module(row.init, row.free, row.notify) != 0 && row.fatal_text) sys_fatal_error(row.fatal_text);
  }
}

void engine_module_table_reset() {
  for (int i = 0; i < ENGINE_MODULE_COUNT; ++i) engine_module_table[i] = PROGRAM_ROWS[i];
}

static const ModuleReset k_reset("engine module table", engine_module_table_reset);

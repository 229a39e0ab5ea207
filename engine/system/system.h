// SYSTEM engine module: the log file error.txt, system information, message pumps,
// screenshots, the frame-rate counter and a small random generator.
#pragma once
#include <cstdint>

#include "core/log/log.h"

// Module hooks.
int system_module_init();
void system_module_free();
void system_module_notify(uint32_t active);

char* sys_message_buffer();

uint32_t sys_pump_messages();
uint32_t sys_pump_window_messages();
void sys_save_screenshot();
uint32_t sys_get_fps();
void sys_get_memory(uint64_t* total, uint64_t* available);
uint32_t sys_get_cpu_mhz();
const char* sys_get_cpu_vendor();
int sys_get_windows_kind();
int sys_is_simplified_chinese_locale();
const char* sys_get_computer_name();
const char* sys_get_user_name();
const char* sys_get_windows_dir();
uint32_t sys_get_volume_serial();
void sys_random_seed_from_clock();
int sys_random();
const char* sys_working_folder();
uint32_t sys_last_pump_time();

// Flag bits: 1 initialised (the log writes only while it is set), 2 application active.
constexpr uint32_t SYS_FLAG_INITIALISED = 1;
constexpr uint32_t SYS_FLAG_ACTIVE = 2;
uint32_t sys_flags();
// Screenshots taken since init, and the path of the last one.
uint32_t sys_screenshot_count();
const char* sys_screenshot_path();
// Empties the path once the game has told the player where the screenshot went.
void sys_screenshot_path_clear();

// Tests only: back to the state at program start.
void system_module_reset();

// The start-up hooks in the order the engine main calls them.
#include "client/startup/client_hooks.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "client/common/spew_box.h"
#include "client/common/version_text.h"
#include "client/game/game_run.h"
#include "client/net/net_link.h"
#include "client/res/res_tables.h"
#include "client/settings/settings.h"
#include "client/startup/engine_modules.h"
#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "jpeg/jcodec.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "social/chat_window/chat_window.h"
#include "social/macro/macro_system.h"

AUTO_PERFORMANCE_BLOCK auto_performance = {};

namespace {
constexpr CLIENT_START_CALLS PROGRAM_CALLS = {net_load_client, res_load_all, chat_window_create, macro_system_load};
}  // namespace

CLIENT_START_CALLS client_start_calls = PROGRAM_CALLS;

void client_start_calls_reset() { client_start_calls = PROGRAM_CALLS; }

std::string client_window_title() {
  char version[VERSION_TEXT_SIZE];
  version_text_format(version, 1, 0, 3);
  char title[APP_TITLE_SIZE];
  std::snprintf(title, sizeof title, "%s( ENGLISH version %s )", GAME_TITLE, version);
  return title;
}

void client_show_window_title(const std::string& title) {
  const plat::WindowId window = sys_main_window();
  if (window != plat::kNoWindow) plat::get().windows().setTitle(window, title);
}

int client_pre_init() {
  client_install_media_services();
  jpeg_register_module();  // before any screen loads a picture
  sys_set_app_title(client_window_title().c_str());
  // No icon resource: the window keeps the desktop's default.
  sys_set_icons(0, 0);
  sys_set_single_instance(1);
  settings_load();
  std::memset(&auto_performance, 0, sizeof auto_performance);
  sys_set_display_mode(settings.full_screen != 0 ? 0 : 1);
  sys_set_exit_on_close(1);
  sys_set_screen_size(800, 600);
  sys_set_window_pos(0, 0);
  client_start_calls.macro_system_load();  // a failure only loses the macros
  return 0;
}

int client_init() {
  plat::tier0::setSpewOutputFunc(spew_message_box);
  if (client_start_calls.net_load_client() == -1) return -1;
  engine_modules_install();
  // The game runs on without the separate chat window; later shows find no window.
  if (client_start_calls.chat_window_create(0, 0) != 0) sys_log(1, "Unable to create the chat window");
  if (client_start_calls.res_load_all() != 0) return -1;
  plat::IFileSystem& files = plat::get().files();
  // Screenshots then fail one by one; the reason is told once here.
  if (!files.exists("screenshots") && !files.mkdir("screenshots")) {
    const std::string why = files.lastError();
    const std::string host = files.resolve("screenshots", plat::Access::Write).value_or("screenshots");
    sys_log_printf(1, "Unable to create screenshots folder (%s): %s", plat::cp936::fromUtf8(host).c_str(),
                   why.c_str());
  }
  sys_log(1, "Game Start OK");
  return 0;
}

int client_run() {
  game_run();
  return 1;
}

void client_shutdown() {
  net_unload_client();
  sys_log(1, "Game Exit OK");
}

static const ModuleReset k_reset("client start calls", client_start_calls_reset);

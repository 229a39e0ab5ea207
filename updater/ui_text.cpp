#include "updater/ui_text.h"

#include "plat/cp936.h"

namespace updater {

namespace {

constexpr const char* PATCH_HAS_TEXT =
    "Veldra Saga Christmas Event and Reborn Patch (Version %s) has been released. The Christmas event will "
    "officially commence on the 22nd December 2005. You may download the info pack in advance. Please select "
    "[Confirm] to download right away.";
constexpr const char* PATCH_MUST_TEXT =
    "If you do not wish to download now, please select [Cancel] to download it in future. If you have not "
    "downloaded the info pack by the 22nd of December, you will be unable to play the game.";

}  // namespace

const UI_TEXT_ENTRY UI_TEXT_TABLE[UI_TEXT_COUNT] = {
    {"caption", "Veldra Saga update client"},
    {"GET_DOOR_ERROR", " Server is busy, might be under maintenance or you are not connected to the internet "},
    {"WRITE_DOOR_ERROR", "Server is busy, unable to connect!"},
    {"GET_FTP_ERROR", "Server is busy, unable to update!"},
    {"WRITE_FTP_ERROR", "Server is busy, unable to update!"},
    {"CONNECT_FTP_ERROR", "Server is busy, please try again later!"},
    {"PROCESS_EXIT", "Client is already running, unable to update!"},
    {"DOWN_FTP_ERROR", "Update error!"},
    {"EXIT", "Do you want to quit the program?"},
    {"UPDATES", "Updating client "},
    {"CONNECT", "Connecting server "},
    {"CONNECTED", "Next to enter game"},
    {"SELECT_SERVER", "Select server"},
    {"SERVER_END", "Next to check version"},
    {"MD5CHECK", "Checking client"},
    {"UPDATE_VERSION", "Updating client to  "},
    {"LEAVETIMES", "Left"},
    {"HOUR", "Hr"},
    {"MINUTE", "Min"},
    {"SECOND", "Sec"},
    {"GET_FTP_OK", "Obtained update list!"},
    {"GET_DOOR_OK", "Obtained server list!"},
    {"GET_UPDATE_INFO", "Obtained updated list\nthis might take some time."},
    {"MD5_CHECK_ERROR", "Error occurred while checking client. Please refer to md5check.txt for more information."},
    {"UPDATE_HAS_PATCH142", PATCH_HAS_TEXT},
    {"UPDATE_MUST_PATCH142", PATCH_MUST_TEXT},
    {"UPDATE_HAS_PATCH143", PATCH_HAS_TEXT},
    {"UPDATE_MUST_PATCH143", PATCH_MUST_TEXT},
};

std::string GetUiText(std::string_view key) {
  const std::string folded = plat::cp936::asciiLower(key);
  for (const UI_TEXT_ENTRY& e : UI_TEXT_TABLE)
    if (plat::cp936::asciiLower(e.key) == folded) return e.text;
  return {};
}

}  // namespace updater

// The open in-game window of each window kind: one id per kind, -1 while that kind is closed.
// The window that owns a kind writes its field; the start-up sets every field to -1.
#pragma once
#include <cstdint>

enum WindowKind {
  WINDOW_CHAT_CHANNEL_MENU,
  WINDOW_SETTINGS,
  WINDOW_SYSTEM_MENU,
  WINDOW_FRIEND_LIST,
  WINDOW_EMOTE_PICKER,
  WINDOW_ATTRIBUTES,
  WINDOW_PET,
  WINDOW_CHAT_LOG,
  WINDOW_BAG,
  WINDOW_MISSIONS,
  WINDOW_GUILD,
  WINDOW_MESSAGE_ENTRY,
  WINDOW_MESSAGE_READER,
  WINDOW_FRIEND_INFO,
  WINDOW_GROUP_MESSAGE,
  WINDOW_MESSAGE_HISTORY,
  WINDOW_PARTY,
  WINDOW_PLAYER_SEARCH,
  WINDOW_PARTY_APPLICANTS,
  WINDOW_AREA_MAP,
  WINDOW_WORLD_MAP,
  WINDOW_GIVE,
  WINDOW_TRADE,
  WINDOW_SPELL_LIST,
  WINDOW_TITLE,
  WINDOW_PET_ITEM_USE,
  WINDOW_PET_SKILLS,
  WINDOW_PET_STARS,
  WINDOW_CHAR_STAT_GRID,
  WINDOW_PET_STAT_GRID,
  WINDOW_BATTLE_SKILLS,
  WINDOW_PET_BATTLE_SKILLS,
  WINDOW_BATTLE_ITEMS,
  WINDOW_BATTLE_PET_ITEMS,
  WINDOW_CREATURE_INFO,
  WINDOW_PET_COMMAND_MENU,
  WINDOW_AMOUNT_ENTRY,
  WINDOW_NICKNAME,
  WINDOW_GUILD_SECOND,
  WINDOW_OWN_STALL,
  WINDOW_STALL_BROWSE,
  WINDOW_MARKET_ORDERS,
  WINDOW_MALL,
  WINDOW_BANK,
  WINDOW_HELP,
  WINDOW_SERVER_SWITCH,
  WINDOW_CHAT_PANEL,
  WINDOW_MAIL_COMPOSE,
  WINDOW_MAIL_READ,
  WINDOW_MAIL_BOX,
  WINDOW_GEAR,
  WINDOW_TEXT_VIEWER,
  WINDOW_NPC_LIST,
  WINDOW_KINDS
};

struct WINDOW_SLOTS {
  int32_t ids[WINDOW_KINDS];
  int32_t settings_hover;     // the settings window's hovered control, -1 none
  int32_t system_menu_hover;  // the system menu's hovered line, -1 none
  int32_t message_target;       // the private-message target window, -1 closed
  int32_t message_target_last;  // the target window's id when the last private message went
  int32_t title_window_stored;  // the title window's id as the title box keeps it
};

extern WINDOW_SLOTS window_slots;

// Every kind closed (-1) and every other word -1.
void window_slots_reset();

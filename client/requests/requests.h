// One-line request senders, each bound to one world message id. Each returns net_send_world's
// result (0 while a record is replayed, when nothing is sent).
#pragma once
#include <cstdint>

// Party.
// 0x30034: a member leaves (or is put out of) the party.
int req_party_leave(uint32_t member_id);
// 0x30037: the party member list.
int req_party_members();
// 0x30033: the leader accepts an applicant.
int req_party_accept(uint32_t applicant_id);
// 0x30032: the leader declines an applicant.
int req_party_decline(uint32_t applicant_id);

// Objects and quests.
// 0x40002: talk to (or fight) a map object; stops the player's walk first and remembers the object.
// The first argument is not used.
int req_object_interact(uint32_t ignored, uint32_t object_id, uint32_t value);
// 0x40005: the quest list.
int req_quest_list();

// The player's character.
// 0x50002: the pending point allocation; the stat windows stop refreshing until the reply.
int req_allocate_points();
// 0x50005: the character details.
int req_char_details();

// Pets.
// 0x60001: the pet list; the pet state counts as not loaded until it arrives.
int req_pet_list();
// 0x60009: the active pet stops being active.
int req_pet_clear_active();
// 0x60008: a pet becomes the active one.
int req_pet_set_active(uint32_t pet_id);
// 0x60007: the pet stops following.
int req_pet_unfollow(uint32_t pet_id);
// 0x60006: the pet follows the player.
int req_pet_follow(uint32_t pet_id);
// 0x60003: the pending point allocation of the pet's slot; a pet not in the table sends nothing
// (-1).
int req_pet_allocate_points(uint32_t pet_id);
// 0x6000c: the details of every pet.
int req_pet_details();
// 0x6000b: releases the shown pet; nothing is sent (-1) when no pet is shown or its slot is empty.
int req_pet_release();

// 0x90001: the periodic ping.
int req_periodic_ping();

// Skills.
// 0xb0001: the player's skills.
int req_skill_list();
// 0xb0003: the shown pet's skills; nothing is sent (-1) when no pet is shown.
int req_pet_skill_list();

// Battle.
// 0xc0005 and 0xc000a: the player's and the pet's battle command, once a round: only a ready
// command not sent yet goes out (0 otherwise).
int req_battle_command();
int req_battle_pet_command();
// 0xc0002: the player is ready for the round.
int req_battle_ready();
// 0xc0007: the round's actions have been played.
int req_battle_action_done();
// 0xc0013: the scene's battle status.
int req_scene_status();

// Restoring.
// 0xd0001, 0xd0002: restore the player's hit points / mana.
int req_restore_player_hp();
int req_restore_player_mp();
// 0xd0003, 0xd0004: restore the active pet's hit points / mana (the argument is not used).
int req_restore_pet_hp(uint32_t ignored);
int req_restore_pet_mp(uint32_t ignored);
// 0xd0005: uses an item of the current bag page on a pet; only in the bag's item-lock mode.
void req_pet_use_item(uint32_t item_id, uint32_t value);

// Titles.
// 0xe0002: the title list.
int req_title_list();
// 0xe0004: wears a title (the id is sent sign-extended).
int req_title_set(uint16_t title_id);
// 0xe0005: takes the title off.
int req_title_clear();

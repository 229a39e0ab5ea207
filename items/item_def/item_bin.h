// The two configuration tables the game run loads before the task loop.
#pragma once

// "config/item_bin.cfg": the item table.
void item_load_item_bin(const char* path);
// "config/scene.bin": the scene table.
void scene_load_scene_bin(const char* path);

#include "world/scene/scene_ranks.h"

const char scene_rank_names[SCENE_RANK_ROWS][SCENE_RANK_NAME_SIZE] = {
    "Recruit",    "Private",            "Lance Corporal",    "Corporal",       "Sergeant",
    "Staff Sergeant", "Second Lieutenant", "Lieutenant",     "Captain",        "Major",
    "Lieutenant Colonel", "Colonel",    "Brigadier General", "Major General",  "Lieutenant General",
    "General",    "Field Marshal",
};

// WINFONT's start-up settings, until the WINFONT module is built.
#pragma once

// The face kind (4 at start-up) and the weight (400) the module's fonts are made with.
void font_set_face_kind(int kind);
void font_set_weight(int weight);
int font_get_face_kind();
int font_get_weight();

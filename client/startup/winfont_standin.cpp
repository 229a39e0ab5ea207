// Stand-in for WINFONT's two start-up settings: kept, used by nothing yet.
#include "client/startup/winfont_standin.h"

namespace {
int face_kind = 0;
int weight = 0;
}  // namespace

void font_set_face_kind(int kind) { face_kind = kind; }
void font_set_weight(int w) { weight = w; }
int font_get_face_kind() { return face_kind; }
int font_get_weight() { return weight; }

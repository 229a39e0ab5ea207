#include "world/ani/char_view_data.h"

#include "core/reset/module_resets.h"

ANI_CONTROL_HEAD ani_control_head{};
std::vector<CHAR_VIEW_DATA> char_view_data;
std::vector<LAYER_VIEW_DATA> layer_view_data;

namespace {

constexpr auto walkHead = [](auto& h, auto& v) {
  v.bytes(h.magic, sizeof h.magic);
  v.u32(h.type);
  v.u32(h.view_frame_count);
  v.u32(h.unused);
  v.u32(h.char_count);
  v.u32(h.layer_count);
};
static_assert(plat::walkMatchesLayout<ANI_CONTROL_HEAD>(ANI_HEAD_FIELDS, walkHead));

constexpr auto walkChar = [](auto& c, auto& v) {
  v.i32(c.media);
  v.bytes(c.battle_head, sizeof c.battle_head);
  v.bytes(c.name, sizeof c.name);
  v.bytes(c.battle_tail, sizeof c.battle_tail);
};
static_assert(plat::walkMatchesLayout<CHAR_VIEW_DATA>(CHAR_VIEW_DATA_FIELDS, walkChar));

constexpr auto walkLayer = [](auto& l, auto& v) {
  v.i32(l.media);
  v.bytes(l.battle, sizeof l.battle);
};
static_assert(plat::walkMatchesLayout<LAYER_VIEW_DATA>(LAYER_VIEW_DATA_FIELDS, walkLayer));

template <typename T, size_t N, typename Walk>
T read_record(plat::ByteReader& r, const plat::FieldSpec (&fields)[N], size_t size, Walk walk, const char* what) {
  plat::ByteReader rec = r.sub(size, what);
  T out{};
  plat::readFields(rec, fields, out, walk);
  return out;
}

}  // namespace

ANI_CONTROL_HEAD ani_head_read(plat::ByteReader& r) {
  return read_record<ANI_CONTROL_HEAD>(r, ANI_HEAD_FIELDS, ANI_HEAD_SIZE, walkHead, "ani head");
}
void ani_head_write(plat::ByteWriter& w, const ANI_CONTROL_HEAD& head) { plat::writeFields(w, head, walkHead); }
CHAR_VIEW_DATA char_view_read(plat::ByteReader& r) {
  return read_record<CHAR_VIEW_DATA>(r, CHAR_VIEW_DATA_FIELDS, CHAR_VIEW_DATA_SIZE, walkChar, "CHAR_VIEW_DATA");
}
void char_view_write(plat::ByteWriter& w, const CHAR_VIEW_DATA& rec) { plat::writeFields(w, rec, walkChar); }
LAYER_VIEW_DATA layer_view_read(plat::ByteReader& r) {
  return read_record<LAYER_VIEW_DATA>(r, LAYER_VIEW_DATA_FIELDS, LAYER_VIEW_DATA_SIZE, walkLayer, "LAYER_VIEW_DATA");
}
void layer_view_write(plat::ByteWriter& w, const LAYER_VIEW_DATA& rec) { plat::writeFields(w, rec, walkLayer); }

static const ModuleReset k_reset("char view data", [] {
  ani_control_head = ANI_CONTROL_HEAD{};
  std::vector<CHAR_VIEW_DATA>().swap(char_view_data);
  std::vector<LAYER_VIEW_DATA>().swap(layer_view_data);
});

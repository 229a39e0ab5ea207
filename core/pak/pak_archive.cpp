// The archive index: open, close, the current archive and the entry look-up.
#include <algorithm>

#include "core/pak/pak_internal.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "plat/bytes.h"
#include "plat/platform.h"

namespace {

PakState g_state;

constexpr plat::FieldSpec kHeadLayout[] = {
    {"magic", 0, 4}, {"id", 4, 4}, {"version", 8, 4}, {"unused", 12, 4}, {"count", 16, 4}};
static_assert(plat::checkLayout(kHeadLayout, PAK_HEAD_SIZE));
constexpr plat::FieldSpec kEntryLayout[] = {{"hash", 0, 4}, {"offset", 4, 4}, {"size", 8, 4}};
static_assert(plat::checkLayout(kEntryLayout, PAK_ENTRY_SIZE));

bool is_live(const PAK_ARCHIVE* archive) {
  const auto& all = g_state.archives;
  return std::find(all.begin(), all.end(), archive) != all.end();
}

}  // namespace

PakState& pak_state() { return g_state; }

PAK_ARCHIVE* pak_open_archive(const char* path) {
  if (!path) return nullptr;
  std::unique_ptr<plat::File> f = plat::get().files().open(path, "rb");
  if (!f) return nullptr;
  uint8_t head[PAK_HEAD_SIZE];
  if (f->read(head, sizeof head) != sizeof head) {
    sys_log_printf(1, "read head error of file %s", path);
    return nullptr;
  }
  plat::ByteReader r(head, sizeof head);
  const auto magic = r.bytes(4, "magic");
  const auto id = r.bytes(4, "id");
  const uint32_t version = r.u32("version");
  r.skip(4, "unused");
  const uint32_t count = r.u32("count");
  if (!std::equal(magic.begin(), magic.end(), "VORN")) {
    sys_log_printf(1, "error copyright of file %s", path);
    return nullptr;
  }
  if (!std::equal(id.begin(), id.end(), "PAK ")) {
    sys_log_printf(1, "error file id of file %s", path);
    return nullptr;
  }
  if (version != PAK_VERSION) {
    sys_log_printf(1, "error file version %s", path);
    return nullptr;
  }
  // The entry count is trusted by nothing: the table must lie inside the file.
  const int64_t file_size = f->size();
  const uint64_t table_end = PAK_HEAD_SIZE + uint64_t{count} * PAK_ENTRY_SIZE;
  std::vector<uint8_t> table;
  if (file_size < 0 || table_end > static_cast<uint64_t>(file_size) ||
      (table.resize(table_end - PAK_HEAD_SIZE), !pak_read_at(*f, PAK_HEAD_SIZE, table.data(), table.size()))) {
    sys_log_printf(1, "error entry table of file %s", path);
    return nullptr;
  }
  auto* archive = new PAK_ARCHIVE;
  archive->file = std::move(f);
  archive->path = path;
  archive->file_size = static_cast<uint64_t>(file_size);
  archive->entries.resize(count);
  plat::ByteReader er(table.data(), table.size(), PAK_HEAD_SIZE);
  for (PakEntry& e : archive->entries) {
    e.hash = er.u32("hash");
    e.offset = er.u32("offset");
    e.size = er.u32("size");
  }
  pak_cache_create();
  g_state.archives.push_back(archive);
  g_state.current = archive;
  return archive;
}

void pak_release_archive(PAK_ARCHIVE* archive) {
  auto& all = g_state.archives;
  all.erase(std::remove(all.begin(), all.end(), archive), all.end());
  if (g_state.current == archive) g_state.current = nullptr;
  delete archive;
  if (!g_state.current && !pak_cache_has_owner()) pak_cache_destroy();
}

void pak_close_archive(PAK_ARCHIVE* archive) {
  if (!archive || !is_live(archive) || archive->closed) return;
  if (g_state.current == archive) {
    g_state.current = nullptr;
    if (!pak_cache_has_owner()) pak_cache_destroy();
  }
  archive->closed = true;
  // Entries still open keep reading through the archive's file until they close.
  if (archive->open_entries == 0) pak_release_archive(archive);
}

void pak_set_current_archive(PAK_ARCHIVE* archive) {
  if (archive && (!is_live(archive) || archive->closed)) return;
  g_state.current = archive;
}

PAK_ARCHIVE* pak_current_archive() { return g_state.current; }

long pak_find_entry(const PAK_ARCHIVE* archive, uint32_t hash) {
  // Signed indices: with no entries, high = -1 and the loop never runs.
  long low = 0;
  long high = static_cast<long>(archive->entries.size()) - 1;
  while (low <= high) {
    const long middle = low + (high - low) / 2;
    const uint32_t h = archive->entries[static_cast<size_t>(middle)].hash;
    if (h == hash) return middle;
    if (hash > h) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return -1;
}

PakDecodeStats pak_decode_stats() { return g_state.stats; }

void pak_reset() {
  while (!g_state.archives.empty()) {
    PAK_ARCHIVE* a = g_state.archives.back();
    g_state.archives.pop_back();
    delete a;
  }
  g_state.current = nullptr;
  g_state.stats = {};
  pak_cache_destroy();
}

static const ModuleReset k_reset("PAK", pak_reset);

// Door.DAT: lead, index, records; the index is written again once the offsets are known.
#include "updater/door_file.h"

#include <cstdint>
#include <memory>

#include "plat/bytes.h"
#include "plat/platform.h"

namespace updater {

namespace {

std::vector<uint8_t> index(int64_t first, int64_t end, size_t recordBytes) {
  plat::ByteWriter w;
  w.i32(static_cast<int32_t>(first));
  w.i32(static_cast<int32_t>(end));
  w.i32(static_cast<int32_t>(recordBytes));
  w.i32(0);
  return w.take();
}

bool put(plat::File& f, const void* p, size_t n) { return f.write(p, n) == n; }

}  // namespace

bool writeDoorFile(const std::string& path, std::span<const ServerLineBytes> records) {
  std::unique_ptr<plat::File> f = plat::get().files().open(path, "wb");
  if (!f) return false;
  const size_t recordBytes = records.size() * plat::SERVER_LINE_RECORD_SIZE;
  const std::vector<uint8_t> lead(DOOR_FILE_LEAD, 0);
  if (!put(*f, lead.data(), lead.size())) return false;
  std::vector<uint8_t> idx = index(0, 0, recordBytes);
  if (!put(*f, idx.data(), idx.size())) return false;
  const int64_t first = f->tell();
  for (const ServerLineBytes& r : records)
    if (!put(*f, r.data(), r.size())) return false;
  const int64_t end = f->tell();
  if (first < 0 || end < 0 || !f->seek(DOOR_FILE_LEAD, 0)) return false;
  idx = index(first, end, recordBytes);
  return put(*f, idx.data(), idx.size()) && f->flush();
}

}  // namespace updater

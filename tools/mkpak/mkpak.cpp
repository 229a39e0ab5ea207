// The test-only PAK packer.
#include "tools/mkpak/mkpak.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "core/pak/pak.h"
#include "plat/bytes.h"

namespace mkpak {

namespace {

constexpr size_t kBlock = 65536;

struct Packed {
  uint32_t hash;
  const Item* item;
};

// The stored form of one entry: its block table, then the blocks.
bool packEntry(const std::vector<uint8_t>& data, bool raw, plat::ByteWriter& w, std::string& error) {
  const size_t blocks = (data.size() + kBlock - 1) / kBlock;
  std::vector<uint8_t> work(LZO1X_1_MEM_COMPRESS);
  std::vector<uint8_t> buf(kBlock + kBlock / 16 + 64 + 3);
  std::vector<uint16_t> lengths;
  plat::ByteWriter body;
  for (size_t b = 0; b < blocks; ++b) {
    const uint8_t* src = data.data() + b * kBlock;
    const size_t n = std::min(kBlock, data.size() - b * kBlock);
    lzo_uint packed = 0;
    if (!raw) {
      if (lzo1x_1_compress(src, n, buf.data(), &packed, work.data()) != LZO_E_OK) {
        error = "compression failed";
        return false;
      }
    }
    if (!raw && packed <= 0xFFFF) {
      lengths.push_back(static_cast<uint16_t>(packed));
      body.bytes(buf.data(), packed);
    } else {
      // The reader always takes 65536 bytes for a raw block, the last one too.
      lengths.push_back(0);
      body.bytes(src, n);
      body.zeros(kBlock - n);
    }
  }
  for (uint16_t l : lengths) w.u16(l);
  w.bytes(body.data().data(), body.size());
  return true;
}

}  // namespace

bool build(const std::vector<Item>& items, bool raw, std::vector<uint8_t>& out, std::string& error) {
  static const bool lzoReady = lzo_init() == LZO_E_OK;
  if (!lzoReady) {
    error = "lzo_init failed";
    return false;
  }
  std::vector<Packed> order;
  for (const Item& it : items) order.push_back({pak_name_hash(it.name.c_str()), &it});
  std::stable_sort(order.begin(), order.end(), [](const Packed& a, const Packed& b) { return a.hash < b.hash; });
  for (size_t i = 1; i < order.size(); ++i) {
    if (order[i].hash == order[i - 1].hash) {
      error = "names of one hash: \"" + order[i - 1].item->name + "\" and \"" + order[i].item->name + "\"";
      return false;
    }
  }
  plat::ByteWriter data;
  std::vector<uint64_t> offsets;
  const uint64_t dataStart = 20 + 12 * uint64_t{order.size()};
  for (const Packed& p : order) {
    offsets.push_back(dataStart + data.size());
    if (p.item->data.size() > UINT32_MAX) {
      error = "entry too large: " + p.item->name;
      return false;
    }
    if (!packEntry(p.item->data, raw, data, error)) return false;
  }
  if (dataStart + data.size() > UINT32_MAX) {
    error = "archive larger than 4 GB";
    return false;
  }
  plat::ByteWriter w;
  w.bytes("VORN", 4);
  w.bytes("PAK ", 4);
  w.u32(0x00010000);
  w.u32(0);
  w.u32(static_cast<uint32_t>(order.size()));
  for (size_t i = 0; i < order.size(); ++i) {
    w.u32(order[i].hash);
    w.u32(static_cast<uint32_t>(offsets[i]));
    w.u32(static_cast<uint32_t>(order[i].item->data.size()));
  }
  w.bytes(data.data().data(), data.size());
  out = w.take();
  return true;
}

bool write(const std::string& hostPath, const std::vector<Item>& items, bool raw, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!build(items, raw, bytes, error)) return false;
  std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) {
    error = "cannot write " + hostPath;
    return false;
  }
  return true;
}

bool packManifest(const std::string& outPath, const std::string& manifestPath, bool raw, std::string& error) {
  std::ifstream m(manifestPath, std::ios::binary);
  if (!m) {
    error = "cannot read " + manifestPath;
    return false;
  }
  const std::filesystem::path base = std::filesystem::path(manifestPath).parent_path();
  std::vector<Item> items;
  std::string line;
  int number = 0;
  while (std::getline(m, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) {
      error = manifestPath + ":" + std::to_string(number) + ": expected NAME<TAB>SOURCE";
      return false;
    }
    std::filesystem::path source = line.substr(tab + 1);
    if (source.is_relative()) source = base / source;
    std::ifstream in(source, std::ios::binary);
    if (!in) {
      error = manifestPath + ":" + std::to_string(number) + ": cannot read " + source.string();
      return false;
    }
    items.push_back({line.substr(0, tab),
                     std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
  }
  return write(outPath, items, raw, error);
}

}  // namespace mkpak

// Build-time generator: turns the MPEG audio CSV tables into one C++ source, so no program reads
// a data file at run time. Each file's first line must name exactly the columns its README
// describes; any mismatch or malformed row fails the build.
// Usage: mpa_tables_gen <data folder> <output .cpp>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Row = std::vector<std::string>;

[[noreturn]] void fail(const std::string& msg) {
  std::fprintf(stderr, "mpa_tables_gen: %s\n", msg.c_str());
  std::exit(1);
}

Row split(const std::string& line) {
  Row out;
  std::string cell;
  std::stringstream ss(line);
  while (std::getline(ss, cell, ',')) out.push_back(cell);
  if (!line.empty() && line.back() == ',') out.push_back("");
  return out;
}

std::string join(const Row& r) {
  std::string s;
  for (size_t i = 0; i < r.size(); ++i) s += (i ? "," : "") + r[i];
  return s;
}

std::string g_dir;
std::string g_readme;

// Reads name.csv; its header must equal `columns`, which must also be what the README's entry for
// the file names (each column in backticks, or inside a `a`..`b` range).
std::vector<Row> load(const std::string& name, const Row& columns) {
  const std::string file = name + ".csv";
  size_t entry = g_readme.find("- " + file);
  if (entry == std::string::npos) fail("README does not describe " + file);
  size_t next = g_readme.find("\n- ", entry + 1);
  const std::string section = g_readme.substr(entry, next == std::string::npos ? next : next - entry);
  for (const auto& c : columns) {
    bool named = section.find("`" + c + "`") != std::string::npos;
    if (!named && !c.empty() && std::isdigit(static_cast<unsigned char>(c.back()))) {
      // `p0`..`p3`: a numbered column inside a documented range.
      std::string stem = c;
      while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
      int n = std::atoi(c.c_str() + stem.size());
      size_t at = 0;
      while (!named && (at = section.find("`" + stem, at)) != std::string::npos) {
        int lo = 0, hi = 0;
        std::string fmt = "`" + stem + "%d`..`" + stem + "%d`";
        if (std::sscanf(section.c_str() + at, fmt.c_str(), &lo, &hi) == 2 && lo <= n && n <= hi)
          named = true;
        ++at;
      }
    }
    if (!named) fail("README does not name column '" + c + "' of " + file);
  }
  std::ifstream in(g_dir + "/" + file);
  if (!in) fail("cannot read " + file);
  std::string line;
  std::vector<Row> rows;
  bool first = true;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      if (!line.empty() && static_cast<unsigned char>(line[0]) == 0xEF) line.erase(0, 3);
      if (split(line) != columns)
        fail(file + ": columns '" + line + "' differ from the README's '" + join(columns) + "'");
      first = false;
      continue;
    }
    if (line.empty()) continue;
    Row r = split(line);
    if (r.size() != columns.size()) fail(file + ":" + std::to_string(lineNo) + ": wrong cell count");
    rows.push_back(r);
  }
  if (first) fail(file + " is empty");
  if (rows.empty()) fail(file + " has no rows");
  return rows;
}

long num(const std::string& s, const std::string& what, long lo, long hi) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || v < lo || v > hi)
    fail(what + ": '" + s + "' is not an integer in " + std::to_string(lo) + ".." + std::to_string(hi));
  return v;
}

std::string real(const std::string& s, const std::string& what) {
  char* end = nullptr;
  std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0') fail(what + ": '" + s + "' is not a number");
  return s;
}

std::ostringstream out;

void huffman() {
  auto rows = load("huffman", {"table", "linbits", "x", "y", "length", "code"});
  struct T { long linbits = -1; size_t offset = 0, count = 0; };
  std::map<long, T> tables;
  long last = -1;
  out << "const HuffmanCode k_huffman_codes[] = {\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    long t = num(r[0], "huffman table", 1, 33);
    if (t == 4 || t == 14) fail("huffman: table " + r[0] + " carries no codes");
    long lb = num(r[1], "huffman linbits", 0, 13);
    long x = num(r[2], "huffman x", 0, 15), y = num(r[3], "huffman y", 0, 15);
    long len = num(r[4], "huffman length", 1, 19);
    const std::string& code = r[5];
    if (static_cast<long>(code.size()) != len || code.find_first_not_of("01") != std::string::npos)
      fail("huffman: code '" + code + "' does not match its length");
    if (t != last) {
      if (tables.count(t)) fail("huffman: rows of table " + r[0] + " are not together");
      tables[t] = T{lb, i, 0};
      last = t;
    }
    if (tables[t].linbits != lb) fail("huffman: table " + r[0] + " has mixed linbits");
    ++tables[t].count;
    out << "  {" << x << ", " << y << ", " << len << ", 0b" << code << "u},\n";
  }
  out << "};\n\nconst HuffmanIndex k_huffman_index[34] = {\n";
  for (long t = 0; t < 34; ++t) {
    auto it = tables.find(t);
    if (it == tables.end()) {
      if (t != 0 && t != 4 && t != 14) fail("huffman: table " + std::to_string(t) + " is missing");
      out << "  {0, 0, 0},\n";
    } else {
      out << "  {" << it->second.linbits << ", " << it->second.offset << ", " << it->second.count << "},\n";
    }
  }
  out << "};\n\n";
}

void scalefactorBands() {
  auto rows = load("scalefactor_bands", {"rate", "block", "band", "start", "end"});
  const long rates[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
  std::map<std::pair<long, std::string>, std::vector<std::pair<long, long>>> bands;
  for (const Row& r : rows) {
    long rate = num(r[0], "scalefactor_bands rate", 8000, 48000);
    if (r[1] != "long" && r[1] != "short") fail("scalefactor_bands: block '" + r[1] + "'");
    auto& v = bands[{rate, r[1]}];
    long band = num(r[2], "scalefactor_bands band", 0, 21);
    if (band != static_cast<long>(v.size())) fail("scalefactor_bands: band " + r[2] + " out of order");
    long s = num(r[3], "scalefactor_bands start", 0, 576), e = num(r[4], "scalefactor_bands end", 1, 576);
    if (e <= s || (v.empty() ? s != 0 : s != v.back().second)) fail("scalefactor_bands: gap at band " + r[2]);
    v.push_back({s, e});
  }
  if (bands.size() != 18) fail("scalefactor_bands: expected long and short tables of nine rates");
  out << "const int k_sfb_rates[9] = {";
  for (long r : rates) out << r << ", ";
  out << "};\n\n";
  for (int shortBlock = 0; shortBlock < 2; ++shortBlock) {
    const char* block = shortBlock ? "short" : "long";
    size_t n = shortBlock ? 13 : 22;
    long total = shortBlock ? 192 : 576;
    out << "const Band k_sfb_" << block << "[9][" << n << "] = {\n";
    for (long rate : rates) {
      auto it = bands.find({rate, block});
      if (it == bands.end() || it->second.size() != n || it->second.back().second != total)
        fail("scalefactor_bands: " + std::to_string(rate) + " " + block + " table incomplete");
      out << "  {";
      for (auto [s, e] : it->second) out << "{" << s << ", " << e << "}, ";
      out << "},\n";
    }
    out << "};\n\n";
  }
}

// Rows keyed 0..n-1 by their first column, in order.
void checkIndex(const std::vector<Row>& rows, const std::string& what, size_t n) {
  if (rows.size() != n) fail(what + ": expected " + std::to_string(n) + " rows");
  for (size_t i = 0; i < rows.size(); ++i)
    if (num(rows[i][0], what, 0, static_cast<long>(n) - 1) != static_cast<long>(i))
      fail(what + ": row " + std::to_string(i) + " out of order");
}

void smallTables() {
  auto pretab = load("layer3_pretab", {"band", "pretab"});
  checkIndex(pretab, "layer3_pretab", 22);
  out << "const uint8_t k_pretab[22] = {";
  for (const Row& r : pretab) out << num(r[1], "pretab", 0, 15) << ", ";
  out << "};\n\n";

  auto aa = load("layer3_antialias", {"index", "c"});
  checkIndex(aa, "layer3_antialias", 8);
  out << "const double k_antialias[8] = {";
  for (const Row& r : aa) out << real(r[1], "antialias c") << ", ";
  out << "};\n\n";

  auto slen = load("layer3_slen_mpeg1", {"scalefac_compress", "slen1", "slen2"});
  checkIndex(slen, "layer3_slen_mpeg1", 16);
  out << "const SlenMpeg1 k_slen_mpeg1[16] = {";
  for (const Row& r : slen) out << "{" << num(r[1], "slen1", 0, 4) << ", " << num(r[2], "slen2", 0, 4) << "}, ";
  out << "};\n\n";

  auto parts = load("layer3_lsf_partitions", {"row", "block", "p0", "p1", "p2", "p3"});
  if (parts.size() != 18) fail("layer3_lsf_partitions: expected 18 rows");
  const char* blocks[3] = {"long", "short", "mixed"};
  out << "const LsfPartition k_lsf_partitions[6][3] = {\n";
  for (size_t i = 0; i < parts.size(); ++i) {
    const Row& r = parts[i];
    if (num(r[0], "partition row", 0, 5) != static_cast<long>(i / 3) || r[1] != blocks[i % 3])
      fail("layer3_lsf_partitions: row " + std::to_string(i) + " out of order");
    out << (i % 3 == 0 ? "  {" : "") << "{{" << num(r[2], "p0", 0, 22) << ", " << num(r[3], "p1", 0, 22) << ", "
        << num(r[4], "p2", 0, 22) << ", " << num(r[5], "p3", 0, 22) << "}}, " << (i % 3 == 2 ? "},\n" : "");
  }
  out << "};\n\n";

  auto lsf = load("layer3_lsf_slen",
                  {"intensity_right", "scalefac_compress", "row", "slen1", "slen2", "slen3", "slen4", "preflag"});
  if (lsf.size() != 768) fail("layer3_lsf_slen: expected 512 + 256 rows");
  out << "const LsfSlen k_lsf_slen[768] = {\n";
  for (size_t i = 0; i < lsf.size(); ++i) {
    const Row& r = lsf[i];
    long ir = i < 512 ? 0 : 1, sc = i < 512 ? i : i - 512;
    if (num(r[0], "intensity_right", 0, 1) != ir || num(r[1], "scalefac_compress", 0, 511) != sc)
      fail("layer3_lsf_slen: row " + std::to_string(i) + " out of order");
    out << "  {" << num(r[2], "row", 0, 5) << ", {" << num(r[3], "slen1", 0, 5) << ", " << num(r[4], "slen2", 0, 5)
        << ", " << num(r[5], "slen3", 0, 5) << ", " << num(r[6], "slen4", 0, 5) << "}, "
        << (num(r[7], "preflag", 0, 1) ? "true" : "false") << "},\n";
  }
  out << "};\n\n";

  auto win = load("layer3_windows", {"block_type", "i", "window"});
  if (win.size() != 36 * 3 + 12) fail("layer3_windows: expected 120 rows");
  out << "const double k_windows[4][36] = {\n";
  size_t k = 0;
  for (long bt = 0; bt < 4; ++bt) {
    long n = bt == 2 ? 12 : 36;
    out << "  {";
    for (long i = 0; i < n; ++i, ++k) {
      if (num(win[k][0], "block_type", 0, 3) != bt || num(win[k][1], "window i", 0, 35) != i)
        fail("layer3_windows: row " + std::to_string(k) + " out of order");
      out << real(win[k][2], "window") << ", ";
    }
    out << "},\n";
  }
  out << "};\n\n";
}

void layer2() {
  auto rows = load("layer2_allocation", {"table", "subband", "nbal", "levels"});
  const std::vector<std::pair<std::string, long>> tables = {{"a", 27}, {"b", 30}, {"c", 8}, {"d", 12}, {"lsf", 30}};
  std::ostringstream levels;
  std::ostringstream entries;
  size_t k = 0, offset = 0;
  for (auto& [name, n] : tables) {
    for (long sb = 0; sb < n; ++sb, ++k) {
      if (k >= rows.size() || rows[k][0] != name || num(rows[k][1], "subband", 0, 31) != sb)
        fail("layer2_allocation: table " + name + " sub-band " + std::to_string(sb) + " missing or out of order");
      long nbal = num(rows[k][2], "nbal", 2, 4);
      std::istringstream ls(rows[k][3]);
      std::string lv;
      size_t count = 0;
      while (ls >> lv) {
        long v = num(lv, "levels", 3, 65535);
        if (v != 3 && v != 5 && v != 9 && ((v + 1) & v) != 0) fail("layer2_allocation: level count " + lv);
        levels << v << ", ";
        ++count;
      }
      if (count != (1u << nbal) - 1) fail("layer2_allocation: " + name + " sub-band " + rows[k][1] + " needs 2^nbal - 1 levels");
      entries << "  {" << nbal << ", " << offset << ", " << count << "},\n";
      offset += count;
    }
  }
  if (k != rows.size()) fail("layer2_allocation: unexpected rows");
  out << "const uint32_t k_l2_levels[] = {" << levels.str() << "};\n\n";
  out << "const L2Index k_l2_alloc[] = {\n" << entries.str() << "};\n\n";
}

void bitrates() {
  auto rows = load("bitrates", {"family", "layer", "index", "kbps"});
  if (rows.size() != 96) fail("bitrates: expected six rows of 16");
  const char* fam[2] = {"mpeg1", "lsf"};
  const char* lay[3] = {"I", "II", "III"};
  out << "const uint16_t k_bitrates[2][3][16] = {\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    if (r[0] != fam[i / 48] || r[1] != lay[(i / 16) % 3] || num(r[2], "index", 0, 15) != static_cast<long>(i % 16))
      fail("bitrates: row " + std::to_string(i) + " out of order");
    out << (i % 48 == 0 ? "  {" : "") << (i % 16 == 0 ? "{" : "") << num(r[3], "kbps", 0, 448) << ", "
        << (i % 16 == 15 ? "}, " : "") << (i % 48 == 47 ? "},\n" : "");
  }
  out << "};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) fail("usage: mpa_tables_gen <data folder> <output .cpp>");
  g_dir = argv[1];
  {
    std::ifstream rd(g_dir + "/README.md");
    if (!rd) fail("no README.md in " + g_dir);
    std::stringstream ss;
    ss << rd.rdbuf();
    g_readme = ss.str();
  }
  out << "// Generated by mpa_tables_gen from the MPEG audio CSV tables. Do not edit.\n"
         "#include \"audio/mpeg/tables/mpa_tables_data.h\"\n\nnamespace mpa_tables::data {\n\n";
  huffman();
  scalefactorBands();
  smallTables();
  layer2();
  bitrates();
  out << "}  // namespace mpa_tables::data\n";
  const std::string path = argv[2];
  const std::string tmp = path + ".tmp";
  {
    std::ofstream o(tmp, std::ios::binary);
    o << out.str();
    if (!o) fail("cannot write " + tmp);
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) fail("cannot write " + path);
  return 0;
}

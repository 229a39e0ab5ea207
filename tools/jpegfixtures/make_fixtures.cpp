// jpeg_fixtures <folder>: writes the source pictures and scan scripts, then makes every JPEG of
// the fixture set with cjpeg and jpegtran and its reference decodes with djpeg. The files are
// built in <folder>.part and renamed at the end, so a failed run leaves no half-made folder.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/jpegfixtures/fixture_set.h"
#include "tools/jpegwriter/jpegref.h"

namespace fs = std::filesystem;
using namespace jpegfix;

namespace {

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool write_file(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
  return bool(out);
}

// Runs the commands in the folder on a few threads; prints each failure with its stderr.
bool run_all(const fs::path& dir, const std::vector<std::string>& cmds) {
  std::atomic<size_t> next{0};
  std::atomic<bool> ok{true};
  std::mutex print;
  auto worker = [&](unsigned id) {
    const fs::path err = dir / ("stderr." + std::to_string(id));
    for (size_t i = next++; i < cmds.size(); i = next++) {
      const std::string line = "cd " + quote(dir.string()) + " && " + cmds[i] + " 2>" + quote(err.string());
      if (std::system(line.c_str()) != 0) {
        ok = false;
        std::ifstream in(err);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::lock_guard<std::mutex> lock(print);
        std::fprintf(stderr, "jpeg_fixtures: failed: %s\n%s", cmds[i].c_str(), text.c_str());
      }
    }
    std::error_code ec;
    fs::remove(err, ec);
  };
  const unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < n; ++t) threads.emplace_back(worker, t);
  for (std::thread& t : threads) t.join();
  return ok;
}

std::string djpeg(const std::string& opts, const std::string& out, const std::string& in) {
  return "djpeg -dct int " + opts + (opts.empty() ? "" : " ") + "-outfile " + out + " " + in;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: jpeg_fixtures <folder>\n");
    return 2;
  }
  if (std::system("command -v cjpeg >/dev/null && command -v jpegtran >/dev/null && command -v djpeg >/dev/null") != 0) {
    std::fprintf(stderr, "jpeg_fixtures: cjpeg, jpegtran or djpeg not found (Debian package libjpeg-turbo-progs)\n");
    return 1;
  }
  fs::path out = fs::absolute(argv[1]).lexically_normal();
  if (!out.has_filename()) out = out.parent_path();  // "dir/": the part folder goes beside it
  const fs::path part = out.string() + ".part";
  std::error_code ec;
  fs::remove_all(part, ec);
  fs::create_directories(part, ec);
  if (ec) {
    std::fprintf(stderr, "jpeg_fixtures: cannot create %s: %s\n", part.c_str(), ec.message().c_str());
    return 1;
  }

  bool ok = true;
  for (const Size s : kSizes)
    for (bool grey : {false, true})
      ok &= write_file(part / source_file(s, grey), jpegref::to_pnm(jpegref::make_source(s.w, s.h, grey ? 1 : 3)));
  ok &= write_file(part / "spectral.txt", jpegref::scan_file_text(jpegref::script_spectral(3)));
  ok &= write_file(part / "successive.txt", jpegref::scan_file_text(jpegref::script_successive(3)));
  ok &= write_file(part / "percomp.txt", jpegref::scan_file_text(jpegref::script_per_component(3)));
  if (!ok) {
    std::fprintf(stderr, "jpeg_fixtures: cannot write the sources into %s\n", part.c_str());
    return 1;
  }

  // First the encodes, then everything made from them.
  std::vector<std::string> encodes, derived;
  for (const Variant& v : kVariants)
    for (const Size s : kSizes) {
      const std::string jpg = jpeg_file(v, s);
      encodes.push_back("cjpeg " + std::string(v.cjpeg_args) + " -outfile " + jpg + " " + source_file(s, v.grey));
      if (v.refused) continue;
      derived.push_back(djpeg("-nosmooth", reference_file(v, s, Ref::Plain), jpg));
      if (v.has_grey_ref) derived.push_back(djpeg("-nosmooth -grayscale", reference_file(v, s, Ref::Grey), jpg));
      for (int d : kScales)
        derived.push_back(djpeg("-nosmooth -scale 1/" + std::to_string(d), reference_file(v, s, Ref::Scaled, d), jpg));
      if (v.has_smooth_ref) derived.push_back(djpeg("", reference_file(v, s, Ref::Smooth), jpg));
    }
  for (const char* b : kTranscodeBases)
    for (const Size s : kTranscodeSizes)
      for (const Transcode& t : kTranscodes)
        derived.push_back("jpegtran " + std::string(t.jpegtran_args) + " -outfile " +
                          transcode_file(variant(b), s, t) + " " + jpeg_file(variant(b), s));

  if (!run_all(part, encodes) || !run_all(part, derived)) return 1;

  fs::remove_all(out, ec);
  fs::rename(part, out, ec);
  if (ec) {
    std::fprintf(stderr, "jpeg_fixtures: cannot rename %s to %s: %s\n", part.c_str(), out.c_str(), ec.message().c_str());
    return 1;
  }
  std::printf("jpeg_fixtures: %zu encodes and %zu derived files in %s\n", encodes.size(), derived.size(), out.c_str());
  return 0;
}

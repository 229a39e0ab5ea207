#include "tools/jpegfixtures/fixture_set.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace jpegfix {

namespace {

std::string size_text(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

const Transcode& transcode(const std::string& name) {
  for (const Transcode& t : kTranscodes)
    if (name == t.name) return t;
  throw std::runtime_error("no JPEG transcode fixture named " + name);
}

}  // namespace

const Variant& variant(const std::string& name) {
  for (const Variant& v : kVariants)
    if (name == v.name) return v;
  throw std::runtime_error("no JPEG fixture variant named " + name);
}

std::string stem(const Variant& v, Size s) { return std::string(v.name) + "_" + size_text(s); }

std::string source_file(Size s, bool grey) { return "src_" + size_text(s) + (grey ? ".pgm" : ".ppm"); }

std::string jpeg_file(const Variant& v, Size s) { return stem(v, s) + ".jpg"; }

std::string transcode_file(const Variant& base, Size s, const Transcode& t) { return stem(base, s) + "_" + t.name + ".jpg"; }

std::string reference_file(const Variant& v, Size s, Ref r, int scale) {
  const std::string ext = v.grey ? ".pgm" : ".ppm";
  switch (r) {
    case Ref::Plain: return stem(v, s) + ext;
    case Ref::Grey: return stem(v, s) + "_grey.pgm";
    case Ref::Scaled: return stem(v, s) + "_scale" + std::to_string(scale) + ext;
    case Ref::Smooth: return stem(v, s) + "_smooth" + ext;
  }
  return {};
}

std::string folder() {
  const char* env = std::getenv("VELDRA_JPEG_FIXTURES");
  if (env && *env) return env;
  return VELDRA_JPEG_FIXTURE_DIR;
}

std::vector<uint8_t> read(const std::string& file) {
  const std::filesystem::path dir(folder());
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec))
    throw std::runtime_error("JPEG fixture folder " + dir.string() +
                             " is missing: the JpegFixtures test step makes it (run the tests through ctest, "
                             "or set VELDRA_JPEG_FIXTURES to a folder it made)");
  std::ifstream in(dir / file, std::ios::binary);
  if (!in) throw std::runtime_error("JPEG fixture " + file + " is missing from " + dir.string());
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> jpeg(const std::string& v, Size s) { return read(jpeg_file(variant(v), s)); }

std::vector<uint8_t> transcoded(const std::string& base, Size s, const std::string& t) {
  return read(transcode_file(variant(base), s, transcode(t)));
}

jpegref::Image reference(const std::string& v, Size s, Ref r, int scale) {
  const std::string file = reference_file(variant(v), s, r, scale);
  const std::vector<uint8_t> bytes = read(file);
  try {
    return jpegref::from_pnm(bytes);
  } catch (const std::exception& e) {
    throw std::runtime_error("JPEG fixture " + file + ": " + e.what());
  }
}

}  // namespace jpegfix

// Game-form path text: back and forward slashes both separate.
#include <string>

#include "engine/util/util.h"
#include "engine/util/util_text.h"
#include "plat/cp936.h"

using util_detail::NONE;

namespace {

// The last "." that belongs to the name part; NONE when there is none, or when the name ends in
// ".." (a parent reference has no extension).
size_t extension_dot(std::string_view path) {
  const size_t dot = path.rfind('.');  // '.' is never a trail byte
  if (dot == std::string_view::npos) return NONE;
  if (dot > 0 && path[dot - 1] == '.') return NONE;
  return dot;
}

}  // namespace

std::string path_change_ext(std::string_view path, std::string_view ext) {
  const size_t dot = path.rfind('.');
  std::string out(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
  if (!ext.empty() && ext[0] == '.') ext.remove_prefix(1);
  out += '.';
  out += ext;
  return out;
}

std::string path_strip_ext(std::string_view path) {
  const size_t dot = extension_dot(path);
  return std::string(dot == NONE ? path : path.substr(0, dot));
}

std::string path_get_ext(std::string_view path) {
  const size_t dot = extension_dot(path);
  return dot == NONE ? std::string() : std::string(path.substr(dot));
}

std::string path_get_dir(std::string_view path) {
  const size_t at = util_detail::last_separator(path);
  if (at == NONE || at == 0) return {};
  return std::string(path.substr(0, at));
}

std::string path_get_name(std::string_view path) {
  const size_t at = util_detail::last_separator(path);
  return std::string(at == NONE ? path : path.substr(at + 1));
}

std::string path_join(std::string_view folder, std::string_view name, std::string_view ext) {
  std::string out(folder);
  if (!folder.empty() && !util_detail::ends_in_separator(folder)) out += '\\';
  out += name;
  out += ext;
  return out;
}

std::string path_to_forward_slashes(std::string_view path) {
  std::string out(path);
  for (size_t i = 0; i < out.size(); i = plat::cp936::next(out, i))
    if (out[i] == '\\') out[i] = '/';
  return out;
}

namespace {

// The drive model of the resolver: one drive letter names the game folder's root, which is the
// current folder of every drive.
constexpr char CURRENT_DRIVE = 'C';

bool has_drive(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

// A drive's current folder, without a trailing back slash.
std::string drive_current_folder(char drive) { return std::string(1, drive) + ":"; }

}  // namespace

std::string path_normalise(std::string_view path) {
  const std::string up = plat::cp936::asciiUpper(path);
  std::string_view p(up);
  if (!p.empty() && p[0] == '\\') return std::string(1, CURRENT_DRIVE) + ":" + up;
  if (!has_drive(p)) return drive_current_folder(CURRENT_DRIVE) + "\\" + up;
  const char drive = p[0];
  std::string_view rest = p.substr(2);
  if (rest.empty() || rest[0] != '\\') {
    std::string out = drive_current_folder(drive);
    if (!rest.empty() && rest[0] == '.') return out;
    out += '\\';
    out += rest;
    return out;
  }
  if (rest.size() == 1) return std::string(p.substr(0, 2));  // "D:\" alone loses its back slash
  return up;
}

#include "client/common/seam_calls.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/reset/module_resets.h"

namespace {
constexpr size_t k_max_calls = 8192;
std::vector<SEAM_CALL> g_calls;
std::string g_failing;
const ModuleReset k_reset("seam calls", seam_calls_clear);
}  // namespace

void seam_call(const char* name, int64_t a, int64_t b, int64_t c, std::string text) {
  if (g_calls.size() < k_max_calls) g_calls.push_back({name, a, b, c, std::move(text)});
  if (!g_failing.empty() && g_failing == name) throw std::runtime_error(std::string("seam failed: ") + name);
}

void seam_call_fail(const char* name) { g_failing = name ? name : ""; }

const std::vector<SEAM_CALL>& seam_calls() { return g_calls; }

std::vector<SEAM_CALL> seam_calls_named(const char* name) {
  std::vector<SEAM_CALL> out;
  for (const SEAM_CALL& call : g_calls)
    if (std::strcmp(call.name, name) == 0) out.push_back(call);
  return out;
}

int seam_call_count(const char* name) {
  int n = 0;
  for (const SEAM_CALL& call : g_calls)
    if (std::strcmp(call.name, name) == 0) ++n;
  return n;
}

std::vector<std::string> seam_call_names() {
  std::vector<std::string> out;
  out.reserve(g_calls.size());
  for (const SEAM_CALL& call : g_calls) out.emplace_back(call.name);
  return out;
}

void seam_calls_clear() {
  g_calls.clear();
  g_failing.clear();
}

#include "client/state/ranking_list.h"

#include <algorithm>

#include "core/log/log.h"
#include "core/reset/module_resets.h"

GrowArray<RANKING_RECORD> ranking_list;

namespace {

bool full_logged = false;

// a orders strictly below b.
bool orders_below(const RANKING_RECORD& a, const RANKING_RECORD& b) {
  const int8_t a_major = static_cast<int8_t>(a.order_major), b_major = static_cast<int8_t>(b.order_major);
  return a_major < b_major || (a_major == b_major && a.order_minor < b.order_minor);
}

void log_full_once() {
  if (full_logged) return;
  full_logged = true;
  sys_log_printf(1, "ranking list full: %d records kept", RANKING_LIST_MAX);
}

}  // namespace

void ranking_list_insert(const RANKING_RECORD& record) {
  // The list is sorted, so the records that do not order below the new one form its front.
  const RANKING_RECORD* begin = ranking_list.data;
  const RANKING_RECORD* end = begin + ranking_list.count;
  const RANKING_RECORD* at =
      begin ? std::partition_point(begin, end, [&](const RANKING_RECORD& r) { return !orders_below(r, record); }) : end;
  const int32_t index = static_cast<int32_t>(at - begin);
  if (ranking_list.count >= RANKING_LIST_MAX) {
    log_full_once();
    if (index >= ranking_list.count) return;
    ranking_list.remove(ranking_list.count - 1);
  }
  ranking_list.insert(index, record);
}

static const ModuleReset k_reset("ranking list", [] {
  ranking_list.free();
  full_logged = false;
});

// The ranking pages.
#include <vector>

#include "client/handlers/client_handlers.h"
#include "client/state/ranking_list.h"

namespace {

constexpr int kPageRecords = 20;

}  // namespace

void ranking_on_records(uint32_t, int32_t, net_msg::Payload payload) {
  const std::vector<RANKING_RECORD> page =
      payload.fieldRecords<RANKING_RECORD>(kPageRecords, RANKING_RECORD_FIELDS, RANKING_RECORD_WALK);
  for (const RANKING_RECORD& r : page)
    if (r.id >= 1) ranking_list_insert(r);
}

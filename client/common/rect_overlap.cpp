#include "client/common/rect_overlap.h"

bool rect_overlap_test(const int32_t a[4], const int32_t b[4]) {
  return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

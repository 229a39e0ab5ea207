#include "tests/support/recording_scene_steps.h"

#include "client/common/seam_calls.h"
#include "world/scene/scene_walk_steps.h"

namespace veldra_test {

namespace {
void record(const char* op, int32_t index, int32_t result) { seam_call(op, index, result); }
}  // namespace

RecordingSceneSteps::RecordingSceneSteps() { scene_set_step_observer(record); }
RecordingSceneSteps::~RecordingSceneSteps() { scene_set_step_observer(nullptr); }

}  // namespace veldra_test

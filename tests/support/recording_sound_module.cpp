#include "tests/support/recording_sound_module.h"

#include "audio/sound.h"
#include "client/common/seam_calls.h"

namespace veldra_test {

namespace {
void record(const SOUND_CALL& c) { seam_call(c.op, c.channel, c.value, c.size, c.name ? c.name : ""); }
}  // namespace

RecordingSoundModule::RecordingSoundModule() { sound_set_call_observer(record); }
RecordingSoundModule::~RecordingSoundModule() { sound_set_call_observer(nullptr); }

}  // namespace veldra_test

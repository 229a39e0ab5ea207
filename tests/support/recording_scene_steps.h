// Records every movement step the scene update runs, as a seam call while it lives: the step's
// name, a = the character's index, b = its result. The steps still run.
#pragma once

namespace veldra_test {

class RecordingSceneSteps {
 public:
  RecordingSceneSteps();
  ~RecordingSceneSteps();
  RecordingSceneSteps(const RecordingSceneSteps&) = delete;
  RecordingSceneSteps& operator=(const RecordingSceneSteps&) = delete;
};

}  // namespace veldra_test

// The float routines of MATH_FUNCS; the square root also serves the audio decoder.
#include <cmath>

#include "engine/util/util.h"

namespace {
constexpr float FLOAT_EPSILON = 1.1920929e-7f;
}

float math_sqrt(float x) { return std::sqrt(x); }
float math_inv_sqrt(float x) { return 1.0f / std::sqrt(x); }

float math_normalise_length(float* v) {
  const double len = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
  // The epsilon keeps a zero vector at zero instead of dividing by 0.
  const float scale = static_cast<float>(1.0 / (len + FLOAT_EPSILON));
  for (int i = 0; i < 3; ++i) v[i] *= scale;
  return static_cast<float>(len);
}

void math_normalise(float* v) { math_normalise_length(v); }

float math_inv_length_sq(const float* v) {
  const float s = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  return s >= 1.0f ? 1.0f / s : 1.0f;
}

void math_sin_cos(float angle, float* s, float* c) {
  *s = std::sin(angle);
  *c = std::cos(angle);
}

float math_cos(float angle) { return std::cos(angle); }

const MATH_FUNCS_TABLE MATH_FUNCS = {
    math_sqrt, math_inv_sqrt, math_inv_sqrt, math_normalise_length,
    math_normalise, math_inv_length_sq, math_sin_cos, math_cos,
};

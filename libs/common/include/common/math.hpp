#pragma once
// Positions and rotations as the game records store them: 32-bit floats.

#include <string>

namespace common {

struct Vector3 {
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;

    friend bool operator==(const Vector3&, const Vector3&) = default;
};

// Stored and read in the order w, x, y, z.
struct Quaternion {
    float w = 0.0F;
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;

    friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

// One float in the diagnostic form: the shortest digits that read back to
// the same float, always with a digit after the point ("2.0", "-0.0"),
// exponent form at magnitude >= 1e16 or non-zero below 1e-4 ("1e-5",
// "2.5e20"), and "NaN", "inf", "-inf".
std::string diagnostic_float(float value);

// "Vector3 { x: 1.0, y: -2.5, z: 0.0 }".
std::string diagnostic_text(const Vector3& v);

}  // namespace common

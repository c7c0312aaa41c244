#pragma once
// Readers of the float vectors and rotations inside game records. A field
// that runs out of data fails with "While parsing field 'x' in Vector3"
// (or the field of Quaternion that failed).

#include "common/math.hpp"
#include "dat/cursor.hpp"

namespace dat {

// x, y, z as little-endian 32-bit floats; 12 bytes.
RecordResult<common::Vector3> read_vector3(ByteCursor& cursor);

// w, x, y, z as little-endian 32-bit floats; 16 bytes, w first.
RecordResult<common::Quaternion> read_quaternion(ByteCursor& cursor);

}  // namespace dat

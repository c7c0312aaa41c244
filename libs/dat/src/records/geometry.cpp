#include "dat/records/geometry.hpp"

#include "dat/records/record_reader.hpp"

namespace dat {

RecordResult<common::Vector3> read_vector3(ByteCursor& cursor) {
    common::Vector3 v;
    RecordReader r(cursor, "Vector3");
    r.field("x", v.x, &ByteCursor::f32).field("y", v.y, &ByteCursor::f32).field("z", v.z, &ByteCursor::f32);
    return r.finish(v);
}

RecordResult<common::Quaternion> read_quaternion(ByteCursor& cursor) {
    common::Quaternion q;
    RecordReader r(cursor, "Quaternion");
    r.field("w", q.w, &ByteCursor::f32)
        .field("x", q.x, &ByteCursor::f32)
        .field("y", q.y, &ByteCursor::f32)
        .field("z", q.z, &ByteCursor::f32);
    return r.finish(q);
}

}  // namespace dat

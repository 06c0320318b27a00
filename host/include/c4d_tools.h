#pragma once

#include "ge_prepass.h"

constexpr Float PI = 3.14159265358979323846;

// Angles are in radians. Each rotation is the host's left-handed one:
// MatrixRotX(w) has v1 = (1,0,0), v2 = (0,cos w,-sin w), v3 = (0,sin w,cos w),
// and likewise for Y and Z.
Matrix MatrixMove(const Vector& t);
Matrix MatrixScale(const Vector& s);
Matrix MatrixScale(Float s);
Matrix MatrixRotX(Float w);
Matrix MatrixRotY(Float w);
Matrix MatrixRotZ(Float w);

// The rotation matrix of three angles in a rotation order. For the six Euler
// orders the vector holds the X, Y and Z angles and the letters name the
// order in which the axes act on a point (YXZGLOBAL: Y first, then X, then
// Z, about fixed axes); for HPB it holds heading (about Y), pitch (about X)
// and bank (about Z), applied bank first. A zero vector gives the identity;
// the offset is always zero. An order outside 0..6 acts as ZXYGLOBAL.
Matrix HPBToMatrix(const Vector& hpb, ROTATIONORDER rot_order);
// The angles of a rotation matrix in a rotation order, so that HPBToMatrix gives
// the matrix back; the axes are normalised first and the offset is ignored. HPB
// gives heading in [0, 2pi), pitch in [-pi/2, pi/2] and bank in [0, 2pi]; the six
// Euler orders give angles in [-pi, pi]. At the poles (pitch, or the middle angle,
// at +-pi/2) heading, or the angle of the axis that acts last, is 0.
Vector MatrixToHPB(const Matrix& m, ROTATIONORDER rot_order);

inline Float DegToRad(Float deg) { return deg * (PI / 180.0); }
inline Float RadToDeg(Float rad) { return rad * (180.0 / PI); }

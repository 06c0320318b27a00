#pragma once

#include "c4d.h"

#include <string>

// The reduced form of a host material: a base colour, a specular colour and one
// texture with its placement. Records are plain values, copied whole. The
// ordering decides when two records are the same material in the writer's
// naming map; specular, textureMatrix, textureTag and projection take no part
// in it.
struct ZelMat {
  char name[1024] = {0};  // host material name, at most 1023 bytes kept
  maxon::Vec3<double, 1ll> color = maxon::Vec3<double, 1ll>(0.65, 0.65, 0.65);
  maxon::Vec3<double, 1ll> specular = maxon::Vec3<double, 1ll>(0.0, 0.0, 0.0);
  std::string texture;  // texture image path, empty without an image texture
  maxon::Mat3<maxon::Vec3<double, 1ll>> textureMatrix;  // identity by default
  BaseTag* textureTag = nullptr;                        // borrowed; the tag the record came from
  double shiftU = 0.0;
  double shiftV = 0.0;
  double scaleU = 1.0;
  double scaleV = 1.0;
  bool tile = true;
  int projection = 0;

  bool operator<(const ZelMat& other) const;
};

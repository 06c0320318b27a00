// A node's animation channel as the host's position, rotation and scale tracks.
#include "model_import.h"

#include <cmath>

namespace c4ddoc::model {
namespace {

constexpr std::int32_t kPosition = ID_BASEOBJECT_REL_POSITION;
constexpr std::int32_t kRotation = ID_BASEOBJECT_REL_ROTATION;
constexpr std::int32_t kScale = ID_BASEOBJECT_REL_SCALE;

// The three tracks of one vector parameter, keys added per component.
struct VectorTracks {
  TrackRecord component[3];

  VectorTracks(std::int32_t parameter, const std::string& place) {
    for (int i = 0; i < 3; ++i) {
      component[i].descId = {{parameter, DTYPE_VECTOR}, {VECTOR_X + i, DTYPE_REAL}};
      component[i].place = place;
    }
  }

  // Keys must follow each other in time; one that does not is left out.
  void add(double seconds, const Vec3& value) {
    const std::vector<KeyRecord>& keys = component[0].keys;
    if (!std::isfinite(seconds) || (!keys.empty() && !(seconds > keys.back().time))) return;
    const double values[3] = {value.x, value.y, value.z};
    for (int i = 0; i < 3; ++i) {
      if (!std::isfinite(values[i])) return;
    }
    for (int i = 0; i < 3; ++i) component[i].keys.push_back(KeyRecord{seconds, values[i]});
  }

  void moveInto(ObjectRecord& object) {
    if (component[0].keys.empty()) return;
    for (TrackRecord& track : component) object.tracks.push_back(std::move(track));
  }
};

// `angle` moved by whole turns to lie nearest `near`.
double closest(double angle, double near) {
  return angle + 2.0 * PI * std::round((near - angle) / (2.0 * PI));
}

// Of the two heading, pitch and bank triples of a rotation, taken a whole number of turns
// apart per angle, the one nearest the previous key's: the keys then turn the short way.
Vec3 nearestAngles(const Vector& hpb, const Vec3& previous) {
  const Vector twin(hpb.x + PI, PI - hpb.y, hpb.z + PI);
  Vec3 best;
  double bestDistance = INFINITY;
  for (const Vector& option : {hpb, twin}) {
    const Vec3 v{closest(option.x, previous.x), closest(option.y, previous.y),
                 closest(option.z, previous.z)};
    const double distance =
        std::abs(v.x - previous.x) + std::abs(v.y - previous.y) + std::abs(v.z - previous.z);
    if (distance < bestDistance) {
      best = v;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace

void addNodeTracks(const aiNodeAnim& channel, double ticksPerSecond, const Placement& rest,
                   ObjectRecord& object) {
  const std::string place = object.place + ".tracks";
  VectorTracks position(kPosition, place);
  for (unsigned k = 0; k < channel.mNumPositionKeys; ++k) {
    const aiVectorKey& key = channel.mPositionKeys[k];
    position.add(key.mTime / ticksPerSecond, hostPoint(key.mValue));
  }
  VectorTracks rotation(kRotation, place);
  Vec3 previous = rest.rotation;
  for (unsigned k = 0; k < channel.mNumRotationKeys; ++k) {
    const aiQuatKey& key = channel.mRotationKeys[k];
    const Matrix m = hostMatrix(aiMatrix4x4(key.mValue.GetMatrix()));
    const Vec3 angles = nearestAngles(MatrixToHPB(m, ROTATIONORDER::HPB), previous);
    rotation.add(key.mTime / ticksPerSecond, angles);
    if (!rotation.component[0].keys.empty())
      previous =
          Vec3{rotation.component[0].keys.back().value, rotation.component[1].keys.back().value,
               rotation.component[2].keys.back().value};
  }
  VectorTracks scale(kScale, place);
  for (unsigned k = 0; k < channel.mNumScalingKeys; ++k) {
    const aiVectorKey& key = channel.mScalingKeys[k];
    scale.add(key.mTime / ticksPerSecond, Vec3{key.mValue.x, key.mValue.y, key.mValue.z});
  }
  position.moveInto(object);
  rotation.moveInto(object);
  scale.moveInto(object);
}

}  // namespace c4ddoc::model

#include "C4DLoader.h"

#include "c4dconvert.h"
#include "c4dnumeric.h"
#include "zelsceneapi_oo.h"

#include <algorithm>
#include <cstdio>

namespace {
// First description level of a track: the channel it animates.
constexpr Int32 kChannelPosition = 903;
constexpr Int32 kChannelRotation = 904;
constexpr Int32 kChannelScale = 905;
// Bool parameter of a track: the track is in use.
constexpr Int32 kTrackEnabled = 904;

constexpr Int32 kCurveKind = 1;

// Sampling: 30 matrices per second, the step held in single precision.
const float kSampleStep = static_cast<float>(1.0 / 30.0);

// Row of components (0 x/heading, 1 y/pitch, 2 z/bank) per rotation order, first to last.
const int kComponentRows[7][3] = {
    {2, 0, 1}, {0, 2, 1}, {0, 1, 2}, {1, 0, 2}, {1, 2, 0}, {2, 1, 0}, {0, 1, 2},
};

Int32 channelOf(CTrack* track) {
  const DescID id = track->GetDescriptionID();
  return id.GetDepth() >= 1 ? id[0].id : 0;
}

// The vector component a track animates, or -1 when it is not 0, 1 or 2.
int componentOf(CTrack* track) {
  const DescID id = track->GetDescriptionID();
  if (id.GetDepth() < 2) return -1;
  const Int32 component = id[1].id - 1000;
  return component >= 0 && component <= 2 ? component : -1;
}

// Position of a component within the row of a rotation order; -1 when either is unknown.
int rankOf(ROTATIONORDER order, int component) {
  const Int32 row = static_cast<Int32>(order);
  if (row < 0 || row > 6 || component < 0) return -1;
  for (int i = 0; i < 3; ++i)
    if (kComponentRows[row][i] == component) return i;
  return -1;
}

struct KeyRange {
  float t0;
  float t1;
};

// The first and last key times of a usable track: a curve with at least
// minimumKeys keys, switched on, and spanning a positive time.
bool usableRange(CTrack* track, Int32 minimumKeys, KeyRange& range) {
  CCurve* curve = track->GetCurve(static_cast<CCURVE>(kCurveKind), true);
  if (!curve) return false;
  const Int32 keys = curve->GetKeyCount();
  if (keys < 1 || keys < minimumKeys) return false;
  range.t0 = static_cast<float>(curve->GetKey(0)->GetTime().Get());
  range.t1 = static_cast<float>(curve->GetKey(keys - 1)->GetTime().Get());
  GeData data;
  track->GetParameter(DescID(kTrackEnabled), data, DESCFLAGS_GET::NONE);
  return data.GetBool() && range.t1 - range.t0 > 0.0f;
}

// The track's own motion at one value: a move, a rotation or a scale along one component.
Matrix localMatrix(Int32 channel, int component, float value, ROTATIONORDER order) {
  const double rest = channel == kChannelScale ? 1.0 : 0.0;
  const Vector v(component == 0 ? value : rest, component == 1 ? value : rest,
                 component == 2 ? value : rest);
  if (channel == kChannelPosition) return MatrixMove(v);
  if (channel == kChannelRotation) return HPBToMatrix(v, order);
  return MatrixScale(v);
}

}  // namespace

rotationSorter::rotationSorter(ROTATIONORDER o) : order(o) {}

bool rotationSorter::operator()(CTrack* a, CTrack* b) {
  const int ra = rankOf(order, componentOf(a));
  const int rb = rankOf(order, componentOf(b));
  return ra >= 0 && rb >= 0 && ra < rb;
}

void C4DLoader::browseTrack(CTrack* track, std::vector<CTrack*>& scales,
                            std::vector<CTrack*>& rotations, std::vector<CTrack*>& positions) {
  KeyRange range;
  if (!track || !usableRange(track, 1, range)) return;
  switch (channelOf(track)) {
    case kChannelScale:
      scales.push_back(track);
      break;
    case kChannelRotation:
      rotations.push_back(track);
      break;
    case kChannelPosition:
      positions.push_back(track);
      break;
    default:
      break;
  }
}

// Bakes each usable track into its own animation block: matrices sampled 30 times a
// second from the first to the last key, each the track's change since its first key,
// conjugated with the rest transform so that the renderer can apply it in the scene's
// frame (for a camera, in the mirrored frame the camera node is written in).
void C4DLoader::writeTracksSeparate(const char* objectName, std::vector<CTrack*> tracks,
                                    const char* kind, maxon::Vec3<double, 1ll> position,
                                    maxon::Vec3<double, 1ll> rotation, ROTATIONORDER order,
                                    maxon::Vec3<double, 1ll> scale, bool camera) {
  if (tracks.empty() || !sceneOO) return;
  zelScene_api* api = sceneOO->get_scene_api();
  if (!api) return;

  // Tracks of an unknown component are never written; leaving them out before the
  // sort keeps the comparator a strict weak ordering.
  tracks.erase(std::remove_if(tracks.begin(), tracks.end(),
                              [](CTrack* t) { return !t || componentOf(t) < 0; }),
               tracks.end());
  std::stable_sort(tracks.begin(), tracks.end(), rotationSorter(order));

  static const Matrix mirror = MatrixScale(Vector(1.0, 1.0, -1.0));

  const Matrix P = MatrixMove(position);
  const Matrix R = HPBToMatrix(rotation, order);
  const Matrix S = MatrixScale(scale);
  const Matrix Rh = HPBToMatrix(Vector(rotation.x, 0.0, 0.0), order);
  const Matrix Rp = HPBToMatrix(Vector(0.0, rotation.y, 0.0), order);
  const Matrix Rb = HPBToMatrix(Vector(0.0, 0.0, rotation.z), order);
  const Matrix iP = ~P;
  const Matrix iR = ~R;
  const Matrix iS = ~S;
  const Matrix iRh = ~Rh;
  const Matrix iRp = ~Rp;
  const Matrix iRb = ~Rb;

  char folder[1024];
  std::snprintf(folder, sizeof folder, "%s/%s", objectName ? objectName : "", kind ? kind : "");

  for (auto it = tracks.rbegin(); it != tracks.rend(); ++it) {
    CTrack* track = *it;
    KeyRange range;
    if (!usableRange(track, 2, range)) continue;
    const Int32 channel = channelOf(track);
    const int component = componentOf(track);

    // The sample's matrix from X, the change since the first key, multiplied out
    // left to right as written.
    auto conjugate = [&](const Matrix& X) -> Matrix {
      if (!camera) {
        if (channel == kChannelPosition) return iP * iR * iS * X * S * R * P;
        if (channel == kChannelScale) return iS * X * S;
        if (component == 0) return iRb * iRp * iRh * iS * X * S * Rh * Rp * Rb;
        if (component == 1) return iRb * iRp * iS * X * S * Rp * Rb;
        return iRb * iS * X * S * Rb;
      }
      Matrix m;
      if (channel == kChannelPosition)
        m = P * X * iP;
      else if (channel == kChannelScale)
        m = P * R * S * X * iS * iR * iP;
      else if (component == 0)
        m = P * Rh * X * iRh * iP;
      else if (component == 1)
        m = P * Rh * Rp * X * iRp * iRh * iP;
      else
        m = P * Rh * Rp * Rb * X * iRb * iRp * iRh * iP;
      return mirror * m * mirror;
    };

    std::vector<zelMatrix> matrices;
    std::vector<int> timestamps;
    Matrix firstInverse;
    float t = range.t0;
    while (!(t > range.t1)) {
      const float value = static_cast<float>(track->GetValue(document, BaseTime(t)));
      const Matrix local = localMatrix(channel, component, value, order);
      if (matrices.empty()) firstInverse = ~local;
      matrices.push_back(toZelMatrix(conjugate(local * firstInverse)));
      timestamps.push_back(truncToInt32((t - range.t0) * 1000.0f));
      // Far from zero a float time may no longer move by one step: stop there
      // rather than sample the same time for ever.
      const float next = t + kSampleStep;
      if (!(next > t)) break;
      t = next;
    }

    std::string trackName;
    toUtf8(track->GetName(), trackName);

    zelArray matrixArray = {matrices.data(), static_cast<uint32_t>(matrices.size())};
    zelArray timestampArray = {timestamps.data(), static_cast<uint32_t>(timestamps.size())};
    api->animation_begin("fbx_animation", trackName.c_str());
    api->set_parameter_int("start_time", truncToInt32(range.t0));
    api->set_parameter_float("duration", range.t1 - range.t0);
    api->set_parameter("folder", TYPE_STRING, folder);
    api->set_parameter("matrices", zel_array_of(TYPE_MATRIX), &matrixArray);
    api->set_parameter("timestamps", zel_array_of(TYPE_INT), &timestampArray);
    api->animation_end();
  }
}

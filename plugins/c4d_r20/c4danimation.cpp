#include "C4DLoader.h"

#include "c4dnumeric.h"
#include "c4dread.h"
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
// Most samples of one track (about 9.7 hours at 30 a second).
constexpr uint64_t kMaxSamplesPerTrack = uint64_t(1) << 20;

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
  return readBool(track, kTrackEnabled) && range.t1 - range.t0 > 0.0f;
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

namespace {

// The sampling of one track: 30 times a second from its first to its last key, each
// sample the track's change since the first key, conjugated with the rest transform so that
// the renderer can apply it in the scene's frame (for a camera, in the mirrored frame the
// camera node is written in). Samples are made on demand, piece by piece.
class TrackSampler {
 public:
  TrackSampler(CTrack* track, BaseDocument* document, const KeyRange& range, const Vector& position,
               const Vector& rotation, ROTATIONORDER order, const Vector& scale, bool camera)
      : track_(track),
        document_(document),
        range_(range),
        channel_(channelOf(track)),
        component_(componentOf(track)),
        order_(order),
        camera_(camera),
        P_(MatrixMove(position)),
        R_(HPBToMatrix(rotation, order)),
        S_(MatrixScale(scale)),
        Rh_(HPBToMatrix(Vector(rotation.x, 0.0, 0.0), order)),
        Rp_(HPBToMatrix(Vector(0.0, rotation.y, 0.0), order)),
        Rb_(HPBToMatrix(Vector(0.0, 0.0, rotation.z), order)),
        iP_(~P_),
        iR_(~R_),
        iS_(~S_),
        iRh_(~Rh_),
        iRp_(~Rp_),
        iRb_(~Rb_) {}

  // Number of samples: the times t0, t0 + step, ... up to t1, stopping where a float time
  // no longer moves by a step (far from zero), rather than sampling one time for ever.
  uint64_t count() const {
    uint64_t samples = 0;
    for (float t = range_.t0; !(t > range_.t1); ++samples)
      if (!advance(t)) return samples + 1;
    return samples;
  }

  static uint32_t fillMatrices(void* context, void* buffer, uint32_t capacity) {
    TrackSampler& s = *static_cast<TrackSampler*>(context);
    zelMatrix* out = static_cast<zelMatrix*>(buffer);
    uint32_t made = 0;
    for (; made < capacity && s.matrixTime_.more; ++made) {
      const float value =
          static_cast<float>(s.track_->GetValue(s.document_, BaseTime(s.matrixTime_.t)));
      const Matrix local = localMatrix(s.channel_, s.component_, value, s.order_);
      if (!s.haveFirst_) {
        s.firstInverse_ = ~local;
        s.haveFirst_ = true;
      }
      out[made] = toZelMatrix(s.conjugate(local * s.firstInverse_));
      s.step(s.matrixTime_);
    }
    return made;
  }

  static uint32_t fillTimestamps(void* context, void* buffer, uint32_t capacity) {
    TrackSampler& s = *static_cast<TrackSampler*>(context);
    int32_t* out = static_cast<int32_t*>(buffer);
    uint32_t made = 0;
    for (; made < capacity && s.stampTime_.more; ++made) {
      out[made] = truncToInt32((s.stampTime_.t - s.range_.t0) * 1000.0f);
      s.step(s.stampTime_);
    }
    return made;
  }

 private:
  struct Clock {
    float t;
    bool more;
  };

  static bool advance(float& t) {
    const float next = t + kSampleStep;
    if (!(next > t)) return false;
    t = next;
    return true;
  }

  void step(Clock& clock) const { clock.more = advance(clock.t) && !(clock.t > range_.t1); }

  // The sample's matrix from X, the change since the first key, multiplied out left to
  // right as written.
  Matrix conjugate(const Matrix& X) const {
    if (!camera_) {
      if (channel_ == kChannelPosition) return iP_ * iR_ * iS_ * X * S_ * R_ * P_;
      if (channel_ == kChannelScale) return iS_ * X * S_;
      if (component_ == 0) return iRb_ * iRp_ * iRh_ * iS_ * X * S_ * Rh_ * Rp_ * Rb_;
      if (component_ == 1) return iRb_ * iRp_ * iS_ * X * S_ * Rp_ * Rb_;
      return iRb_ * iS_ * X * S_ * Rb_;
    }
    Matrix m;
    if (channel_ == kChannelPosition)
      m = P_ * X * iP_;
    else if (channel_ == kChannelScale)
      m = P_ * R_ * S_ * X * iS_ * iR_ * iP_;
    else if (component_ == 0)
      m = P_ * Rh_ * X * iRh_ * iP_;
    else if (component_ == 1)
      m = P_ * Rh_ * Rp_ * X * iRp_ * iRh_ * iP_;
    else
      m = P_ * Rh_ * Rp_ * Rb_ * X * iRb_ * iRp_ * iRh_ * iP_;
    return mirroredChange(m);
  }

  CTrack* track_;
  BaseDocument* document_;
  KeyRange range_;
  Int32 channel_;
  int component_;
  ROTATIONORDER order_;
  bool camera_;
  Matrix P_, R_, S_, Rh_, Rp_, Rb_, iP_, iR_, iS_, iRh_, iRp_, iRb_;
  Clock matrixTime_{range_.t0, true};
  Clock stampTime_{range_.t0, true};
  Matrix firstInverse_;
  bool haveFirst_ = false;
};

}  // namespace

void C4DLoader::writeAnimation(const char* label, BaseObject* object, const Vector& position,
                               const Vector& rotation, ROTATIONORDER order, const Vector& scale,
                               bool camera) {
  std::vector<CTrack*> scales;
  std::vector<CTrack*> rotations;
  std::vector<CTrack*> positions;
  for (CTrack* track = object->GetFirstCTrack(); track; track = track->GetNext())
    browseTrack(track, scales, rotations, positions);
  writeTracksSeparate(label, scales, camera ? "Camera Scale" : "Scale", position, rotation, order,
                      scale, camera);
  writeTracksSeparate(label, rotations, camera ? "Camera Rotation" : "Rotation", position, rotation,
                      order, scale, camera);
  writeTracksSeparate(label, positions, camera ? "Camera Position" : "Position", position, rotation,
                      order, scale, camera);
}

// Each usable track becomes its own animation block of sampled matrices. A track that
// would need more than kMaxSamplesPerTrack samples is left out, and the user is told.
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

  char folder[1024];
  std::snprintf(folder, sizeof folder, "%s/%s", objectName ? objectName : "", kind ? kind : "");

  for (auto it = tracks.rbegin(); it != tracks.rend(); ++it) {
    CTrack* track = *it;
    KeyRange range;
    if (!usableRange(track, 2, range)) continue;
    const std::string trackName = utf8Or(track->GetName(), "");
    TrackSampler sampler(track, document, range, position, rotation, order, scale, camera);
    const uint64_t samples = sampler.count();
    if (samples > kMaxSamplesPerTrack) {
      char span[64];
      std::snprintf(span, sizeof span, "keys from %g s to %g s", range.t0, range.t1);
      const std::string track = trackName.empty() ? "" : " \"" + trackName + "\"";
      GePrint(String(("Warning: the " + std::string(kind ? kind : "") + " track" + track +
                      " of \"" + (objectName ? objectName : "") + "\" (" + span + ") would need " +
                      std::to_string(samples) + " samples; tracks of more than " +
                      std::to_string(kMaxSamplesPerTrack) + " samples are left out.")
                         .c_str()));
      continue;
    }

    zelArrayStream matrices = {static_cast<uint32_t>(samples), &sampler,
                               TrackSampler::fillMatrices};
    zelArrayStream timestamps = {static_cast<uint32_t>(samples), &sampler,
                                 TrackSampler::fillTimestamps};
    api->animation_begin("fbx_animation", trackName.c_str());
    api->set_parameter_int("start_time", truncToInt32(range.t0));
    api->set_parameter_float("duration", range.t1 - range.t0);
    api->set_parameter("folder", TYPE_STRING, folder);
    api->set_parameter("matrices", zel_stream_of(TYPE_MATRIX), &matrices);
    api->set_parameter("timestamps", zel_stream_of(TYPE_INT), &timestamps);
    api->animation_end();
  }
}

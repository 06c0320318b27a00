#include "C4DLoader.h"

rotationSorter::rotationSorter(ROTATIONORDER o) : order(o)
{
}

bool rotationSorter::operator()(CTrack*, CTrack*)
{
  return false;
}

void C4DLoader::browseTrack(CTrack*, std::vector<CTrack*>&, std::vector<CTrack*>&,
                            std::vector<CTrack*>&)
{
}

void C4DLoader::writeTracksSeparate(const char*, std::vector<CTrack*>, const char*,
                                    maxon::Vec3<double, 1ll>, maxon::Vec3<double, 1ll>,
                                    ROTATIONORDER, maxon::Vec3<double, 1ll>, bool)
{
}

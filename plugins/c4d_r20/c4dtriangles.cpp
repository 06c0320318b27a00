#include "C4DLoader.h"

void C4DLoader::writePolygonObject(PolygonObject*, std::vector<BaseTag*>, float)
{
}

void C4DLoader::writeTriangles(const char*, std::set<int>, const CPolygon*,
                               const maxon::Vec3<double, 1ll>*, ZelMat, UVWTag*, const void*,
                               NormalTag*, maxon::Vec3<float, 1ll>*, std::set<int>&)
{
}

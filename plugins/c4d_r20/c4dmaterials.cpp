#include "C4DLoader.h"

bool ZelMat::operator<(const ZelMat&) const
{
  return false;
}

bool C4DLoader::getMaterial(BaseTag*, ZelMat&)
{
  return false;
}

bool C4DLoader::getMaterial(Material*, ZelMat&)
{
  return false;
}

bool C4DLoader::getMaterial(BaseShader*, ZelMat&)
{
  return false;
}

maxon::Vec3<double, 1ll> C4DLoader::getDefaultColor(BaseObject*)
{
  return maxon::Vec3<double, 1ll>(0.65, 0.65, 0.65);
}

void C4DLoader::writeMaterial(ZelMat)
{
}

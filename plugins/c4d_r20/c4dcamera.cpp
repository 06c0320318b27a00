#include "C4DLoader.h"

void C4DLoader::getCameras(BaseObject*, std::vector<BaseObject*>&)
{
}

void C4DLoader::writeCamera(BaseObject*)
{
}

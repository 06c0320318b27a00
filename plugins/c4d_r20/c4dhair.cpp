#include "C4DLoader.h"

void C4DLoader::writeHairObject(HairObject*, std::vector<BaseTag*>, float)
{
}

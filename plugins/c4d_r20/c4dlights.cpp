#include "C4DLoader.h"

void C4DLoader::writeLight(std::string, BaseObject*)
{
}

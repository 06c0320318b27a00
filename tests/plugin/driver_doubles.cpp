// Stand-ins for the content writers, so that the driver and the traversal are tested on
// their own: each writer only notes its call as a comment on the driver's scene API, in
// line with the scene calls around it.
#include "C4DLoader.h"

#include "zelapi.h"
#include "zelsceneapi_oo.h"

#include "c4d.h"

#include <cstdio>
#include <string>

namespace {

std::string nameOf(BaseList2D* item) {
  if (!item) return "-";
  Char* copy = item->GetName().GetCStringCopy(STRINGENCODING::UTF8);
  std::string name = copy ? copy : "?";
  DeleteMem(copy);
  return name;
}

std::string tagList(const std::vector<BaseTag*>& tags) {
  std::string out = "[";
  for (size_t i = 0; i < tags.size(); ++i) out += (i ? "," : "") + nameOf(tags[i]);
  return out + "]";
}

void note(C4DLoader* loader, const std::string& text) {
  loader->sceneOO->get_scene_api()->add_comment(text.c_str());
}

std::string shareText(float share) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", share);
  return buf;
}

}  // namespace

bool ZelMat::operator<(const ZelMat&) const { return false; }

void C4DLoader::writePolygonObject(PolygonObject* object, std::vector<BaseTag*> tags,
                                   float progressShare) {
  note(this, "writePolygonObject " + nameOf(object) + " " + tagList(tags) + " share " +
                 shareText(progressShare));
}

void C4DLoader::writeHairObject(HairObject* hair, std::vector<BaseTag*> tags, float progressShare) {
  note(this, "writeHairObject " + nameOf(hair) + " " + tagList(tags) + " share " +
                 shareText(progressShare));
}

bool C4DLoader::getMaterial(BaseTag*, ZelMat&) { return false; }
bool C4DLoader::getMaterial(Material*, ZelMat&) { return false; }
bool C4DLoader::getMaterial(BaseShader*, ZelMat&) { return false; }
maxon::Vec3<double, 1ll> C4DLoader::getDefaultColor(BaseObject*) {
  return maxon::Vec3<double, 1ll>();
}
void C4DLoader::writeMaterial(ZelMat) {}

void C4DLoader::writeLight(std::string name, BaseObject*) { note(this, "writeLight " + name); }

void C4DLoader::getCameras(BaseObject* object, std::vector<BaseObject*>& cameras) {
  if (object->GetType() == Ocamera) cameras.push_back(object);
  for (BaseObject* child = object->GetDown(); child; child = child->GetNext())
    getCameras(child, cameras);
}

void C4DLoader::writeCamera(BaseObject* camera) { note(this, "writeCamera " + nameOf(camera)); }

rotationSorter::rotationSorter(ROTATIONORDER o) : order(o) {}
bool rotationSorter::operator()(CTrack*, CTrack*) { return false; }

void C4DLoader::writeAnimation(const char* label, BaseObject* object, const Vector&, const Vector&,
                               ROTATIONORDER, const Vector&, bool camera) {
  int tracks = 0;
  for (CTrack* track = object->GetFirstCTrack(); track; track = track->GetNext()) ++tracks;
  if (tracks > 0)
    note(this, std::string("writeAnimation ") + label + " " + std::to_string(tracks) +
                   (camera ? " camera" : ""));
}

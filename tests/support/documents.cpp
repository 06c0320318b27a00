#include "documents.h"

namespace solvane_test {

DocumentPtr emptyDocument() { return DocumentPtr(BaseDocument::Alloc()); }

DocumentPtr savedDocument(const std::string& name, const std::string& folder) {
  DocumentPtr doc(BaseDocument::Alloc());
  doc->SetDocumentName(Filename(name.c_str()));
  doc->SetDocumentPath(Filename(folder.c_str()));
  return doc;
}

BaseObject* addObject(BaseDocument* doc, Int32 type, const std::string& name, BaseObject* parent) {
  BaseObject* object = BaseObject::Alloc(type);
  object->SetName(String(name));
  BaseObject* last = nullptr;
  if (parent) {
    last = parent->GetDownLast();
  } else {
    for (BaseObject* o = doc->GetFirstObject(); o; o = o->GetNext()) last = o;
  }
  doc->InsertObject(object, parent, last);
  return object;
}

BaseTag* addTag(BaseObject* object, Int32 type, const std::string& name) {
  BaseTag* tag = object->MakeTag(type, object->GetLastTag());
  tag->SetName(String(name));
  return tag;
}

void setVisibility(BaseObject* object, Int32 editor, Int32 render) {
  object->SetEditorMode(editor);
  object->SetRenderMode(render);
}

Chain visibilityChain(BaseDocument* doc, const Int32 editor[3], const Int32 render[3]) {
  Chain chain;
  chain.a = addObject(doc, Opolygon, "A");
  chain.b = addObject(doc, Opolygon, "B", chain.a);
  chain.c = addObject(doc, Opolygon, "C", chain.b);
  setVisibility(chain.a, editor[0], render[0]);
  setVisibility(chain.b, editor[1], render[1]);
  setVisibility(chain.c, editor[2], render[2]);
  return chain;
}

SelectionScene selectionScene(BaseDocument* doc) {
  SelectionScene scene;
  scene.parent = addObject(doc, Onull, "Parent");
  scene.inside = addObject(doc, Opolygon, "Inside", scene.parent);
  scene.outside = addObject(doc, Opolygon, "Outside");
  scene.outsideTexture = addTag(scene.outside, Ttexture, "OutsideTexture");
  scene.light = addObject(doc, Olight, "Light");
  scene.hair = addObject(doc, Ohair, "Hair");
  return scene;
}

void tagInheritanceScene(BaseDocument* doc) {
  BaseObject* parent = addObject(doc, Onull, "Parent");
  addTag(parent, Ttexture, "ParentTex");
  BaseObject* child = addObject(doc, Opolygon, "Child", parent);
  addTag(child, Ttexture, "ChildTex");
  addTag(child, Thairmaterial, "ChildHairMat");
  addTag(child, Tphong, "ChildPhong");
  addObject(doc, Opolygon, "Grandchild", child);
  BaseObject* sibling = addObject(doc, Opolygon, "Sibling", parent);
  addTag(sibling, Ttexture, "SiblingTex");
}

void deformedGeneratorScene(BaseDocument* doc) {
  BaseObject* gen = addObject(doc, Onull, "Gen");
  BaseObject* deformed = BaseObject::Alloc(Opolygon);
  deformed->SetName(String("Deformed"));
  BaseTag* tex = BaseTag::Alloc(Ttexture);
  tex->SetName(String("DeformedTex"));
  deformed->InsertTag(tex);
  gen->SetDeformCache(deformed);
  addObject(doc, Opolygon, "Child", gen);
}

void cachedGeneratorScene(BaseDocument* doc) {
  BaseObject* gen = addObject(doc, Ocube, "Gen");
  BaseObject* cacheA = BaseObject::Alloc(Opolygon);
  cacheA->SetName(String("CacheA"));
  BaseObject* cacheChild = BaseObject::Alloc(Opolygon);
  cacheChild->SetName(String("CacheChild"));
  cacheChild->InsertUnder(cacheA);
  gen->SetCache(cacheA);
  addObject(doc, Opolygon, "Child", gen);
}

BaseObject* animatedDocumentAtLaterTime(BaseDocument* doc) {
  BaseObject* mover = addObject(doc, Onull, "Mover");
  DescID id(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0),
            DescLevel(VECTOR_X, DTYPE_REAL, 0));
  CTrack* track = CTrack::Alloc(mover, id);
  mover->InsertTrackSorted(track);
  CCurve* curve = track->GetCurve();
  curve->AddKey(BaseTime(0.0))->SetValue(curve, 0.0);
  curve->AddKey(BaseTime(2.0))->SetValue(curve, 100.0);
  doc->SetMinTime(BaseTime(0.0));
  doc->SetMaxTime(BaseTime(2.0));
  doc->SetTime(BaseTime(1.0));
  doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE);
  return mover;
}

}  // namespace solvane_test

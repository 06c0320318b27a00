// Documents built in code through the host model's own API, for the plug-in's tests.
// Each builder names the case it reproduces.
#pragma once

#include "c4d.h"

#include <memory>
#include <string>

namespace solvane_test {

struct DocumentDeleter {
  void operator()(BaseDocument* doc) const { BaseDocument::Free(doc); }
};
using DocumentPtr = std::unique_ptr<BaseDocument, DocumentDeleter>;

// A document that was never saved (empty name and folder) and holds nothing.
DocumentPtr emptyDocument();
// An empty document saved as `name` in `folder`.
DocumentPtr savedDocument(const std::string& name, const std::string& folder = "");

// Appends a new object of `type` named `name` as the last child of `parent`, or as the
// last top-level object when `parent` is null.
BaseObject* addObject(BaseDocument* doc, Int32 type, const std::string& name,
                      BaseObject* parent = nullptr);
// Appends a new tag of `type` named `name` at the end of the object's tags.
BaseTag* addTag(BaseObject* object, Int32 type, const std::string& name);
// Sets the editor (901) and render (902) visibility modes: MODE_ON, MODE_OFF, MODE_UNDEF.
void setVisibility(BaseObject* object, Int32 editor, Int32 render);

// Three polygon objects nested A > B > C, with the given editor and render modes
// (index 0 is A): visibility inherited or overridden through three levels.
struct Chain {
  BaseObject* a;
  BaseObject* b;
  BaseObject* c;
};
Chain visibilityChain(BaseDocument* doc, const Int32 editor[3], const Int32 render[3]);

// The update's selection: a null "Parent" with the polygon "Inside" below it, the polygon
// "Outside" beside it carrying the texture tag "OutsideTexture", a light and a hair object
// beside them. Nothing is selected yet.
struct SelectionScene {
  BaseObject* parent;
  BaseObject* inside;
  BaseObject* outside;
  BaseTag* outsideTexture;
  BaseObject* light;
  BaseObject* hair;
};
SelectionScene selectionScene(BaseDocument* doc);

// Texture tags handed down: null "Parent" with texture tag "ParentTex" and polygon
// children "Child" (texture tag "ChildTex", hair material tag "ChildHairMat") and
// "Sibling" (texture tag "SiblingTex"); "Grandchild" (polygon) below "Child".
void tagInheritanceScene(BaseDocument* doc);

// A generator "Gen" whose deform cache is the polygon "Deformed" and that has the
// polygon child "Child": the cache and the child split the generator's progress share.
// The deform cache carries its own texture tag "DeformedTex".
void deformedGeneratorScene(BaseDocument* doc);

// A generator "Gen" whose plain cache is the polygon "CacheA" with the child
// "CacheChild", and with its own child "Child": the cache nests inside the generator's
// group, the real child follows it.
void cachedGeneratorScene(BaseDocument* doc);

// A null "Mover" whose position X is keyed 0 at 0 s and 100 at 2 s; the document's
// range starts at 0 s and its current time is 1 s (position X then 50): the conversion
// must see the first frame and leave the document at 1 s again.
BaseObject* animatedDocumentAtLaterTime(BaseDocument* doc);

}  // namespace solvane_test

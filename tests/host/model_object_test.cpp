// Objects, parameters, tags, materials, layers and the selection of the
// document model.
#include "c4d.h"

#include <gtest/gtest.h>

namespace {
const double kDeg = PI / 180.0;

void ExpectVec(const Vector& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.x, x, 1e-9);
  EXPECT_NEAR(actual.y, y, 1e-9);
  EXPECT_NEAR(actual.z, z, 1e-9);
}

GeData Read(C4DAtom* atom, const DescID& id, bool expectFound = true) {
  GeData d;
  EXPECT_EQ(atom->GetParameter(id, d, DESCFLAGS_GET::NONE), expectFound);
  return d;
}

BaseObject* AddObject(BaseDocument* doc, Int32 type, BaseObject* parent = nullptr) {
  BaseObject* op = BaseObject::Alloc(type);
  doc->InsertObject(op, parent, nullptr);
  return op;
}
}  // namespace

TEST(ObjectMatrices, LocalMatrixUsesTheObjectsRotationOrder) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = AddObject(doc, Onull);
  op->SetRelPos(Vector(10, 0, 0));
  op->SetRelRot(Vector(90 * kDeg, 90 * kDeg, 0));
  op->SetRelScale(Vector(2, 2, 2));
  // Default order HPB: (1,0,0) scaled to (2,0,0), pitch leaves it, heading
  // turns it to (0,0,2); then moved.
  ExpectVec(op->GetMl() * Vector(1, 0, 0), 10, 0, 2);
  // The same angles as X=90, Y=90 in order YXZ: Y first gives (0,0,2), then X
  // gives (0,2,0).
  op->SetRotationOrder(ROTATIONORDER::YXZGLOBAL);
  ExpectVec(op->GetMl() * Vector(1, 0, 0), 10, 2, 0);
}

TEST(ObjectMatrices, GlobalMatrixMultipliesDownTheTree) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = AddObject(doc, Onull);
  BaseObject* child = AddObject(doc, Onull, parent);
  BaseObject* grandchild = BaseObject::Alloc(Onull);
  grandchild->InsertUnder(child);
  // Moves that would make the tree a cycle change nothing.
  child->InsertUnder(nullptr);
  parent->InsertUnder(grandchild);
  parent->InsertAfter(child);
  doc->InsertObject(child, grandchild, nullptr);
  EXPECT_EQ(child->GetUp(), parent);
  EXPECT_EQ(grandchild->GetUp(), child);
  parent->SetRelPos(Vector(0, 200, 0));
  parent->SetRelRot(Vector(0, 45 * kDeg, 0));
  child->SetRelPos(Vector(0, 100, 0));
  child->SetRelScale(Vector(2, 2, 2));
  grandchild->SetRelPos(Vector(0, 10, 0));
  ExpectVec(child->GetMg().off, 0, 270.7106781186548, -70.71067811865476);
  // 10 along the child's y axis, which is scaled by 2 and pitched 45 degrees.
  ExpectVec(grandchild->GetMg().off, 0, 270.7106781186548 + 14.142135623730951,
            -70.71067811865476 - 14.142135623730951);
  ExpectVec(grandchild->GetUpMg().off, 0, 270.7106781186548, -70.71067811865476);
}

TEST(ObjectMatrices, CacheObjectsHangFromTheirGenerator) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* generator = AddObject(doc, Ocube);
  generator->SetRelPos(Vector(5, 0, 0));
  PolygonObject* cache = PolygonObject::Alloc(0, 0);
  cache->SetRelPos(Vector(0, 1, 0));
  BaseObject* cacheChild = BaseObject::Alloc(Onull);
  cacheChild->SetRelPos(Vector(0, 0, 1));
  cacheChild->InsertUnder(cache);
  generator->SetCache(cache);
  BaseObject* deformed = PolygonObject::Alloc(0, 0);
  generator->SetDeformCache(deformed);
  EXPECT_EQ(cache->GetCacheParent(), generator);
  EXPECT_EQ(cache->GetUp(), nullptr);
  ExpectVec(cache->GetMg().off, 5, 1, 0);
  ExpectVec(cacheChild->GetMg().off, 5, 1, 1);
  ExpectVec(deformed->GetMg().off, 5, 0, 0);
  generator->SetCache(nullptr);  // frees the old cache
  EXPECT_EQ(generator->GetCache(), nullptr);
}

TEST(Parameters, TransformParametersAndComponents) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = AddObject(doc, Onull);
  op->SetRelPos(Vector(1, 2, 3));
  GeData d = Read(op, DescID(ID_BASEOBJECT_REL_POSITION));
  EXPECT_EQ(d.GetType(), DA_VECTOR);
  ExpectVec(d.GetVector(), 1, 2, 3);
  d = Read(op, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0),
                      DescLevel(VECTOR_Y, DTYPE_REAL, 0)));
  EXPECT_EQ(d.GetType(), DA_REAL);
  EXPECT_DOUBLE_EQ(d.GetFloat(), 2.0);

  const DescID scaleZ(DescLevel(ID_BASEOBJECT_REL_SCALE), DescLevel(VECTOR_Z));
  EXPECT_TRUE(op->SetParameter(scaleZ, GeData(4.0), DESCFLAGS_SET::NONE));
  ExpectVec(op->GetRelScale(), 1, 1, 4);
  EXPECT_FALSE(op->SetParameter(scaleZ, GeData(String("x")), DESCFLAGS_SET::NONE));
  EXPECT_FALSE(
      op->SetParameter(DescID(ID_BASEOBJECT_REL_POSITION), GeData(1.0), DESCFLAGS_SET::NONE));

  EXPECT_EQ(Read(op, DescID(ID_BASEOBJECT_ROTATION_ORDER)).GetInt32(), 6);
  EXPECT_TRUE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(2)),
                               DESCFLAGS_SET::NONE));
  EXPECT_EQ(op->GetRotationOrder(), ROTATIONORDER::ZYXGLOBAL);
  EXPECT_FALSE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(7)),
                                DESCFLAGS_SET::NONE));

  // Only layers can be linked as a layer.
  LayerObject* layer = LayerObject::Alloc();
  doc->InsertLayer(layer);
  EXPECT_TRUE(op->SetParameter(DescID(ID_LAYER_LINK), GeData(static_cast<BaseList2D*>(layer)),
                               DESCFLAGS_SET::NONE));
  EXPECT_EQ(op->GetLayerObject(doc), layer);
  EXPECT_FALSE(op->SetParameter(DescID(ID_LAYER_LINK), GeData(static_cast<BaseList2D*>(op)),
                                DESCFLAGS_SET::NONE));
}

TEST(Parameters, ReadsTellWhetherTheyFoundAValue) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* light = AddObject(doc, Olight);
  BaseContainer* bc = light->GetDataInstance();
  bc->SetInt32(90002, 8);
  bc->SetVector(90000, Vector(1, 0.5, 0.25));
  BaseMaterial* hairMat = BaseMaterial::Alloc(Mhair);
  doc->InsertMaterial(hairMat);
  bc->SetLink(1000, hairMat);
  AutoAlloc<Gradient> gradient;
  gradient->InsertKnot(GradientKnot());
  bc->SetData(3139, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));

  GeData link = Read(light, DescID(1000));
  EXPECT_EQ(link.GetLink(doc, Mhair), hairMat);
  EXPECT_EQ(link.GetLink(doc, Mmaterial), nullptr);
  GeData grad = Read(light, DescID(3139));
  EXPECT_EQ(grad.GetCustomDataType(1000482), nullptr);
  // A copy of the value owns its own gradient.
  GeData copy = grad;
  gradient->FlushKnots();
  EXPECT_EQ(static_cast<Gradient*>(copy.GetCustomDataType(CUSTOMDATATYPE_GRADIENT))->GetKnotCount(),
            1);

  // Unknown ids fail and leave the value empty, whatever it held.
  GeData d(Int32(5));
  EXPECT_FALSE(light->GetParameter(DescID(777), d, DESCFLAGS_GET::NONE));
  EXPECT_EQ(d.GetType(), DA_NIL);
  // A vector component of a value that is not a vector does not exist.
  EXPECT_FALSE(
      light->GetParameter(DescID(DescLevel(90002), DescLevel(VECTOR_X)), d, DESCFLAGS_GET::NONE));
  // Getters of another kind give that kind's zero; numbers convert.
  EXPECT_EQ(Read(light, DescID(90000)).GetInt32(), 0);
  EXPECT_DOUBLE_EQ(Read(light, DescID(90002)).GetFloat(), 8.0);
  EXPECT_EQ(Read(light, DescID(90002)).GetString(), String());
}

TEST(Materials, ShadersAndTextureTags) {
  AutoAlloc<BaseDocument> doc;
  Material* mat = Material::Alloc();
  mat->SetName(String("Wood"));
  doc->InsertMaterial(mat);
  EXPECT_FALSE(mat->GetChannelState(CHANNEL_ALPHA));
  doc->InsertMaterial(BaseMaterial::Alloc(Mmaterial), mat);
  EXPECT_EQ(doc->SearchMaterial(String("Wood")), mat);

  BaseShader* bitmap = BaseShader::Alloc(Xbitmap);
  BaseShader* color = BaseShader::Alloc(Xcolor);
  mat->InsertShader(bitmap);
  mat->InsertShader(color, bitmap);
  EXPECT_EQ(mat->GetFirstShader(), bitmap);
  EXPECT_EQ(bitmap->GetNext(), color);

  BaseObject* op = AddObject(doc, Opolygon);
  TextureTag* tag = static_cast<TextureTag*>(op->MakeTag(Ttexture));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->GetObject(), op);
  tag->SetMaterial(mat);
  EXPECT_EQ(Read(tag, DescID(TEXTURETAG_MATERIAL)).GetLink(doc), mat);
  EXPECT_DOUBLE_EQ(Read(tag, DescID(TEXTURETAG_LENGTHX)).GetFloat(), 1.0);  // the host's default
  tag->SetParameter(DescID(TEXTURETAG_POSITION), GeData(Vector(1, 2, 3)), DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_ROTATION), GeData(Vector(90 * kDeg, 0, 0)),
                    DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_SIZE), GeData(Vector(2, 3, 4)), DESCFLAGS_SET::NONE);
  // (1,0,0) scaled to (2,0,0), heading 90 turns it to (0,0,2), then moved.
  ExpectVec(tag->GetMl() * Vector(1, 0, 0), 1, 2, 5);
  ExpectVec(tag->GetMl() * Vector(0, 1, 0), 1, 5, 3);
}

TEST(Selection, SelectedObjectsAndTagsInTreeOrder) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* a = AddObject(doc, Onull);
  BaseObject* c = BaseObject::Alloc(Onull);
  doc->InsertObject(c, nullptr, a);
  BaseObject* b = AddObject(doc, Opolygon, a);
  EXPECT_EQ(a->GetNext(), c);
  BaseTag* tag = b->MakeTag(Ttexture);

  doc->SetActiveObject(c);
  doc->SetSelection(tag, SELECTION_ADD);
  doc->SetSelection(b, SELECTION_ADD);
  AutoAlloc<AtomArray> sel;
  doc->GetSelection(sel);
  ASSERT_EQ(sel->GetCount(), 3);
  EXPECT_EQ(sel->GetIndex(0), b);
  EXPECT_EQ(sel->GetIndex(1), tag);
  EXPECT_EQ(sel->GetIndex(2), c);
  EXPECT_EQ(sel->GetIndex(3), nullptr);

  doc->SetActiveObject(a, SELECTION_ADD);
  AutoAlloc<AtomArray> top;
  doc->GetActiveObjects(top, GETACTIVEOBJECTFLAGS::NONE);
  ASSERT_EQ(top->GetCount(), 2);  // b is hidden below the selected a
  EXPECT_EQ(top->GetIndex(0), a);
  doc->GetActiveObjects(top, GETACTIVEOBJECTFLAGS::CHILDREN);
  EXPECT_EQ(top->GetCount(), 3);

  doc->SetSelection(nullptr, SELECTION_NEW);
  doc->GetSelection(sel);
  EXPECT_EQ(sel->GetCount(), 0);
}

TEST(Document, DefaultsAndOwnership) {
  AutoAlloc<BaseDocument> doc;
  EXPECT_FALSE(doc->GetDocumentName().IsPopulated());
  EXPECT_FALSE(doc->GetDocumentPath().IsPopulated());
  EXPECT_EQ(doc->GetFps(), 30);

  BaseObject* op = AddObject(doc, Onull);
  EXPECT_EQ(op->MakeTag(Tphong)->GetDocument(), doc.Get());
  // Removing an object from the document hands it back to the caller.
  op->Remove();
  EXPECT_EQ(doc->GetFirstObject(), nullptr);
  EXPECT_EQ(op->GetDocument(), nullptr);
  BaseObject::Free(op);
  EXPECT_EQ(op, nullptr);
}

// Lists keep their last node (appending relies on it) through every insertion and removal.
TEST(Document, LastChildAndTagFollowInsertionsAndRemovals) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = AddObject(doc, Onull);
  BaseObject* a = BaseObject::Alloc(Onull);
  BaseObject* b = BaseObject::Alloc(Onull);
  BaseObject* c = BaseObject::Alloc(Onull);
  a->InsertUnderLast(parent);
  b->InsertUnderLast(parent);
  EXPECT_EQ(parent->GetDownLast(), b);
  c->InsertUnder(parent);  // first: c a b
  EXPECT_EQ(parent->GetDownLast(), b);
  b->Remove();  // c a
  EXPECT_EQ(parent->GetDownLast(), a);
  EXPECT_EQ(b->GetPred(), nullptr);
  b->InsertAfter(a);  // c a b
  c->InsertAfter(b);  // a b c
  EXPECT_EQ(parent->GetDownLast(), c);
  EXPECT_EQ(c->GetPred(), b);
  c->InsertUnderLast(a);  // a b, and c under a
  EXPECT_EQ(parent->GetDownLast(), b);
  EXPECT_EQ(a->GetDownLast(), c);
  a->Remove();
  b->Remove();
  EXPECT_EQ(parent->GetDownLast(), nullptr);
  BaseObject::Free(a);
  BaseObject::Free(b);

  BaseTag* first = parent->MakeTag(Tphong);
  BaseTag* second = parent->MakeTag(Tdisplay);
  EXPECT_EQ(parent->GetLastTag(), second);
  EXPECT_EQ(second->GetPred(), first);
  BaseTag::Free(second);
  EXPECT_EQ(parent->GetLastTag(), first);
}

// Objects, parameters, tags, materials, layers and the selection of the
// document model.
#include "c4d.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
constexpr double kEps = 1e-9;
const double kDeg = PI / 180.0;

struct DocDeleter
{
  void operator()(BaseDocument* d) const { BaseDocument::Free(d); }
};
using DocPtr = std::unique_ptr<BaseDocument, DocDeleter>;

void ExpectVec(const Vector& actual, double x, double y, double z, double eps = kEps)
{
  EXPECT_NEAR(actual.x, x, eps);
  EXPECT_NEAR(actual.y, y, eps);
  EXPECT_NEAR(actual.z, z, eps);
}

GeData Read(C4DAtom* atom, const DescID& id, bool expectFound = true)
{
  GeData d;
  EXPECT_EQ(atom->GetParameter(id, d, DESCFLAGS_GET::NONE), expectFound);
  return d;
}
}  // namespace

TEST(ObjectMatrices, LocalMatrixUsesTheObjectsRotationOrder)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
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
  // The absolute values are the relative ones (nothing frozen).
  ExpectVec(op->GetAbsPos(), 10, 0, 0);
  ExpectVec(op->GetAbsScale(), 2, 2, 2);
}

TEST(ObjectMatrices, GlobalMatrixMultipliesDownTheTree)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* parent = BaseObject::Alloc(Onull);
  BaseObject* child = BaseObject::Alloc(Onull);
  BaseObject* grandchild = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  doc->InsertObject(child, parent, nullptr);
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

TEST(ObjectMatrices, CacheObjectsHangFromTheirGenerator)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* generator = BaseObject::Alloc(Ocube);
  doc->InsertObject(generator, nullptr, nullptr);
  generator->SetRelPos(Vector(5, 0, 0));
  PolygonObject* cache = PolygonObject::Alloc(0, 0);
  cache->SetRelPos(Vector(0, 1, 0));
  BaseObject* cacheChild = BaseObject::Alloc(Onull);
  cacheChild->SetRelPos(Vector(0, 0, 1));
  cacheChild->InsertUnder(cache);
  generator->SetCache(cache);
  BaseObject* deformed = PolygonObject::Alloc(0, 0);
  generator->SetDeformCache(deformed);

  EXPECT_EQ(generator->GetCache(), cache);
  EXPECT_EQ(generator->GetDeformCache(), deformed);
  EXPECT_EQ(cache->GetCacheParent(), generator);
  EXPECT_EQ(cache->GetUp(), nullptr);
  ExpectVec(cache->GetMg().off, 5, 1, 0);
  ExpectVec(cacheChild->GetMg().off, 5, 1, 1);
  ExpectVec(deformed->GetMg().off, 5, 0, 0);
  // Replacing the cache frees the old one.
  generator->SetCache(nullptr);
  EXPECT_EQ(generator->GetCache(), nullptr);
}

TEST(Parameters, TransformParametersAndComponents)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
  op->SetRelPos(Vector(1, 2, 3));
  GeData d = Read(op, DescID(ID_BASEOBJECT_REL_POSITION));
  EXPECT_EQ(d.GetType(), DA_VECTOR);
  ExpectVec(d.GetVector(), 1, 2, 3);
  d = Read(op, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0)));
  EXPECT_EQ(d.GetType(), DA_REAL);
  EXPECT_DOUBLE_EQ(d.GetFloat(), 2.0);

  const DescID scaleZ(DescLevel(ID_BASEOBJECT_REL_SCALE), DescLevel(VECTOR_Z));
  EXPECT_TRUE(op->SetParameter(scaleZ, GeData(4.0), DESCFLAGS_SET::NONE));
  ExpectVec(op->GetRelScale(), 1, 1, 4);
  EXPECT_FALSE(op->SetParameter(scaleZ, GeData(String("x")), DESCFLAGS_SET::NONE));
  EXPECT_FALSE(op->SetParameter(DescID(ID_BASEOBJECT_REL_POSITION), GeData(1.0), DESCFLAGS_SET::NONE));

  EXPECT_EQ(Read(op, DescID(ID_BASEOBJECT_ROTATION_ORDER)).GetInt32(), 6);
  EXPECT_TRUE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(2)), DESCFLAGS_SET::NONE));
  EXPECT_EQ(op->GetRotationOrder(), ROTATIONORDER::ZYXGLOBAL);
  EXPECT_FALSE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(7)), DESCFLAGS_SET::NONE));

  // Visibility defaults to "inherit"; the display colour mode to off.
  EXPECT_EQ(Read(op, DescID(ID_BASEOBJECT_VISIBILITY_EDITOR)).GetInt32(), MODE_UNDEF);
  op->SetRenderMode(MODE_OFF);
  EXPECT_EQ(Read(op, DescID(ID_BASEOBJECT_VISIBILITY_RENDER)).GetInt32(), MODE_OFF);
  EXPECT_EQ(Read(op, DescID(ID_BASEOBJECT_USECOLOR)).GetInt32(), 0);
}

TEST(Parameters, ReadsTellWhetherTheyFoundAValueOfEachKind)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* light = BaseObject::Alloc(Olight);
  doc->InsertObject(light, nullptr, nullptr);
  light->SetName(String("Key light"));
  BaseContainer* bc = light->GetDataInstance();
  bc->SetInt32(90002, 8);
  bc->SetFloat(90001, 0.75);
  bc->SetBool(90046, true);
  bc->SetVector(90000, Vector(1, 0.5, 0.25));
  bc->SetFilename(1234, Filename("tex/wood.png"));
  BaseMaterial* hairMat = BaseMaterial::Alloc(Mhair);
  doc->InsertMaterial(hairMat);
  bc->SetLink(1000, hairMat);
  AutoAlloc<Gradient> gradient;
  GradientKnot knot;
  knot.col = Vector(0.1, 0.2, 0.3);
  gradient->InsertKnot(knot);
  bc->SetData(3139, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));

  EXPECT_EQ(Read(light, DescID(90002)).GetInt32(), 8);
  EXPECT_DOUBLE_EQ(Read(light, DescID(90001)).GetFloat(), 0.75);
  GeData flag = Read(light, DescID(90046));
  EXPECT_EQ(flag.GetType(), DA_LONG);
  EXPECT_TRUE(flag.GetBool());
  ExpectVec(Read(light, DescID(90000)).GetVector(), 1, 0.5, 0.25);
  EXPECT_EQ(Read(light, DescID(1234)).GetFilename().GetString(), String("tex/wood.png"));
  EXPECT_EQ(Read(light, DescID(ID_BASELIST_NAME)).GetString(), String("Key light"));
  GeData link = Read(light, DescID(1000));
  EXPECT_EQ(link.GetLink(doc.get()), hairMat);
  EXPECT_EQ(link.GetLink(doc.get(), Mhair), hairMat);
  EXPECT_EQ(link.GetLink(doc.get(), Mmaterial), nullptr);
  GeData grad = Read(light, DescID(3139));
  const Gradient* g = static_cast<const Gradient*>(grad.GetCustomDataType(CUSTOMDATATYPE_GRADIENT));
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->GetKnotCount(), 1);
  ExpectVec(g->GetKnot(0).col, 0.1, 0.2, 0.3);
  EXPECT_EQ(grad.GetCustomDataType(1000482), nullptr);
  // A copy of the value owns its own gradient.
  GeData copy = grad;
  gradient->FlushKnots();
  EXPECT_EQ(static_cast<Gradient*>(copy.GetCustomDataType(CUSTOMDATATYPE_GRADIENT))->GetKnotCount(), 1);

  // Unknown ids fail and leave the value empty, whatever it held.
  GeData d(Int32(5));
  EXPECT_FALSE(light->GetParameter(DescID(777), d, DESCFLAGS_GET::NONE));
  EXPECT_EQ(d.GetType(), DA_NIL);
  EXPECT_EQ(d.GetInt32(), 0);
  // A vector component of a value that is not a vector does not exist.
  EXPECT_FALSE(light->GetParameter(DescID(DescLevel(90002), DescLevel(VECTOR_X)), d, DESCFLAGS_GET::NONE));
  // Getters of another kind give that kind's zero; numbers convert.
  EXPECT_EQ(Read(light, DescID(90000)).GetInt32(), 0);
  EXPECT_DOUBLE_EQ(Read(light, DescID(90002)).GetFloat(), 8.0);
  EXPECT_EQ(Read(light, DescID(90002)).GetString(), String());
}

TEST(Layers, LinkDefaultsAndColour)
{
  DocPtr doc(BaseDocument::Alloc());
  LayerObject* layer = LayerObject::Alloc();
  doc->InsertLayer(layer);
  BaseObject* op = BaseObject::Alloc(Opolygon);
  doc->InsertObject(op, nullptr, nullptr);
  EXPECT_EQ(op->GetLayerObject(doc.get()), nullptr);
  EXPECT_TRUE(op->SetParameter(DescID(ID_LAYER_LINK), GeData(static_cast<BaseList2D*>(layer)), DESCFLAGS_SET::NONE));
  EXPECT_EQ(op->GetLayerObject(doc.get()), layer);
  EXPECT_EQ(doc->GetFirstLayer(), layer);
  EXPECT_TRUE(Read(layer, DescID(ID_LAYER_VIEW)).GetBool());
  EXPECT_TRUE(Read(layer, DescID(ID_LAYER_RENDER)).GetBool());
  EXPECT_FALSE(Read(layer, DescID(ID_LAYER_SOLO)).GetBool());
  layer->GetDataInstance()->SetBool(ID_LAYER_RENDER, false);
  layer->GetDataInstance()->SetVector(ID_LAYER_COLOR, Vector(1, 0, 0));
  EXPECT_FALSE(Read(layer, DescID(ID_LAYER_RENDER)).GetBool());
  ExpectVec(Read(layer, DescID(ID_LAYER_COLOR)).GetVector(), 1, 0, 0);
  // Only layers can be linked as a layer.
  EXPECT_FALSE(op->SetParameter(DescID(ID_LAYER_LINK), GeData(static_cast<BaseList2D*>(op)), DESCFLAGS_SET::NONE));
}

TEST(Materials, ChannelsShadersAndTextureTags)
{
  DocPtr doc(BaseDocument::Alloc());
  Material* mat = Material::Alloc();
  mat->SetName(String("Wood"));
  doc->InsertMaterial(mat);
  EXPECT_TRUE(mat->GetChannelState(CHANNEL_COLOR));
  EXPECT_FALSE(mat->GetChannelState(CHANNEL_ALPHA));
  mat->SetChannelState(CHANNEL_ALPHA, true);
  mat->SetChannelState(CHANNEL_COLOR, false);
  EXPECT_TRUE(mat->GetChannelState(CHANNEL_ALPHA));
  EXPECT_FALSE(mat->GetChannelState(CHANNEL_COLOR));
  doc->InsertMaterial(BaseMaterial::Alloc(Mmaterial), mat);
  EXPECT_EQ(doc->SearchMaterial(String("Wood")), mat);

  BaseShader* bitmap = BaseShader::Alloc(Xbitmap);
  BaseShader* color = BaseShader::Alloc(Xcolor);
  mat->InsertShader(bitmap);
  mat->InsertShader(color, bitmap);
  EXPECT_EQ(mat->GetFirstShader(), bitmap);
  EXPECT_EQ(bitmap->GetNext(), color);
  EXPECT_EQ(color->GetNext(), nullptr);

  BaseObject* op = BaseObject::Alloc(Opolygon);
  doc->InsertObject(op, nullptr, nullptr);
  TextureTag* tag = static_cast<TextureTag*>(op->MakeTag(Ttexture));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->GetObject(), op);
  EXPECT_EQ(tag->GetMaterial(), nullptr);
  tag->SetMaterial(mat);
  EXPECT_EQ(tag->GetMaterial(), mat);
  EXPECT_EQ(Read(tag, DescID(TEXTURETAG_MATERIAL)).GetLink(doc.get()), mat);
  EXPECT_TRUE(Read(tag, DescID(TEXTURETAG_TILE)).GetBool());
  EXPECT_DOUBLE_EQ(Read(tag, DescID(TEXTURETAG_LENGTHX)).GetFloat(), 1.0);
  tag->SetParameter(DescID(TEXTURETAG_POSITION), GeData(Vector(1, 2, 3)), DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_ROTATION), GeData(Vector(90 * kDeg, 0, 0)), DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_SIZE), GeData(Vector(2, 3, 4)), DESCFLAGS_SET::NONE);
  // (1,0,0) scaled to (2,0,0), heading 90 turns it to (0,0,2), then moved.
  ExpectVec(tag->GetMl() * Vector(1, 0, 0), 1, 2, 5);
  ExpectVec(tag->GetMl() * Vector(0, 1, 0), 1, 5, 3);
}

TEST(Selection, SelectedObjectsAndTagsInTreeOrder)
{
  DocPtr doc(BaseDocument::Alloc());
  BaseObject* a = BaseObject::Alloc(Onull);
  BaseObject* b = BaseObject::Alloc(Opolygon);
  BaseObject* c = BaseObject::Alloc(Onull);
  doc->InsertObject(a, nullptr, nullptr);
  doc->InsertObject(c, nullptr, a);
  doc->InsertObject(b, a, nullptr);
  EXPECT_EQ(doc->GetFirstObject(), a);
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
  // Every list element answers a GUID; objects keep theirs.
  EXPECT_NE(static_cast<BaseList2D*>(tag)->GetGUID(), b->GetGUID());
  EXPECT_EQ(b->GetGUID(), b->GetGUID());

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

TEST(Document, NamePathTimeAndOwnership)
{
  DocPtr doc(BaseDocument::Alloc());
  EXPECT_FALSE(doc->GetDocumentName().IsPopulated());
  EXPECT_FALSE(doc->GetDocumentPath().IsPopulated());
  doc->SetDocumentName(Filename("model.final.c4d"));
  doc->SetDocumentPath(Filename("/projects/car"));
  EXPECT_EQ(doc->GetDocumentName().GetString(), String("model.final.c4d"));
  EXPECT_EQ(doc->GetDocumentPath().GetString(), String("/projects/car"));
  EXPECT_EQ(doc->GetFps(), 30);
  doc->SetFps(25);
  doc->SetMinTime(BaseTime(1.0));
  doc->SetMaxTime(BaseTime(4.0));
  doc->SetTime(BaseTime(2.5));
  EXPECT_EQ(doc->GetFps(), 25);
  EXPECT_DOUBLE_EQ(doc->GetMinTime().Get(), 1.0);
  EXPECT_DOUBLE_EQ(doc->GetMaxTime().Get(), 4.0);
  EXPECT_DOUBLE_EQ(doc->GetTime().Get(), 2.5);

  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
  EXPECT_EQ(op->GetDocument(), doc.get());
  BaseTag* tag = op->MakeTag(Tphong);
  EXPECT_EQ(tag->GetDocument(), doc.get());
  // Removing an object from the document hands it back to the caller.
  op->Remove();
  EXPECT_EQ(doc->GetFirstObject(), nullptr);
  EXPECT_EQ(op->GetDocument(), nullptr);
  BaseObject::Free(op);
  EXPECT_EQ(op, nullptr);
}

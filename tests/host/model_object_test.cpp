// Objects of the document model: their matrices, selection and list order.
#include "c4d.h"

#include <gtest/gtest.h>

namespace {
const double kDeg = PI / 180.0;

void ExpectVec(const Vector& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.x, x, 1e-9);
  EXPECT_NEAR(actual.y, y, 1e-9);
  EXPECT_NEAR(actual.z, z, 1e-9);
}

BaseObject* AddObject(BaseDocument* doc, Int32 type, BaseObject* parent = nullptr) {
  BaseObject* op = BaseObject::Alloc(type);
  doc->InsertObject(op, parent, nullptr);
  return op;
}
}  // namespace

TEST(ObjectMatrices, LocalMatricesUseTheirOwnRotationOrder) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = AddObject(doc, Onull);
  op->SetRelPos(Vector(10, 0, 0));
  op->SetRelRot(Vector(90 * kDeg, 90 * kDeg, 0));
  op->SetRelScale(Vector(2, 2, 2));
  // Heading-pitch-bank: (1,0,0) scaled to (2,0,0), pitch leaves it, heading turns it to (0,0,2).
  ExpectVec(op->GetMl() * Vector(1, 0, 0), 10, 0, 2);
  // The same angles as X=90, Y=90 in order YXZ (parameter value 0): Y first gives (0,0,2),
  // then X (0,2,0).
  EXPECT_TRUE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(0)),
                               DESCFLAGS_SET::NONE));
  ExpectVec(op->GetMl() * Vector(1, 0, 0), 10, 2, 0);

  // A texture tag's size scales first, then its rotation (heading 90) turns, then it moves.
  TextureTag* tag = static_cast<TextureTag*>(op->MakeTag(Ttexture));
  tag->SetParameter(DescID(TEXTURETAG_POSITION), GeData(Vector(1, 2, 3)), DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_ROTATION), GeData(Vector(90 * kDeg, 0, 0)),
                    DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_SIZE), GeData(Vector(2, 3, 4)), DESCFLAGS_SET::NONE);
  ExpectVec(tag->GetMl() * Vector(1, 0, 0), 1, 2, 5);
  ExpectVec(tag->GetMl() * Vector(0, 1, 0), 1, 5, 3);
}

TEST(ObjectMatrices, GlobalMatricesMultiplyDownTheTreeAndFromTheGenerator) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = AddObject(doc, Ocube);
  BaseObject* child = AddObject(doc, Onull, parent);
  BaseObject* grandchild = AddObject(doc, Onull, child);
  // Moves that would make the tree a cycle change nothing.
  parent->InsertUnder(grandchild);
  doc->InsertObject(child, grandchild, nullptr);
  EXPECT_EQ(child->GetUp(), parent);
  EXPECT_EQ(grandchild->GetUp(), child);
  // The host's own example: P = 45 degrees at (0,200,0) moves (0,100,0) to (0,270.7,-70.7).
  parent->SetRelPos(Vector(0, 200, 0));
  parent->SetRelRot(Vector(0, 45 * kDeg, 0));
  child->SetRelPos(Vector(0, 100, 0));
  child->SetRelScale(Vector(2, 2, 2));
  grandchild->SetRelPos(Vector(0, 10, 0));
  const double y = 270.7106781186548, z = -70.71067811865476, d = 14.142135623730951;
  ExpectVec(child->GetMg().off, 0, y, z);
  ExpectVec(grandchild->GetMg().off, 0, y + d, z - d);  // 10 along the child's scaled y axis
  ExpectVec(grandchild->GetUpMg().off, 0, y, z);

  // Cache objects hang from their generator, outside the tree.
  parent->SetRelRot(Vector());
  PolygonObject* cache = PolygonObject::Alloc(0, 0);
  cache->SetRelPos(Vector(0, 1, 0));
  BaseObject* cacheChild = BaseObject::Alloc(Onull);
  cacheChild->SetRelPos(Vector(0, 0, 1));
  cacheChild->InsertUnder(cache);
  parent->SetCache(cache);
  parent->SetDeformCache(PolygonObject::Alloc(0, 0));
  EXPECT_EQ(cache->GetUp(), nullptr);
  ExpectVec(cacheChild->GetMg().off, 0, 201, 1);
  ExpectVec(parent->GetDeformCache()->GetMg().off, 0, 200, 0);
}

// The selection comes in tree order (objects before the tags below them); the active objects
// leave out those below a selected one unless asked for children.
TEST(Selection, InTreeOrder) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* a = AddObject(doc, Onull);
  BaseObject* c = BaseObject::Alloc(Onull);
  doc->InsertObject(c, nullptr, a);
  BaseObject* b = AddObject(doc, Opolygon, a);
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

  doc->SetActiveObject(a, SELECTION_ADD);
  doc->GetActiveObjects(sel, GETACTIVEOBJECTFLAGS::NONE);
  ASSERT_EQ(sel->GetCount(), 2);
  EXPECT_EQ(sel->GetIndex(0), a);
  doc->GetActiveObjects(sel, GETACTIVEOBJECTFLAGS::CHILDREN);
  EXPECT_EQ(sel->GetCount(), 3);
}

// Lists keep their last node (appending relies on it) through every insertion and removal.
TEST(Lists, LastChildAndTagFollowInsertionsAndRemovals) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = AddObject(doc, Onull);
  BaseObject* a = BaseObject::Alloc(Onull);
  BaseObject* b = BaseObject::Alloc(Onull);
  BaseObject* c = BaseObject::Alloc(Onull);
  a->InsertUnderLast(parent);
  b->InsertUnderLast(parent);
  c->InsertUnder(parent);  // c a b
  EXPECT_EQ(parent->GetDownLast(), b);
  b->Remove();  // c a
  EXPECT_EQ(parent->GetDownLast(), a);
  b->InsertAfter(a);  // c a b
  c->InsertAfter(b);  // a b c
  EXPECT_EQ(parent->GetDownLast(), c);
  EXPECT_EQ(c->GetPred(), b);
  c->InsertUnderLast(a);  // a b, and c under a
  EXPECT_EQ(parent->GetDownLast(), b);
  EXPECT_EQ(a->GetDownLast(), c);

  BaseTag* first = parent->MakeTag(Tphong);
  BaseTag* second = parent->MakeTag(Tdisplay);
  EXPECT_EQ(parent->GetLastTag(), second);
  BaseTag::Free(second);
  EXPECT_EQ(parent->GetLastTag(), first);
}

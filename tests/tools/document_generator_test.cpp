// The generator's documents follow the document format: the host's reader takes them, with
// the content asked for.
#include "document_generator.h"

#include "c4d.h"
#include "document_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

c4ddoc::DocumentPtr generate(const docgen::Options& options) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  EXPECT_TRUE(docgen::writeDocument(options, out));
  std::fclose(out);
  const std::string json(text, size);
  std::free(text);
  return c4ddoc::readDocument(json, "generated.json");
}

std::string nameOf(BaseList2D* e) { return e != nullptr ? e->GetName().GetUtf8() : "<none>"; }

TEST(DocumentGenerator, GridMaterialsObjectChainsAndTracks) {
  docgen::Options options;
  options.gridSize = 3;
  options.materials = 2;
  options.objects = 5;
  options.depth = 2;
  options.tracksPerObject = 2;
  options.keysPerTrack = 3;
  c4ddoc::DocumentPtr doc = generate(options);

  auto* grid = static_cast<PolygonObject*>(doc->GetFirstObject());
  ASSERT_EQ(grid->GetType(), Opolygon);
  ASSERT_EQ(grid->GetPointCount(), 16);
  ASSERT_EQ(grid->GetPolygonCount(), 9);
  const CPolygon& middle = grid->GetPolygonR()[4];  // row 1, column 1
  EXPECT_EQ(std::vector<Int32>({middle.a, middle.b, middle.c, middle.d}),
            std::vector<Int32>({5, 9, 10, 6}));
  auto* uvw = static_cast<UVWTag*>(grid->GetFirstTag());
  ASSERT_EQ(uvw->GetType(), Tuvw);
  EXPECT_DOUBLE_EQ(uvw->GetSlow(4).a.x, 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(uvw->GetSlow(4).c.y, 2.0 / 3.0);
  EXPECT_EQ(uvw->GetNext()->GetType(), Tphong);

  // Chains of two: 0 over 1, 2 over 3, then 4 alone; object i uses material i % 2.
  BaseObject* first = grid->GetNext();
  EXPECT_EQ(nameOf(first) + nameOf(first->GetDown()) + nameOf(first->GetNext()->GetDown()) +
                nameOf(first->GetNext()->GetNext()),
            "Object 0Object 1Object 3Object 4");
  EXPECT_EQ(first->GetNext()->GetNext()->GetNext(), nullptr);
  auto* texture = static_cast<TextureTag*>(first->GetDown()->GetFirstTag());
  EXPECT_EQ(nameOf(texture->GetMaterial()), "Material 1");
  CTrack* track = first->GetFirstCTrack();
  ASSERT_TRUE(track != nullptr && track->GetNext() != nullptr);
  ASSERT_EQ(track->GetCurve()->GetKeyCount(), 3);
  // Frame 2 at 30 fps, in the whole milliseconds that host times keep.
  EXPECT_DOUBLE_EQ(track->GetCurve()->GetKey(2)->GetTime().Get(), 0.067);

  options = docgen::Options();
  options.objects = 3;
  options.grouped = true;
  doc = generate(options);
  BaseObject* group = doc->GetFirstObject();
  EXPECT_EQ(nameOf(group) + "/" + nameOf(group->GetDownLast()), "Group/Object 2");
  EXPECT_EQ(group->GetNext(), nullptr);
}

}  // namespace

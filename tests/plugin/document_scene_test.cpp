// One small document holding every kind of content the plug-in converts, and the scene it
// must become, written out by hand: cameras before the root group, a group per object with
// its local transform and progress, geometry only where it is visible, texture tags handed
// down to children and caches, triangle streams, materials, lights, hair and animation.
#include "document_builders.h"
#include "scene_capture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace plugin_test;

// "shot.c4d", converted while its current time is 0.05 s:
//   Eye     camera at (1, 2, 3), field of view pi/2
//   Rig     null at (100, 0, 0), texture tag "Red", its Y keyed 0 at 0 s and 9 at 0.09 s
//     Wedge   triangle whose deform cache is the triangle "Bent"
//     Gen     generator whose cache is the triangle "Cache"
//   Panel   a quadrangle and a triangle with UVW, normal and texture ("Wood") tags, at
//           (0, 0, -5) scaled by 2
//   Hidden  null shown in the editor, not in the render
//     Ghost   triangle inheriting both
//   Lamp    point light at (0, 50, 0), 100 candela
//   Area    area light of 200 by 100 by 0, brightness 2
//   Fur     hair at (0, 10, 0): one strand of five points
// Returns the rig.
BaseObject* buildShot(Document& d) {
  BaseDocument* doc = d.doc;
  doc->SetDocumentName(Filename("shot.c4d"));
  doc->SetMinTime(BaseTime(0.0));
  doc->SetMaxTime(BaseTime(1.0));

  BaseObject* eye = addObject(d, Ocamera, "Eye");
  eye->SetRelPos(Vector(1, 2, 3));
  setParam(eye, 1008, GeData(PI / 2));

  BaseObject* rig = addObject(d, Onull, "Rig");
  rig->SetRelPos(Vector(100, 0, 0));
  addTextureTag(rig, addMaterial(d, "Red", Vector(1, 0, 0)));
  addTrack(rig, ID_BASEOBJECT_REL_POSITION, 1, "Height", {{0.0, 0.0}, {0.09, 9.0}});
  // Caches belong to their object, outside the document's list.
  const auto cached = [](const char* name) {
    PolygonObject* triangle = PolygonObject::Alloc(3, 1);
    triangle->SetName(String(name));
    for (Int32 i = 0; i < 3; ++i) triangle->GetPointW()[i] = numberedPoints(3)[size_t(i)];
    triangle->GetPolygonW()[0] = CPolygon(0, 1, 2);
    return triangle;
  };
  addTriangle(d, "Wedge", rig)->SetDeformCache(cached("Bent"));
  addObject(d, Ocube, "Gen", rig)->SetCache(cached("Cache"));

  PolygonObject* panel =
      addMesh(d, "Panel", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0.5, 0}},
              {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 2)});
  panel->SetRelPos(Vector(0, 0, -5));
  panel->SetRelScale(Vector(2, 2, 2));
  UVWTag* uvw = UVWTag::Alloc(2);
  UVWTag::Set(uvw->GetDataAddressW(), 0,
              UVWStruct(Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)));
  UVWTag::Set(uvw->GetDataAddressW(), 1,
              UVWStruct(Vector(1, 0, 0), Vector(2, 0.5, 0), Vector(1, 1, 0), Vector(1, 1, 0)));
  appendTag(panel, uvw);
  NormalTag* normals = NormalTag::Alloc(2);
  NormalTag::Set(
      normals->GetDataAddressW(), 0,
      NormalStruct(Vector(0, 0, 1), Vector(0, 0.5, 0.5), Vector(-0.25, 0, 1), Vector(1, 0, 0)));
  NormalTag::Set(normals->GetDataAddressW(), 1,
                 NormalStruct(Vector(0, 1, 0), Vector(0, 0, 1), Vector(1, 0, 0), Vector(1, 0, 0)));
  appendTag(panel, normals);
  Material* wood = addMaterial(d, "Wood", Vector(0.5, 0.25, 1.0));
  BaseShader* bitmap = BaseShader::Alloc(Xbitmap);
  setParam(bitmap, BITMAPSHADER_FILENAME, GeData(Filename("wood.png")));
  wood->InsertShader(bitmap);
  setParam(wood, MATERIAL_COLOR_SHADER, GeData(bitmap));
  TextureTag* woodTag = addTextureTag(panel, wood);
  setParam(woodTag, TEXTURETAG_OFFSETX, GeData(0.125));
  setParam(woodTag, TEXTURETAG_LENGTHY, GeData(2.0));
  setParam(woodTag, TEXTURETAG_TILE, GeData(Int32(0)));

  BaseObject* hidden = addObject(d, Onull, "Hidden");
  hidden->SetEditorMode(MODE_ON);
  hidden->SetRenderMode(MODE_OFF);
  addTriangle(d, "Ghost", hidden);

  BaseObject* lamp = addObject(d, Olight, "Lamp");
  lamp->SetRelPos(Vector(0, 50, 0));
  setParam(lamp, 90000, GeData(Vector(1, 0.5, 0.25)));  // colour
  setParam(lamp, 90046, GeData(Int32(1)));              // intensity instead of brightness
  setParam(lamp, 90043, GeData(100.0));                 // intensity
  setParam(lamp, 90037, GeData(Int32(1)));              // in candela

  BaseObject* area = addObject(d, Olight, "Area");
  setParam(area, 90000, GeData(Vector(1, 1, 1)));
  setParam(area, 90001, GeData(2.0));       // brightness
  setParam(area, 90002, GeData(Int32(8)));  // area light
  setParam(area, 100010, GeData(200.0));    // size x
  setParam(area, 100011, GeData(100.0));    // size y
  setParam(area, 100012, GeData(0.0));      // size z

  addHair(d, "Fur", 1, 4)->SetRelPos(Vector(0, 10, 0));

  doc->SetTime(BaseTime(0.05));
  doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE);
  return rig;
}

const char* const kTriangleRed = R"(geometry "triangles" {
"vertices" [ 0 0 0,1 10 100,2 20 200 ] ,
"triangles" [ 0,2,1 ] ,
}
material "Red" {
surface "zel_diffuse" {
"diffuse" 1 0 0,
}
}
}
)";

const char* const kOctahedronTriangles = R"("triangles" [ 2,1,0,1,2,5,3,2,0,
2,3,5,4,3,0,3,4,
5,1,4,0,4,1,5 ] ,
)";

// Camera nodes carry the root group's mirror themselves: the z row of the placement negated.
const std::string kShot = std::string(R"(
camera "Eye" {
projection "perspective"
fov 90
reflection map "zel_envmap" {
"texture" "startup.hdr",
"format" 3,
"radius" 25,
}
position 0 0 0
direction 0 0 1
up 0 1 0
transform 1 0 -0 0 0 1 -0 0 0 0 -1 0 1 2 -3 1
}

group "shot" {
transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1
attribute "source file" "source file"
progress "Eye" 0.000


group "Eye" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 1 2 3 1
}
progress "Eye" 0.143

progress "Rig" 0.143


group "Rig" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 100 0 0 1
progress "Wedge" 0.143


group "Wedge" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Bent" 0.143


group "Bent" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Bent" {
)") + kTriangleRed + R"(}
progress "Bent" 0.179

}
progress "Wedge" 0.214

progress "Gen" 0.214


group "Gen" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Cache" 0.214


group "Cache" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Cache" {
)" + kTriangleRed + R"(}
progress "Cache" 0.250

}
progress "Gen" 0.286

animation "fbx_animation" "Height" {
"start_time" 0,
"duration" 0.09,
"folder" "Rig/Position",
"matrices" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,
1 0 0 0 0 1 0 0 0 0 1 0 0 3.3 0 1 ,
1 0 0 0 0 1 0 0 0 0 1 0 0 6.7 0 1 
] ,
"timestamps" [ 0,33,66 ] ,
}
}
progress "Panel" 0.286


group "Panel" {
flags 1
transform 2 0 0 0 0 2 0 0 0 0 2 0 0 0 -5 1
object "Panel" {
geometry "triangles" {
"vertices" [ 0 0 0,1 0 0,1 1 0,0 1 0,2 0.5 0 ] ,
"normals" [ 0 0 1,0 0.5 0.5,-0.25 0 1,1 0 0,0 1 0,0 0 1,1 0 0 ] ,
"triangles_norm" [ 0,3,1,2,1,3,4,6,5 
] ,
"uv_tex" [ 0,0,1,0,1,1,0,1,1,
0,2,0.5,1,1 ] ,
"triangles_uv" [ 0,3,1,2,1,3,4,6,5 
] ,
"triangles" [ 0,3,1,2,1,3,1,2,4 
] ,
}
material "Wood" {
surface "zel_advanced" {
"diffuse" 0.5 0.25 1,
"specular" 0 0 0,
"fresnel" on,
"roughness" 0,
"ior" 1.5,
"glossy" on,
"glossy_samples" 9,
"alpha" 1,
"diffuse" ! "texture2_rgb" {
"texture" "wood.png",
"default_color" 0 0 0,
"wrap" off,
"uv_projection" 4,
"scale_u" 1,
"scale_v" 2,
"shift_u" 0.125,
"shift_v" 0,
"uv_flags" 62,
},
}
}
}
}
progress "Panel" 0.429

progress "Hidden" 0.429


group "Hidden" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Ghost" 0.429


group "Ghost" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
}
progress "Ghost" 0.571

}
progress "Lamp" 0.571


group "Lamp" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 50 0 1
object "Lamp" {
geometry "triangles" {
"vertices" [ 0 -1 0,1 0 0,0 0 1,-1 0 0,0 0 -1,0 1 0 ] ,
"normals" [ 0 -1 0,1 0 0,0 0 1,-1 0 0,0 0 -1,0 1 0 ] ,
)" + kOctahedronTriangles +
                          R"(}
material "Lamp" {
surface "zel_point_light" {
"power" 1256,
"color" 1 0.5 0.25,
"lumen" on,
"radius" 0,
}
}
}
}
progress "Lamp" 0.714

progress "Area" 0.714


group "Area" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Area" {
geometry "triangles" {
"vertices" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
"normals" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
)" + kOctahedronTriangles +
                          R"(}
material "Area" {
surface "zel_mesh_light" {
"power" 200,
"color" 1 1 1,
"lumen" off,
"visible to the eye" off,
"visible in reflections" off,
"visible in shadows" off,
}
}
}
}
progress "Area" 0.857

progress "Fur" 0.857


group "Fur" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 10 0 1
object "Fur" {
geometry "zel_bezier_curves" {
"radius" 0.5,
"order" 2,
"p" [ 0 0 0,0 1 0.5,0 2 1,0 3 1.5,0 4 2 ] ,
"pr" [ 0.5,0.4,0.3,0.2,0.1 ] ,
"curve_uv" [ 0,0.5 ] ,
"nvertices" [ 5 ] ,
}
material "Display color" {
surface "zel_diffuse" {
"diffuse" 0.65 0.65 0.65,
}
}
}
}
progress "Fur" 1.000

}
)";

// The conversion sees the document at its first frame and leaves it at its own time again.
TEST(DocumentScene, EveryKindOfContentAsTheRendererReadsIt) {
  Document d;
  BaseObject* rig = buildShot(d);
  Capture capture;
  capture.loader.load(d.doc);
  EXPECT_EQ(capture.text(), kShot);
  EXPECT_TRUE(d.doc->GetTime() == BaseTime(0.05));
  EXPECT_DOUBLE_EQ(rig->GetRelPos().y, 5.0);
}

}  // namespace

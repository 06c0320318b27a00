// Where the preview looks from: the scene's camera at a given time, or a camera that
// frames the whole scene from the front.
#pragma once

#include "preview_math.h"
#include "preview_scene.h"

#include <string>
#include <vector>

namespace svb_preview {

// A perspective view. The camera sits at `eye` and looks along -back; right, up and
// back are orthonormal and right-handed (the scene's world is right-handed: the
// plug-in mirrors the host's left-handed z once, in the root group).
struct View {
  Vec3 eye;
  Vec3 right{1.0, 0.0, 0.0};
  Vec3 up{0.0, 1.0, 0.0};
  Vec3 back{0.0, 0.0, 1.0};
  double focalX = 1.0;  // 1 / tan(half the horizontal field of view)
  double focalY = 1.0;  // 1 / tan(half the vertical field of view)
  double near = 1e-3;   // nothing nearer than this along the view direction is drawn
};

// World-space bounds of everything drawn.
Bounds sceneBounds(const DrawList& list);

// The view for a picture of width x height pixels at `time` seconds.
//
// The camera is the first camera block; "#modify camera" blocks that follow it (with
// its name or none) change the parameters they give, and a scene with only modify
// blocks uses them alone. Its parameters are those the plug-in writes: "fov" (the
// horizontal field of view in degrees, 60 when missing), "position", "direction"
// (or "lookat"), "up" and "clipping" (near and far), all mapped by the block's
// transform. Animation blocks whose "folder" is "<camera name>/Camera ..." then
// move it, each applied after the previous one in the scene's frame, at the sample
// at or before `time` (time counted from the block's "start_time").
//
// Without a camera the view looks at the scene's bounds from the front (from +z
// towards -z, the host's front view after the mirroring) with a 45 degree field of
// view, near enough to take in the whole bounding sphere.
View chooseView(const DrawList& list, const Bounds& bounds, double time, int width, int height,
                std::vector<std::string>& notes);

}  // namespace svb_preview

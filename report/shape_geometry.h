// Geometry both page painters share for drawing-layer shapes: the ends of a line, its
// arrowheads, and points turned with a shape about its centre. All in millimetres.
#pragma once
#include "report/page_model.h"

#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace zel::report {

// Start and end of a line shape in its unturned box.
std::pair<PointMm, PointMm> lineEnds(const PageShape& s);

// The corners of the filled arrowhead at `tip` of a line coming from `from` (tip first);
// nothing for a line of no length.
std::optional<std::array<PointMm, 3>> arrowhead(PointMm from, PointMm tip, double lineWidthMm);

// `p` turned by `degreesClockwise` about `centre` (y grows downwards, as on the page).
PointMm turnedAbout(PointMm p, PointMm centre, double degreesClockwise);

inline PointMm centreOf(const BoxMm& b) { return {b.x + b.w / 2, b.y + b.h / 2}; }

// A freeform's stored outline as page commands inside `box`: `points` in the coordinates of
// `geometry` (left, top, right, bottom), joined as the stored path commands say (type in the
// top 3 bits, count in the low 13: line, curve, move, close, end; escapes skipped with their
// points, but for the no-fill and no-line marks of their path); without commands the points
// are one line. Flipped shapes are mirrored in their box. Commands that ask for points beyond
// the last end the outline.
struct OutlineSource {
  const std::vector<std::pair<int32_t, int32_t>>& points;
  const std::vector<uint16_t>& commands;
  int32_t left, top, right, bottom;
  bool flipH = false, flipV = false;
};
std::vector<PathStep> freeformOutline(const OutlineSource& src, const BoxMm& box);

// The paths of an outline, split at its End steps, each with whether it is filled and stroked.
struct OutlinePath {
  std::span<const PathStep> steps;
  bool filled = true, stroked = true;
};
std::vector<OutlinePath> outlinePaths(const std::vector<PathStep>& outline);

// The outline of a preset autoshape (its MSOSPT type: triangles, arrows, diamond, ...) in
// `box`, from its adjust values where it has them, mirrored in its box as flipped; empty for
// types drawn as their box or as a kind of their own. The octagon and the plus take a second
// value, when there is one, for their cuts down the sides (drawings that size those cuts by
// the shorter side store them apart); without it the first serves both.
std::vector<PathStep> presetOutline(uint16_t shapeType, const std::array<std::optional<int32_t>, 2>& adjust, const BoxMm& box,
                                    bool flipH, bool flipV);

// Pixels a picture is drawn with: its own size, or less when it is shown smaller than
// `maxDotsPerMm` allows (a large photo in a small frame); never more than its own.
std::pair<int, int> pictureDrawSize(int width, int height, const BoxMm& box, double maxDotsPerMm);

}  // namespace zel::report

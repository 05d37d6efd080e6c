// Grouping of a page's rules and fills. Rules go into batches in page order; a rule joins the
// latest batch of its style unless a rule of a later batch overlaps it along a length (a shared
// cell edge drawn in two styles keeps its order). Placed rules are found through a coarse grid.
#include "report/rule_batches.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

namespace zel::report {
namespace {

constexpr double kEps = 1e-6;
constexpr double kGridMm = 8.0;
// Rules closer than this share pixels at print and screen resolutions, so their order shows.
constexpr double kNearMm = 0.4;
// A rule longer than this many grid cells is checked against every placed rule instead.
constexpr int kMaxGridCells = 64;

using StyleKey = std::tuple<bool, uint32_t, double, LineDash>;

StyleKey styleOf(const PageRule& r) { return {r.light, r.light ? 0u : r.rgb, r.widthMm, r.dash}; }

// The area a rule's stroke can colour: its segment widened by half its width and the margin
// of shared pixels on every side.
struct Area {
  double x1, y1, x2, y2, half;
};

Area areaOf(const PageRule& r) {
  const double h = std::max(r.widthMm, 0.0) / 2 + kNearMm;
  return {std::min(r.x1, r.x2) - h, std::min(r.y1, r.y2) - h, std::max(r.x1, r.x2) + h, std::max(r.y1, r.y2) + h, h};
}

// Two strokes overlap along a length when their common area is longer, in either direction,
// than the wider of them: a corner, a crossing or a T only meet in a small square, parallel
// rules on one edge (or a pixel apart) meet along the edge.
bool overlapAlong(const Area& a, const Area& b) {
  const double w = std::min(a.x2, b.x2) - std::max(a.x1, b.x1);
  const double h = std::min(a.y2, b.y2) - std::max(a.y1, b.y1);
  if (w <= kEps || h <= kEps) return false;
  return std::max(w, h) > 2 * std::max(a.half, b.half) + kEps;
}

// A solid rule drawn later hides an earlier rule it covers entirely: on the same line, over
// all of its length and at least as wide.
bool covers(const PageRule& later, const PageRule& earlier) {
  if (later.dash != LineDash::Solid || later.widthMm + kEps < earlier.widthMm) return false;
  const bool laterH = std::abs(later.y1 - later.y2) <= kEps, laterV = std::abs(later.x1 - later.x2) <= kEps;
  const bool earlierH = std::abs(earlier.y1 - earlier.y2) <= kEps, earlierV = std::abs(earlier.x1 - earlier.x2) <= kEps;
  if (laterH && earlierH && !laterV && !earlierV)
    return std::abs(later.y1 - earlier.y1) <= kEps &&
           std::min(later.x1, later.x2) <= std::min(earlier.x1, earlier.x2) + kEps &&
           std::max(later.x1, later.x2) + kEps >= std::max(earlier.x1, earlier.x2);
  if (laterV && earlierV && !laterH && !earlierH)
    return std::abs(later.x1 - earlier.x1) <= kEps &&
           std::min(later.y1, later.y2) <= std::min(earlier.y1, earlier.y2) + kEps &&
           std::max(later.y1, later.y2) + kEps >= std::max(earlier.y1, earlier.y2);
  return false;
}

class RuleGrid {
 public:
  // Calls f(index) for every placed rule whose grid cells meet the area's.
  template <typename F>
  void forNear(const Area& a, F f) const {
    int gx1, gy1, gx2, gy2;
    if (!cells(a, gx1, gy1, gx2, gy2)) {
      for (uint32_t i : all_) f(i);
      return;
    }
    for (int gy = gy1; gy <= gy2; ++gy)
      for (int gx = gx1; gx <= gx2; ++gx) {
        auto it = cells_.find(key(gx, gy));
        if (it != cells_.end())
          for (uint32_t i : it->second) f(i);
      }
    for (uint32_t i : wide_) f(i);
  }
  void add(const Area& a, uint32_t index) {
    all_.push_back(index);
    int gx1, gy1, gx2, gy2;
    if (!cells(a, gx1, gy1, gx2, gy2)) {
      wide_.push_back(index);
      return;
    }
    for (int gy = gy1; gy <= gy2; ++gy)
      for (int gx = gx1; gx <= gx2; ++gx) cells_[key(gx, gy)].push_back(index);
  }

 private:
  static int64_t key(int gx, int gy) { return (static_cast<int64_t>(gx) << 32) ^ static_cast<uint32_t>(gy); }
  static bool cells(const Area& a, int& gx1, int& gy1, int& gx2, int& gy2) {
    const double lim = 1e6;
    if (!(std::abs(a.x1) < lim && std::abs(a.x2) < lim && std::abs(a.y1) < lim && std::abs(a.y2) < lim)) return false;
    gx1 = static_cast<int>(std::floor(a.x1 / kGridMm));
    gx2 = static_cast<int>(std::floor(a.x2 / kGridMm));
    gy1 = static_cast<int>(std::floor(a.y1 / kGridMm));
    gy2 = static_cast<int>(std::floor(a.y2 / kGridMm));
    return (gx2 - gx1 + 1) * (gy2 - gy1 + 1) <= kMaxGridCells;
  }
  std::unordered_map<int64_t, std::vector<uint32_t>> cells_;
  std::vector<uint32_t> wide_, all_;
};

// Horizontal and vertical solid segments on one line joined where they touch or overlap;
// exact repeats of the others dropped.
void joinSegments(std::vector<Segment>& segs, bool solid) {
  std::vector<Segment> horizontal, vertical, other;
  for (Segment s : segs) {
    if (std::abs(s.a.y - s.b.y) <= kEps && solid) {
      if (s.a.x > s.b.x) std::swap(s.a, s.b);
      horizontal.push_back(s);
    } else if (std::abs(s.a.x - s.b.x) <= kEps && solid) {
      if (s.a.y > s.b.y) std::swap(s.a, s.b);
      vertical.push_back(s);
    } else {
      other.push_back(s);
    }
  }
  // Segments on one line (their positions across equal within rounding) sorted along it, then
  // each joined to the one before when they touch or overlap.
  auto join = [](std::vector<Segment>& v, auto along, auto across) {
    std::sort(v.begin(), v.end(), [&](const Segment& p, const Segment& q) { return across(p.a) < across(q.a); });
    for (size_t first = 0; first < v.size();) {
      size_t end = first + 1;
      while (end < v.size() && across(v[end].a) - across(v[end - 1].a) <= kEps) ++end;
      std::sort(v.begin() + static_cast<ptrdiff_t>(first), v.begin() + static_cast<ptrdiff_t>(end),
                [&](const Segment& p, const Segment& q) { return along(p.a) < along(q.a); });
      first = end;
    }
    std::vector<Segment> out;
    for (const Segment& s : v) {
      if (!out.empty()) {
        Segment& last = out.back();
        if (std::abs(across(last.a) - across(s.a)) <= kEps && along(s.a) >= along(last.a) - kEps &&
            along(s.a) <= along(last.b) + kEps) {
          if (along(s.b) > along(last.b)) last.b = s.b;
          continue;
        }
      }
      out.push_back(s);
    }
    v = std::move(out);
  };
  join(horizontal, [](const PointMm& p) { return p.x; }, [](const PointMm& p) { return p.y; });
  join(vertical, [](const PointMm& p) { return p.y; }, [](const PointMm& p) { return p.x; });
  // Repeats of a dashed or slanted segment (a shared edge given by both cells) are drawn once;
  // the direction stays, since the dashes start at the first end.
  std::sort(other.begin(), other.end(), [](const Segment& p, const Segment& q) {
    return std::tie(p.a.x, p.a.y, p.b.x, p.b.y) < std::tie(q.a.x, q.a.y, q.b.x, q.b.y);
  });
  std::vector<Segment> kept;
  for (const Segment& s : other) {
    if (!kept.empty()) {
      const Segment& k = kept.back();
      if (std::abs(k.a.x - s.a.x) <= kEps && std::abs(k.a.y - s.a.y) <= kEps && std::abs(k.b.x - s.b.x) <= kEps &&
          std::abs(k.b.y - s.b.y) <= kEps)
        continue;
    }
    kept.push_back(s);
  }
  segs = std::move(horizontal);
  segs.insert(segs.end(), vertical.begin(), vertical.end());
  segs.insert(segs.end(), kept.begin(), kept.end());
}

using FillKey = std::tuple<uint8_t, int64_t, uint32_t, double, int>;

FillKey fillKeyOf(const PageFill& f) {
  const bool patterned = f.pattern > 1 && f.rgb >= 0;
  return {patterned ? f.pattern : uint8_t{1}, f.rgb, patterned ? f.backRgb : 0u, patterned ? f.patternCellMm : 0.0,
          f.rgb >= 0 ? 0 : f.gray};
}

bool near(double a, double b) { return std::abs(a - b) <= kEps; }

// Boxes side by side with equal rows joined, then equal columns of the result joined.
std::vector<BoxMm> joinBoxes(std::vector<BoxMm> boxes) {
  auto pass = [](std::vector<BoxMm>& v, bool rows) {
    std::sort(v.begin(), v.end(), [rows](const BoxMm& p, const BoxMm& q) {
      if (rows) return std::tie(p.y, p.h, p.x) < std::tie(q.y, q.h, q.x);
      return std::tie(p.x, p.w, p.y) < std::tie(q.x, q.w, q.y);
    });
    std::vector<BoxMm> out;
    for (const BoxMm& b : v) {
      if (!out.empty()) {
        BoxMm& last = out.back();
        if (rows && near(last.y, b.y) && near(last.h, b.h) && near(last.right(), b.x)) {
          last.w = b.right() - last.x;
          continue;
        }
        if (!rows && near(last.x, b.x) && near(last.w, b.w) && near(last.bottom(), b.y)) {
          last.h = b.bottom() - last.y;
          continue;
        }
      }
      out.push_back(b);
    }
    v = std::move(out);
  };
  pass(boxes, true);
  pass(boxes, false);
  return boxes;
}

}  // namespace

std::vector<RuleBatch> batchRules(const std::vector<PageRule>& rules) {
  std::vector<RuleBatch> batches;
  std::map<StyleKey, size_t> latest;       // style -> index of its latest batch
  std::vector<uint32_t> batchOf;           // placed rule -> its batch
  std::vector<Area> areas;
  std::vector<bool> hidden;                // placed rule covered by a later one
  RuleGrid grid;
  for (const PageRule& r : rules) {
    const StyleKey key = styleOf(r);
    const Area area = areaOf(r);
    const auto index = static_cast<uint32_t>(areas.size());
    size_t target = batches.size();
    auto it = latest.find(key);
    const size_t candidate = it != latest.end() ? it->second : batches.size();
    bool blocked = it == latest.end();
    grid.forNear(area, [&](uint32_t i) {
      if (hidden[i]) return;
      if (!blocked && batchOf[i] > candidate && overlapAlong(area, areas[i])) blocked = true;
      if (covers(r, rules[i])) hidden[i] = true;
    });
    if (!blocked) target = candidate;
    if (target == batches.size()) {
      batches.push_back({&r, {}});
      latest[key] = target;
    }
    areas.push_back(area);
    batchOf.push_back(static_cast<uint32_t>(target));
    hidden.push_back(false);
    grid.add(area, index);
  }
  for (size_t i = 0; i < rules.size(); ++i)
    if (!hidden[i]) batches[batchOf[i]].segments.push_back({{rules[i].x1, rules[i].y1}, {rules[i].x2, rules[i].y2}});
  std::vector<RuleBatch> out;
  out.reserve(batches.size());
  for (RuleBatch& b : batches) {
    if (b.segments.empty()) continue;
    joinSegments(b.segments, b.style->dash == LineDash::Solid);
    out.push_back(std::move(b));
  }
  return out;
}

std::vector<FillBatch> batchFills(const std::vector<PageFill>& fills) {
  std::map<FillKey, FillBatch> groups;
  for (const PageFill& f : fills) {
    FillBatch& g = groups[fillKeyOf(f)];
    if (!g.style) g.style = &f;
    g.boxes.push_back(f.box);
  }
  std::vector<FillBatch> out;
  out.reserve(groups.size());
  for (auto& [key, g] : groups) {
    g.boxes = joinBoxes(std::move(g.boxes));
    out.push_back(std::move(g));
  }
  return out;
}

}  // namespace zel::report

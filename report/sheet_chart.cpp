// Chart drawing: lays out title, legend and plot area in the chart's box, then draws the axes
// and each chart group's series into the plot area.
#include "report/sheet_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <limits>

#include "report/text_measure.h"
#include "xls/number_format.h"

namespace zel::report {
namespace {

using xls::chart::ChartGroup;
using xls::chart::ChartModel;
using xls::chart::ChartSeries;
using xls::chart::ChartType;
using xls::chart::Grouping;
using xls::chart::SeriesFormat;

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kBlack = 0x000000;

// Width of a text in ems: narrow Latin letters, full-width everything else.
double textEms(const std::string& text) {
  double ems = 0;
  for (char32_t c : toU32(text)) ems += c < 0x80 ? 0.55 : (c >= 0xFF61 && c <= 0xFF9F) ? 0.5 : 1.0;
  return ems;
}

std::string numberLabel(double v, double step, bool percent) {
  int decimals = 0;
  for (double s = std::fabs(step); decimals < 6 && s > 0 && std::fabs(s - std::round(s)) > 1e-9; s *= 10) ++decimals;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f%s", decimals, std::fabs(v) < 1e-12 ? 0.0 : v, percent ? "%" : "");
  return buf;
}

bool isGeneral(const std::string& format) {
  return format.empty() || (format.size() == 7 && std::equal(format.begin(), format.end(), "general", [](char a, char b) {
                              return std::tolower(static_cast<unsigned char>(a)) == b;
                            }));
}

class ChartPainter {
 public:
  ChartPainter(const ChartModel& c, double w, double h, const ChartTextStyle& style)
      : c_(c), w_(w), h_(h), family_(style.family), pt_(std::max(4.0, style.pointSize)) {
    em_ = pt_ * kMmPerPoint;
  }

  ChartPicture run() {
    if (c_.chartAreaFill || c_.chartAreaBorder)
      box({0, 0, w_, h_}, c_.chartAreaFill ? int64_t(*c_.chartAreaFill) : -1, c_.chartAreaBorder ? int64_t(kBlack) : -1);
    BoxMm inner{em_ * 0.6, em_ * 0.6, w_ - em_ * 1.2, h_ - em_ * 1.2};
    if (c_.hasTitle && !c_.title.empty()) {
      const double th = em_ * 1.2 * 1.5;
      text({inner.x, inner.y, inner.w, th}, c_.title, Align::Center, pt_ * 1.2, true);
      inner.y += th;
      inner.h -= th;
    }
    if (c_.hasLegend) legend(inner);
    if (inner.w <= em_ || inner.h <= em_) return std::move(out_);
    const ChartGroup* first = c_.groups.empty() ? nullptr : &c_.groups[0];
    if (first && first->type == ChartType::Pie)
      pie(inner, 0);
    else if (first && first->type != ChartType::Other)
      axisChart(inner);
    return std::move(out_);
  }

 private:
  // --- primitives
  static PagePath polygon(std::vector<PointMm> pts, int64_t fill, int64_t line, double width) {
    PagePath p;
    p.points = std::move(pts);
    p.closed = true;
    p.fillRgb = fill;
    p.lineRgb = line;
    p.lineWidthMm = width;
    return p;
  }
  void box(const BoxMm& b, int64_t fill, int64_t line, double width = 0.18) {
    out_.paths.push_back(polygon({{b.x, b.y}, {b.right(), b.y}, {b.right(), b.bottom()}, {b.x, b.bottom()}}, fill, line, width));
  }
  void line(std::vector<PointMm> pts, uint32_t rgb, double width, LineDash dash = LineDash::Solid) {
    PagePath p;
    p.points = std::move(pts);
    p.lineRgb = rgb;
    p.lineWidthMm = width;
    p.dash = dash;
    out_.paths.push_back(std::move(p));
  }
  void text(const BoxMm& b, const std::string& s, Align align, double pt, bool bold = false, double rotation = 0) {
    PageText t;
    t.box = b;
    t.text = s;
    t.align = align;
    t.family = family_;
    t.pointSize = pt;
    t.bold = bold;
    t.rotation = rotation;
    out_.texts.push_back(std::move(t));
  }

  // --- colours
  uint32_t autoFill(size_t i) const { return c_.autoFills.empty() ? 0x9999FF : c_.autoFills[i % c_.autoFills.size()]; }
  uint32_t autoLine(size_t i) const { return c_.autoLines.empty() ? 0x000080 : c_.autoLines[i % c_.autoLines.size()]; }
  const SeriesFormat& pointFormat(const ChartSeries& s, size_t point) const {
    auto it = s.pointFormats.find(static_cast<uint16_t>(point));
    return it != s.pointFormats.end() ? it->second : s.format;
  }
  bool linear(const ChartSeries& s) const {
    const ChartType t = groupOf(s).type;
    return t == ChartType::Line || t == ChartType::Scatter;
  }
  // The fill of a bar, area or slice; points take their own colours on a chart with varied colours.
  int64_t fillOf(const ChartSeries& s, size_t point, bool varied) const {
    const SeriesFormat& f = pointFormat(s, point);
    if (f.noFill) return -1;
    if (f.fillRgb) return *f.fillRgb;
    return varied ? autoFill(point) : autoFill(static_cast<size_t>(s.formatIndex));
  }
  uint32_t lineOf(const ChartSeries& s) const {
    if (s.format.lineRgb) return *s.format.lineRgb;
    return autoLine(static_cast<size_t>(s.formatIndex));
  }
  const ChartGroup& groupOf(const ChartSeries& s) const {
    static const ChartGroup none;
    return static_cast<size_t>(s.group) < c_.groups.size() ? c_.groups[static_cast<size_t>(s.group)] : none;
  }

  // --- number formats
  // A value axis label: in the axis's own format, or linked to the data (the first series'
  // format; percent stacks in percent); General shows as many decimals as the step needs.
  std::string axisLabel(double v, double step, const std::string& format, bool percent) const {
    if (std::fabs(v) < std::fabs(step) * 1e-9) v = 0;
    if (isGeneral(format)) return numberLabel(v, step, percent);
    return xls::formatNumber(format, percent ? v / 100 : v, c_.dateMode1904);
  }
  std::string valueAxisFormat(bool percent) const {
    if (c_.valueAxis.formatIndex) return c_.valueAxis.numberFormat;
    return percent || c_.series.empty() ? std::string() : c_.series[0].valueFormat;
  }
  // A data label: category, value and share of the series' total as the point asks, the
  // value in the labels' own format or as its cell shows it.
  std::string labelText(const ChartSeries& s, size_t i, double total) const {
    const SeriesFormat& f = pointFormat(s, i);
    const double v = s.values[i].value_or(0);
    std::string out;
    auto add = [&out](const std::string& part) {
      if (part.empty()) return;
      if (!out.empty()) out += ' ';
      out += part;
    };
    if (f.categoryLabels && i < s.categories.size()) add(s.categories[i]);
    if (f.valueLabels) {
      const std::string& format = f.labelFormatIndex ? f.labelFormat : i < s.valueFormats.size() ? s.valueFormats[i] : s.valueFormat;
      add(xls::formatNumber(isGeneral(format) ? "General" : format, v, c_.dateMode1904));
    }
    if (f.percentLabels && total > 0) add(xls::formatNumber(f.labelFormatIndex ? f.labelFormat : "0%", std::fabs(v) / total, c_.dateMode1904));
    return out;
  }
  static bool labelled(const SeriesFormat& f) { return f.valueLabels || f.percentLabels || f.categoryLabels; }
  double seriesTotal(const ChartSeries& s) const {
    double sum = 0;
    for (const auto& v : s.values) sum += v ? std::fabs(*v) : 0;
    return sum;
  }

  // --- legend
  struct Entry {
    std::string text;
    int64_t fill;
    int64_t line;
    const ChartSeries* linear = nullptr;  // lines and markers: the key shows them
  };
  std::vector<Entry> legendEntries() const {
    std::vector<Entry> out;
    const bool byPoint = c_.series.size() == 1 && !c_.groups.empty() &&
                         (c_.groups[0].varyColors || c_.groups[0].type == ChartType::Pie);
    if (byPoint) {
      const ChartSeries& s = c_.series[0];
      for (size_t i = 0; i < s.values.size() && i < 64; ++i)
        out.push_back({i < s.categories.size() && !s.categories[i].empty() ? s.categories[i] : std::to_string(i + 1), fillOf(s, i, true), kBlack});
      return out;
    }
    for (size_t i = 0; i < c_.series.size() && i < 64; ++i) {
      const ChartSeries& s = c_.series[i];
      std::string name = s.name.empty() ? "系列" + std::to_string(i + 1) : s.name;
      if (linear(s))
        out.push_back({name, -1, s.format.noLine ? -1 : int64_t(lineOf(s)), &s});
      else
        out.push_back({name, fillOf(s, SIZE_MAX, false), kBlack});
    }
    return out;
  }
  void legend(BoxMm& inner) {
    const std::vector<Entry> entries = legendEntries();
    if (entries.empty()) return;
    const double row = em_ * 1.3, swatch = em_ * 0.7;
    double widest = 0, total = 0;
    for (const Entry& e : entries) {
      widest = std::max(widest, textEms(e.text) * em_);
      total += swatch + em_ * 0.4 + textEms(e.text) * em_ + em_;
    }
    using xls::chart::LegendPosition;
    const LegendPosition pos = c_.legendPosition;
    const bool across = pos == LegendPosition::Bottom || pos == LegendPosition::Top;
    BoxMm lb;
    if (across) {
      lb = {inner.x + std::max(0.0, (inner.w - total - em_) / 2), 0, std::min(inner.w, total + em_), row + em_ * 0.4};
      lb.y = pos == LegendPosition::Top ? inner.y : inner.bottom() - lb.h;
      if (pos == LegendPosition::Top) inner.y += lb.h + em_ * 0.5;
      inner.h -= lb.h + em_ * 0.5;
    } else {
      lb.w = std::min(inner.w * 0.45, swatch + em_ * 1.4 + widest);
      lb.h = std::min(inner.h, row * static_cast<double>(entries.size()) + em_ * 0.6);
      lb.x = pos == LegendPosition::Left ? inner.x : inner.right() - lb.w;
      lb.y = pos == LegendPosition::Corner ? inner.y : inner.y + (inner.h - lb.h) / 2;
      if (pos == LegendPosition::Left) inner.x += lb.w + em_ * 0.5;
      inner.w -= lb.w + em_ * 0.5;
    }
    box(lb, 0xFFFFFF, kBlack);
    double x = lb.x + em_ * 0.4, y = lb.y + em_ * 0.3;
    for (const Entry& e : entries) {
      if (!across && y + row > lb.bottom() + 0.01) break;
      if (e.fill >= 0)
        box({x, y + (row - swatch) / 2, swatch, swatch}, e.fill, e.line);
      else if (e.line >= 0)
        line({{x - em_ * 0.1, y + row / 2}, {x + swatch + em_ * 0.1, y + row / 2}}, static_cast<uint32_t>(e.line), 0.35);
      if (e.linear) marker(*e.linear, {x + swatch / 2, y + row / 2});
      const double tw = across ? textEms(e.text) * em_ + em_ * 0.2 : lb.right() - (x + swatch + em_ * 0.3);
      text({x + swatch + em_ * 0.3, y, tw, row}, e.text, Align::Left, pt_);
      if (across)
        x += swatch + em_ * 0.4 + textEms(e.text) * em_ + em_;
      else
        y += row;
    }
  }

  // --- pie and doughnut
  // A darker shade of a fill, for the faces of 3-D pies and bars turned from the light.
  static int64_t darker(int64_t rgb, double f = 0.7) {
    if (rgb < 0) return rgb;
    const auto ch = [&](int shift) { return static_cast<int64_t>(((rgb >> shift) & 0xFF) * f) << shift; };
    return ch(16) | ch(8) | ch(0);
  }
  // A 3-D pie's thickness as a part of its radius: the stored height scales a default thickness
  // of a tenth of the diameter, seen shorter the steeper the pie is looked at.
  static double pieWallRatio(const xls::chart::Chart3d& v) {
    return 2 * v.heightPercent / 100.0 * 0.1 * std::cos(v.elevation * kPi / 180);
  }
  double pieSquash_ = 1, pieWall_ = 0;  // of the pie being drawn

  // A slice's label: its text, size and whether it sits outside the pie.
  struct SliceLabel {
    std::string text;
    double w = 0, h = 0;
    bool outside = false, leader = false;
  };

  // Whether a label of w x h centred `radius` out along the middle of a slice of `sweep`
  // degrees (its middle at `mid`) stays within the slice and the pie of radius r, give or take
  // its corners (a fifth of the slice's width, a tenth of the radius).
  static bool fitsInside(double w, double h, double mid, double sweep, double radius, double r) {
    const double a = mid * kPi / 180, c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
    const double across = w * c + h * s, along = w * s + h * c;
    const double room = sweep >= 180 ? 2 * radius : 2 * radius * std::sin(sweep * kPi / 360);
    return across <= room * 1.2 && radius + along / 2 <= r * 1.1;
  }

  void pie(const BoxMm& area, int group) {
    const ChartSeries* s = nullptr;
    for (const ChartSeries& cs : c_.series)
      if (cs.group == group) {
        s = &cs;
        break;
      }
    if (!s) return;
    const ChartGroup& g = c_.groups[static_cast<size_t>(group)];
    const double sum = seriesTotal(*s);
    if (sum <= 0) return;
    // Pulled-out slices stay inside the plot area: the pie shrinks for the farthest one.
    auto explodeOf = [&](size_t i) { return pointFormat(*s, i).explodePercent.value_or(s->format.explodePercent.value_or(0)); };
    int farthest = 0;
    for (size_t i = 0; i < s->values.size(); ++i) farthest = std::max(farthest, explodeOf(i));
    // A 3-D pie is a tilted disc: its top an ellipse squashed by the view's elevation, a wall
    // of the pie's thickness (wallRatio times the radius) below its front half.
    // Seen from straight above it is round; low views keep a fifth of its depth and show it a
    // little flatter than a true view would, as LibreOffice prints such pies.
    const double lift = std::sin(g.view3d ? g.view3d->elevation * kPi / 180 : kPi / 2);
    const double squash = 0.2 + 0.8 * lift * lift;
    const double wallRatio = g.view3d ? pieWallRatio(*g.view3d) : 0.0;
    double r = std::min(area.w / 2, area.h / (2 * squash + wallRatio)) * 0.85 / (1 + farthest / 100.0);
    const bool donut = g.donutHolePercent > 0;
    auto valueOf = [&](size_t i) { return s->values[i] ? std::fabs(*s->values[i]) : 0.0; };
    auto at = [&](PointMm centre, double deg, double radius) {  // deg clockwise from twelve o'clock
      const double rad = (deg - 90) * kPi / 180;
      return PointMm{centre.x + radius * std::cos(rad), centre.y + radius * std::sin(rad) * squash};
    };
    // A point `beyond` further out than the rim along the slice's middle, below the wall in front.
    auto outward = [&](PointMm centre, double deg, double radius, double beyond) {
      PointMm p = at(centre, deg, radius);
      const double a = deg * kPi / 180;
      p.x += beyond * std::sin(a);
      p.y -= beyond * std::cos(a) - std::min(1.0, 4 * std::max(0.0, -std::cos(a))) * radius * wallRatio;
      return p;
    };

    // Labels outside the slices (outside end; best fit and the default where they do not fit
    // inside; labels moved by hand, with a leader where the pie shows leader lines) take room
    // from the pie, which shrinks to leave it, down to half its size.
    const double gap = em_ * 0.3, leaderLength = em_ * 1.2;
    std::vector<SliceLabel> labels(s->values.size());
    // Returns the largest radius that leaves room for the outside labels in the plot area.
    auto placeLabels = [&](double radius) {
      double angle = g.firstSliceDegrees, most = std::numeric_limits<double>::infinity();
      for (size_t i = 0; i < s->values.size(); ++i) {
        const double sweep = valueOf(i) / sum * 360;
        SliceLabel& l = labels[i];
        const SeriesFormat& f = pointFormat(*s, i);
        if (valueOf(i) > 0 && labelled(f)) {
          l.text = labelText(*s, i, sum);
          l.w = textEms(l.text) * em_ + em_ * 0.4;
          l.h = em_ * 1.3;
          using xls::chart::LabelPlace;
          const LabelPlace place = f.labelPlace;
          const bool fits = fitsInside(l.w, l.h, angle + sweep / 2, sweep, radius * 0.65, radius);
          l.outside = !donut && (place == LabelPlace::OutsideEnd || place == LabelPlace::Moved ||
                                 ((place == LabelPlace::BestFit || place == LabelPlace::Default) && !fits));
          l.leader = l.outside && place == LabelPlace::Moved && g.leaderLines;
          if (l.outside) {
            // The box reaches (r + out) |sin a| + w (1 + |sin a|) / 2 from the middle across,
            // and likewise down with the height and |cos a|.
            const double a = (angle + sweep / 2) * kPi / 180, sa = std::fabs(std::sin(a)), ca = std::fabs(std::cos(a));
            const double out = gap + (l.leader ? leaderLength : 0);
            if (sa > 0.05) most = std::min(most, (area.w / 2 - l.w * (1 + sa) / 2) / sa - out);
            if (ca > 0.05) most = std::min(most, (area.h / 2 - l.h * (1 + ca) / 2 - out * ca) / (squash * ca + wallRatio / 2));
          }
        }
        angle += sweep;
      }
      return most / (1 + farthest / 100.0);
    };
    // Which labels fit is judged on the full-sized pie, as they would sit without the others.
    if (const double most = placeLabels(r); most < r) r = std::max(r / 2, most);
    const double hole = r * g.donutHolePercent / 100.0;
    if (r <= 0) return;
    const double wall = r * wallRatio;
    const PointMm middle{area.x + area.w / 2, area.y + area.h / 2 - wall / 2};
    pieSquash_ = squash;
    pieWall_ = wall;
    std::vector<PagePath> tops;
    std::vector<std::pair<double, PagePath>> sides;  // by nearness to the viewer
    auto side = [&](std::vector<PointMm> upper, int64_t fill) {
      double near = 0;
      for (const PointMm& q : upper) near += q.y;
      near /= static_cast<double>(upper.size());
      std::vector<PointMm> outline = upper;
      for (auto q = upper.rbegin(); q != upper.rend(); ++q) outline.push_back({q->x, q->y + wall});
      sides.emplace_back(near, polygon(std::move(outline), fill, kBlack, 0.15));
    };

    double angle = g.firstSliceDegrees;
    std::vector<PlacedLabel> placed;
    for (size_t i = 0; i < s->values.size(); ++i) {
      const double v = valueOf(i);
      if (v <= 0) continue;
      const double sweep = v / sum * 360, mid = angle + sweep / 2;
      const PointMm centre = at(middle, mid, r * explodeOf(i) / 100.0);
      std::vector<PointMm> outline;
      const int steps = std::max(2, static_cast<int>(std::ceil(sweep / 3)));
      for (int k = 0; k <= steps; ++k) outline.push_back(at(centre, angle + sweep * k / steps, r));
      if (hole > 0)
        for (int k = steps; k >= 0; --k) outline.push_back(at(centre, angle + sweep * k / steps, hole));
      else
        outline.push_back(centre);
      PagePath p = polygon(std::move(outline), fillOf(*s, i, g.varyColors || true), kBlack, 0.15);
      if (wall > 0) {
        // The slice's cut faces and the part of its rim that faces the viewer (90..270 degrees).
        const int64_t dark = darker(p.fillRgb);
        side({centre, at(centre, angle, r)}, dark);
        side({centre, at(centre, angle + sweep, r)}, dark);
        for (const double turn : {0.0, 360.0}) {
          const double from = std::max(angle, 90 + turn), to = std::min(angle + sweep, 270 + turn);
          if (to <= from) continue;
          std::vector<PointMm> rim;
          const int n = std::max(2, static_cast<int>(std::ceil((to - from) / 3)));
          for (int k = 0; k <= n; ++k) rim.push_back(at(centre, from + (to - from) * k / n, r));
          side(std::move(rim), dark);
        }
      }
      tops.push_back(std::move(p));
      if (const SliceLabel& l = labels[i]; !l.text.empty()) {
        PlacedLabel placedLabel{{0, 0, l.w, l.h}, &l, at(centre, mid, r), outward(centre, mid, r, leaderLength), centre, r + gap, mid, 0, 0};
        BoxMm& b = placedLabel.box;
        if (l.outside) {
          // The label's box beyond the rim on the slice's middle line, touching it there.
          const PointMm touch = outward(centre, mid, r, gap + (l.leader ? leaderLength : 0));
          const double a = mid * kPi / 180;
          b.x = touch.x + (std::sin(a) - 1) * l.w / 2;
          b.y = touch.y - (std::cos(a) + 1) * l.h / 2;
          // Kept inside the chart area however long the text.
          b.x = std::clamp(b.x, 0.0, std::max(0.0, w_ - b.w));
          b.y = std::clamp(b.y, 0.0, std::max(0.0, h_ - b.h));
          placedLabel.naturalX = b.x;
          placedLabel.naturalY = b.y;
        } else {
          const PointMm m = at(centre, mid, hole > 0 ? (r + hole) / 2 : r * 0.65);
          b.x = m.x - b.w / 2;
          b.y = m.y - b.h / 2;
        }
        placed.push_back(placedLabel);
      }
      angle += sweep;
    }
    // Farther faces first, nearer ones over them, the tops over all.
    std::stable_sort(sides.begin(), sides.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : sides) out_.paths.push_back(std::move(f.second));
    for (PagePath& t : tops) out_.paths.push_back(std::move(t));
    // Outside labels of thin neighbouring slices would print over each other: on each side of
    // the pie they are moved apart, and a moved one is tied to its slice by a leader line.
    separateOutsideLabels(placed);
    for (const PlacedLabel& p : placed) {
      const BoxMm& b = p.box;
      if (p.label->outside) {
        const bool right = std::sin(p.mid * kPi / 180) >= 0;
        if (std::fabs(b.y - p.naturalY) > b.h / 2 || std::fabs(b.x - p.naturalX) > b.h)
          line({p.rim, {right ? b.x : b.right(), b.y + b.h / 2}}, kBlack, 0.15);
        else if (p.label->leader)
          line({p.rim, p.leaderEnd}, kBlack, 0.15);
      }
      text(b, p.label->text, Align::Center, pt_);
    }
  }

  // A slice label where it is drawn: its box, the label, the slice's rim point and the end of
  // a straight leader on the slice's middle line, and the box's top before labels are moved apart.
  struct PlacedLabel {
    BoxMm box;
    const SliceLabel* label;
    PointMm rim, leaderEnd, centre;
    double clearRadius;  // a moved label keeps this far from the slice's centre
    double mid;
    double naturalX, naturalY;
  };

  // Moves the outside labels on each side of the pie apart, downwards in order of height, then
  // back up from the chart's bottom edge where they ran past it; moved labels keep clear of
  // the pie.
  void separateOutsideLabels(std::vector<PlacedLabel>& placed) const {
    for (const bool rightSide : {true, false}) {
      std::vector<PlacedLabel*> side;
      for (PlacedLabel& p : placed)
        if (p.label->outside && (std::sin(p.mid * kPi / 180) >= 0) == rightSide) side.push_back(&p);
      // A label near the top or bottom that runs into another one moves to its own side of
      // the pie's middle, so that the two sides keep apart.
      for (PlacedLabel* p : side) {
        BoxMm& b = p->box;
        const bool clash = std::any_of(placed.begin(), placed.end(), [&](const PlacedLabel& q) {
          return &q != p && q.label->outside && q.box.x < b.right() && b.x < q.box.right() && q.box.y < b.bottom() &&
                 b.y < q.box.bottom();
        });
        if (!clash) continue;
        b.x = rightSide ? std::max(b.x, p->centre.x) : std::min(b.x, p->centre.x - b.w);
        b.x = std::clamp(b.x, 0.0, std::max(0.0, w_ - b.w));
      }
      std::stable_sort(side.begin(), side.end(), [](const PlacedLabel* a, const PlacedLabel* b) { return a->box.y < b->box.y; });
      for (size_t k = 1; k < side.size(); ++k)
        side[k]->box.y = std::max(side[k]->box.y, side[k - 1]->box.bottom());
      for (size_t k = side.size(); k-- > 0;) {
        const double limit = k + 1 < side.size() ? side[k + 1]->box.y : h_;
        side[k]->box.y = std::max(0.0, std::min(side[k]->box.y, limit - side[k]->box.h));
      }
      // A label moved up or down next to the pie is pushed out sideways until it clears it.
      for (PlacedLabel* p : side) {
        BoxMm& b = p->box;
        if (b.y == p->naturalY && b.x == p->naturalX) continue;
        // Below the middle the wall adds to the pie's reach; the squashed pie reaches less far.
        const double below = b.y > p->centre.y ? std::max(0.0, b.y - p->centre.y - pieWall_) : 0;
        const double above = b.bottom() < p->centre.y ? p->centre.y - b.bottom() : 0;
        const double dy = std::max(below, above) / pieSquash_;
        if (dy >= p->clearRadius) continue;
        const double dx = std::sqrt(p->clearRadius * p->clearRadius - dy * dy);
        b.x = rightSide ? std::max(b.x, p->centre.x + dx) : std::min(b.x, p->centre.x - dx - b.w);
        b.x = std::clamp(b.x, 0.0, std::max(0.0, w_ - b.w));
      }
    }
  }

  // --- charts with axes
  size_t categoryCount() const {
    size_t n = 0;
    for (const ChartSeries& s : c_.series) n = std::max(n, s.values.size());
    return n;
  }
  // Lowest and highest value the value axis must show (stacks summed, percent stacks 0..100).
  std::pair<double, double> valueRange() const {
    double lo = 0, hi = 0;
    bool any = false;
    auto see = [&](double v) {
      lo = any ? std::min(lo, v) : v;
      hi = any ? std::max(hi, v) : v;
      any = true;
    };
    for (size_t gi = 0; gi < c_.groups.size(); ++gi) {
      const ChartGroup& g = c_.groups[gi];
      if (g.type == ChartType::Pie || g.type == ChartType::Other) continue;
      if (g.grouping == Grouping::Percent) {
        see(0);
        see(100);
        continue;
      }
      const size_t n = categoryCount();
      for (size_t i = 0; i < n; ++i) {
        double pos = 0, neg = 0;
        for (const ChartSeries& s : c_.series) {
          if (static_cast<size_t>(s.group) != gi || i >= s.values.size() || !s.values[i]) continue;
          const double v = *s.values[i];
          if (g.grouping == Grouping::Stacked) (v >= 0 ? pos : neg) += v;
          else see(v);
        }
        if (g.grouping == Grouping::Stacked) {
          see(pos);
          see(neg);
        }
      }
    }
    if (!any) return {0, 1};
    return {lo, hi};
  }

  void axisChart(BoxMm plot) {
    const ChartGroup& g0 = c_.groups[0];
    const bool horizontal = g0.type == ChartType::Bar;
    const bool scatter = g0.type == ChartType::Scatter;
    const bool percent = g0.grouping == Grouping::Percent;
    auto [lo, hi] = valueRange();
    const AxisScale vs = valueAxisScale(lo, hi, c_.valueAxis);
    const size_t n = std::max<size_t>(categoryCount(), 1);
    // Scatter: the horizontal axis is a value axis too.
    AxisScale xs;
    if (scatter) {
      double xlo = 1, xhi = static_cast<double>(n);
      bool any = false;
      for (const ChartSeries& s : c_.series)
        for (const auto& x : s.xValues)
          if (x) {
            xlo = any ? std::min(xlo, *x) : *x;
            xhi = any ? std::max(xhi, *x) : *x;
            any = true;
          }
      xs = valueAxisScale(xlo, xhi, c_.categoryAxis);
    }
    // Room for labels and axis titles.
    std::vector<std::string> valueLabels;
    const std::string valueFormat = valueAxisFormat(percent);
    for (double v = vs.min; v <= vs.max + vs.step * 1e-6 && valueLabels.size() < 200; v += vs.step)
      valueLabels.push_back(axisLabel(v, vs.step, valueFormat, percent));
    double valueLabelW = 0;
    for (const std::string& l : valueLabels) valueLabelW = std::max(valueLabelW, textEms(l) * em_);
    const std::vector<std::string> cats = categoryLabels();
    double catLabelW = 0;
    for (const std::string& l : cats) catLabelW = std::max(catLabelW, textEms(l) * em_);
    const double titleBand = em_ * 1.6;
    const bool vTitle = !c_.valueAxis.title.empty(), cTitle = !c_.categoryAxis.title.empty();
    const double leftW = (horizontal ? catLabelW : valueLabelW) + em_ * 0.6 + ((horizontal ? cTitle : vTitle) ? titleBand : 0);
    const double bottomH = em_ * 1.5 + ((horizontal ? vTitle : cTitle) ? titleBand : 0);
    BoxMm p{plot.x + leftW, plot.y + em_ * 0.5, plot.w - leftW - em_ * 0.5, plot.h - bottomH - em_ * 0.5};
    if (p.w <= 1 || p.h <= 1) return;
    if (c_.plotAreaFill || c_.plotAreaBorder)
      box(p, c_.plotAreaFill ? int64_t(*c_.plotAreaFill) : -1, c_.plotAreaBorder ? int64_t(0x808080) : -1);
    // Value position along its axis (vertical for columns, horizontal for bars).
    auto valuePos = [&, p](double v) {
      const double f = std::clamp((v - vs.min) / (vs.max - vs.min), 0.0, 1.0);
      return horizontal ? p.x + f * p.w : p.bottom() - f * p.h;
    };
    // Gridlines and value labels.
    for (size_t k = 0; k < valueLabels.size(); ++k) {
      const double v = vs.min + vs.step * static_cast<double>(k);
      const double at = valuePos(v);
      if (c_.valueAxis.majorGridlines) {
        if (horizontal) line({{at, p.y}, {at, p.bottom()}}, kBlack, 0.1);
        else line({{p.x, at}, {p.right(), at}}, kBlack, 0.1);
      }
      if (!c_.valueAxis.visible) continue;
      if (horizontal)
        text({at - em_ * 3, p.bottom() + em_ * 0.2, em_ * 6, em_ * 1.2}, valueLabels[k], Align::Center, pt_);
      else
        text({p.x - valueLabelW - em_ * 0.5, at - em_ * 0.6, valueLabelW + em_ * 0.2, em_ * 1.2}, valueLabels[k], Align::Right, pt_);
    }
    // Category labels (scatter: the x value labels).
    const double slot = (horizontal ? p.h : p.w) / static_cast<double>(n);
    if (scatter) {
      const std::string& xFormat = c_.categoryAxis.formatIndex || c_.series.empty() ? c_.categoryAxis.numberFormat : c_.series[0].categoryFormat;
      for (double x = xs.min; x <= xs.max + xs.step * 1e-6; x += xs.step) {
        const double at = p.x + (x - xs.min) / (xs.max - xs.min) * p.w;
        text({at - em_ * 3, p.bottom() + em_ * 0.2, em_ * 6, em_ * 1.2}, axisLabel(x, xs.step, xFormat, false), Align::Center, pt_);
      }
    } else if (c_.categoryAxis.visible) {
      const size_t every = horizontal ? std::max<size_t>(1, static_cast<size_t>(std::ceil(em_ * 1.2 / slot)))
                                      : std::max<size_t>(1, static_cast<size_t>(std::ceil(catLabelW / std::max(slot, 0.1))));
      for (size_t i = 0; i < n; i += every) {
        const std::string label = i < cats.size() && !cats[i].empty() ? cats[i] : std::to_string(i + 1);
        if (horizontal) {
          const double y = p.bottom() - slot * (static_cast<double>(i) + 0.5);
          text({plot.x, y - em_ * 0.6, leftW - em_ * 0.4 - (cTitle ? titleBand : 0) + (cTitle ? 0 : 0), em_ * 1.2}, label, Align::Right, pt_);
        } else {
          const double x = p.x + slot * (static_cast<double>(i) + 0.5);
          const double w = slot * static_cast<double>(every);
          text({x - w / 2, p.bottom() + em_ * 0.2, w, em_ * 1.2}, label, Align::Center, pt_);
        }
      }
    }
    // Axis titles.
    if (vTitle) {
      if (horizontal) text({p.x, plot.bottom() - titleBand, p.w, titleBand}, c_.valueAxis.title, Align::Center, pt_, true);
      else text({plot.x + titleBand / 2 - p.h / 2, p.y + p.h / 2 - titleBand / 2, p.h, titleBand}, c_.valueAxis.title, Align::Center, pt_, true, 90);
    }
    if (cTitle) {
      if (horizontal) text({plot.x + titleBand / 2 - p.h / 2, p.y + p.h / 2 - titleBand / 2, p.h, titleBand}, c_.categoryAxis.title, Align::Center, pt_, true, 90);
      else text({p.x, plot.bottom() - titleBand, p.w, titleBand}, c_.categoryAxis.title, Align::Center, pt_, true);
    }
    // Series, group by group.
    for (size_t gi = 0; gi < c_.groups.size(); ++gi) {
      const ChartGroup& g = c_.groups[gi];
      switch (g.type) {
        case ChartType::Column:
        case ChartType::Bar: bars(gi, p, slot, n, valuePos); break;
        case ChartType::Line:
        case ChartType::Area: linesOrAreas(gi, p, slot, n, valuePos, vs); break;
        case ChartType::Scatter: scatterPoints(gi, p, xs, valuePos); break;
        default: break;
      }
    }
    // Axis lines over the series.
    if (c_.valueAxis.visible) {
      if (horizontal) line({{p.x, p.bottom()}, {p.right(), p.bottom()}}, kBlack, 0.15);
      else line({{p.x, p.y}, {p.x, p.bottom()}}, kBlack, 0.15);
    }
    if (c_.categoryAxis.visible) {
      const double zero = valuePos(std::clamp(0.0, vs.min, vs.max));
      if (horizontal) line({{zero, p.y}, {zero, p.bottom()}}, kBlack, 0.15);
      else line({{p.x, zero}, {p.right(), zero}}, kBlack, 0.15);
    }
  }

  // The category axis's labels: the first series' categories as their cells show them, numbers
  // in the axis's own format where it has one.
  std::vector<std::string> categoryLabels() const {
    if (c_.series.empty()) return {};
    const ChartSeries& s = c_.series[0];
    std::vector<std::string> out = s.categories;
    if (c_.categoryAxis.formatIndex)
      for (size_t i = 0; i < out.size() && i < s.xValues.size(); ++i)
        if (s.xValues[i]) out[i] = xls::formatNumber(c_.categoryAxis.numberFormat, *s.xValues[i], c_.dateMode1904);
    return out;
  }

  std::vector<const ChartSeries*> seriesOf(size_t group) const {
    std::vector<const ChartSeries*> out;
    for (const ChartSeries& s : c_.series)
      if (static_cast<size_t>(s.group) == group) out.push_back(&s);
    return out;
  }
  // Per category: the sum of the magnitudes of a percent stack.
  std::vector<double> stackTotals(const std::vector<const ChartSeries*>& ss, size_t n) const {
    std::vector<double> t(n, 0);
    for (const ChartSeries* s : ss)
      for (size_t i = 0; i < n && i < s->values.size(); ++i)
        if (s->values[i]) t[i] += std::fabs(*s->values[i]);
    return t;
  }

  template <typename Pos>
  void bars(size_t gi, const BoxMm& p, double slot, size_t n, const Pos& valuePos) {
    const ChartGroup& g = c_.groups[gi];
    const bool horizontal = g.type == ChartType::Bar;
    const std::vector<const ChartSeries*> ss = seriesOf(gi);
    if (ss.empty()) return;
    const bool stacked = g.grouping != Grouping::Standard;
    const double gap = std::clamp(g.gapPercent, 0, 500) / 100.0;
    const double overlap = stacked ? 1.0 : std::clamp(g.overlapPercent, -100, 100) / 100.0;
    const double count = stacked ? 1.0 : static_cast<double>(ss.size());
    const double bw = slot / (count - (count - 1) * overlap + gap);
    const std::vector<double> totals = stackTotals(ss, n);
    std::vector<double> posBase(n, 0), negBase(n, 0);
    const bool varied = g.varyColors && ss.size() == 1;
    // 3-D bars are boxes seen obliquely: their depth (a share of the bar's width) goes right as
    // the view turns and up as it looks down. Series stand side by side.
    std::optional<PointMm> depth;
    if (g.view3d) {
      const double d = bw * std::min(g.view3d->depthPercent, 200) / 100.0;
      depth = PointMm{d * std::sin(g.view3d->rotation * kPi / 180), d * std::sin(g.view3d->elevation * kPi / 180)};
    }
    for (size_t k = 0; k < ss.size(); ++k) {
      const ChartSeries& s = *ss[k];
      for (size_t i = 0; i < n && i < s.values.size(); ++i) {
        if (!s.values[i]) continue;
        double v = *s.values[i];
        if (g.grouping == Grouping::Percent) v = totals[i] > 0 ? v / totals[i] * 100 : 0;
        double from = 0, to = v;
        if (stacked) {
          double& base = v >= 0 ? posBase[i] : negBase[i];
          from = base;
          to = base + v;
          base = to;
        }
        const double along = slot * static_cast<double>(i) + gap * bw / 2 +
                             (stacked ? 0 : static_cast<double>(k) * bw * (1 - overlap));
        const double a = valuePos(from), b = valuePos(to);
        BoxMm r = horizontal ? BoxMm{std::min(a, b), p.bottom() - along - bw, std::fabs(b - a), bw}
                             : BoxMm{p.x + along, std::min(a, b), bw, std::fabs(b - a)};
        const SeriesFormat& f = pointFormat(s, i);
        const int64_t fill = fillOf(s, i, varied), edge = f.noLine ? -1 : int64_t(f.lineRgb.value_or(kBlack));
        box(r, fill, edge, 0.12);
        if (depth) barFaces(r, fill, edge, depth->x, depth->y);
        if (labelled(f)) {
          const std::string t = labelText(s, i, 0);
          const double tw = textEms(t) * em_ + em_;
          // Outside the bar's end: beyond its top, or below it for a negative value; pushed back
          // over the bar's end where that would leave the plot area (over the axis labels).
          const bool negative = to < from;
          if (horizontal) {
            const double textW = textEms(t) * em_ + em_ * 0.2;
            double x = negative ? r.x - em_ * 0.2 - textW : r.right() + em_ * 0.2 + (depth ? std::max(0.0, depth->x) : 0);
            x = std::clamp(x, p.x, std::max(p.x, p.right() - textW));
            text({x, r.y + r.h / 2 - em_ * 0.6, textW, em_ * 1.2}, t, Align::Center, pt_);
          } else {
            const double top = r.y - (depth ? std::max(0.0, depth->y) : 0);  // above a 3-D bar's top face
            const double y = std::clamp(negative ? r.bottom() + em_ * 0.1 : top - em_ * 1.3, p.y, std::max(p.y, p.bottom() - em_ * 1.2));
            text({r.x + r.w / 2 - tw / 2, y, tw, em_ * 1.2}, t, Align::Center, pt_);
          }
        }
      }
    }
  }

  // The top (or bottom) and the right (or left) face of a 3-D bar whose front is r, its depth
  // shifting dx right and dy up, in darker shades of its fill.
  void barFaces(const BoxMm& r, int64_t fill, int64_t edge, double dx, double dy) {
    auto face = [&](std::vector<PointMm> pts, int64_t rgb) { out_.paths.push_back(polygon(std::move(pts), rgb, edge, 0.12)); };
    if (std::fabs(dy) > 0.01) {
      const double y = dy >= 0 ? r.y : r.bottom();
      face({{r.x, y}, {r.right(), y}, {r.right() + dx, y - dy}, {r.x + dx, y - dy}}, darker(fill, 0.85));
    }
    if (std::fabs(dx) > 0.01) {
      const double x = dx >= 0 ? r.right() : r.x;
      face({{x, r.y}, {x + dx, r.y - dy}, {x + dx, r.bottom() - dy}, {x, r.bottom()}}, darker(fill, 0.7));
    }
  }

  uint32_t markerColor(const ChartSeries& s) const {
    return s.format.markerRgb.value_or(lineOf(s));
  }
  void marker(const ChartSeries& s, PointMm at) {
    int kind = s.format.marker;
    if (kind == 0) return;
    if (kind < 0) kind = std::array<int, 3>{2, 1, 3}[static_cast<size_t>(s.formatIndex) % 3];  // automatic: diamond, square, triangle
    const double m = std::max(0.8, em_ * 0.3);
    PagePath p;
    p.closed = true;
    switch (kind) {
      case 2: p.points = {{at.x, at.y - m}, {at.x + m, at.y}, {at.x, at.y + m}, {at.x - m, at.y}}; break;
      case 3: p.points = {{at.x, at.y - m}, {at.x + m, at.y + m}, {at.x - m, at.y + m}}; break;
      default: p.points = {{at.x - m * 0.8, at.y - m * 0.8}, {at.x + m * 0.8, at.y - m * 0.8}, {at.x + m * 0.8, at.y + m * 0.8}, {at.x - m * 0.8, at.y + m * 0.8}}; break;
    }
    p.fillRgb = markerColor(s);
    p.lineRgb = markerColor(s);
    p.lineWidthMm = 0.1;
    out_.paths.push_back(std::move(p));
  }
  static LineDash dashOf(int d) {
    switch (d) {
      case 1: return LineDash::Dash;
      case 2: return LineDash::Dot;
      case 3: return LineDash::DashDot;
      case 4: return LineDash::DashDotDot;
      default: return LineDash::Solid;
    }
  }
  static double widthOf(int weight) { return weight < 0 ? 0.1 : weight == 0 ? 0.25 : weight == 1 ? 0.5 : 0.75; }

  template <typename Pos>
  void linesOrAreas(size_t gi, const BoxMm& p, double slot, size_t n, const Pos& valuePos, const AxisScale& vs) {
    const ChartGroup& g = c_.groups[gi];
    const std::vector<const ChartSeries*> ss = seriesOf(gi);
    const std::vector<double> totals = stackTotals(ss, n);
    std::vector<double> base(n, 0);
    const bool area = g.type == ChartType::Area;
    // Areas reach the plot's edges; lines sit in the middle of their categories.
    auto xAt = [&](size_t i) {
      if (area) return n > 1 ? p.x + p.w * static_cast<double>(i) / static_cast<double>(n - 1) : p.x + p.w / 2;
      return p.x + slot * (static_cast<double>(i) + 0.5);
    };
    const double floorValue = std::clamp(0.0, vs.min, vs.max);
    for (const ChartSeries* sp : ss) {
      const ChartSeries& s = *sp;
      std::vector<PointMm> top, bottom;
      std::vector<std::vector<PointMm>> runs(1);
      for (size_t i = 0; i < n; ++i) {
        const bool has = i < s.values.size() && s.values[i].has_value();
        double v = has ? *s.values[i] : 0;
        if (g.grouping == Grouping::Percent) v = totals[i] > 0 ? v / totals[i] * 100 : 0;
        const double from = g.grouping == Grouping::Standard ? floorValue : base[i];
        const double to = g.grouping == Grouping::Standard ? v : base[i] + v;
        if (g.grouping != Grouping::Standard) base[i] = to;
        if (!has && !area) {
          if (!runs.back().empty()) runs.emplace_back();
          continue;
        }
        const PointMm pt{xAt(i), valuePos(to)};
        runs.back().push_back(pt);
        top.push_back(pt);
        bottom.push_back({pt.x, valuePos(from)});
      }
      if (area) {
        if (top.size() < 2) continue;
        PagePath a;
        a.points = top;
        a.points.insert(a.points.end(), bottom.rbegin(), bottom.rend());
        a.closed = true;
        a.fillRgb = fillOf(s, SIZE_MAX, false);
        a.lineRgb = s.format.noLine ? -1 : int64_t(s.format.lineRgb.value_or(kBlack));
        a.lineWidthMm = 0.12;
        out_.paths.push_back(std::move(a));
        continue;
      }
      if (!s.format.noLine)
        for (auto& run : runs)
          if (run.size() > 1) line(run, lineOf(s), widthOf(s.format.lineWeight), dashOf(s.format.lineDash));
      for (const auto& run : runs)
        for (const PointMm& pt : run) marker(s, pt);
      labelPoints(s, top);
    }
  }

  template <typename Pos>
  void scatterPoints(size_t gi, const BoxMm& p, const AxisScale& xs, const Pos& valuePos) {
    for (const ChartSeries* sp : seriesOf(gi)) {
      const ChartSeries& s = *sp;
      std::vector<PointMm> pts;
      for (size_t i = 0; i < s.values.size(); ++i) {
        if (!s.values[i]) continue;
        const double x = i < s.xValues.size() && s.xValues[i] ? *s.xValues[i] : static_cast<double>(i + 1);
        const double f = std::clamp((x - xs.min) / (xs.max - xs.min), 0.0, 1.0);
        pts.push_back({p.x + f * p.w, valuePos(*s.values[i])});
      }
      if (!s.format.noLine && pts.size() > 1) line(pts, lineOf(s), widthOf(s.format.lineWeight), dashOf(s.format.lineDash));
      for (const PointMm& pt : pts) marker(s, pt);
      labelPoints(s, pts);
    }
  }

  void labelPoints(const ChartSeries& s, const std::vector<PointMm>& pts) {
    size_t k = 0;
    for (size_t i = 0; i < s.values.size() && k < pts.size(); ++i) {
      if (!s.values[i]) continue;
      if (labelled(pointFormat(s, i))) {
        const std::string t = labelText(s, i, 0);
        const double tw = textEms(t) * em_ + em_;
        text({pts[k].x - tw / 2, pts[k].y - em_ * 1.6, tw, em_ * 1.2}, t, Align::Center, pt_);
      }
      ++k;
    }
  }

  const ChartModel& c_;
  double w_, h_;
  std::string family_;
  double pt_, em_ = 0;
  ChartPicture out_;
};

}  // namespace

AxisScale valueAxisScale(double lo, double hi, const xls::chart::ChartAxis& axis) {
  if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
  if (lo > hi) std::swap(lo, hi);
  // Zero stays on the axis unless the values lie far from it.
  if (lo > 0 && lo < hi * 5 / 6) lo = 0;
  if (hi < 0 && hi > lo * 5 / 6) hi = 0;
  if (axis.min) lo = *axis.min;
  if (axis.max) hi = *axis.max;
  if (hi <= lo) hi = lo + 1;
  double step = 0;
  if (axis.majorUnit) {
    step = *axis.majorUnit;
  } else {
    const double rough = (hi - lo) / 8;
    const double mag = std::pow(10, std::floor(std::log10(rough)));
    const double r = rough / mag;
    step = (r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10) * mag;
  }
  // At most 200 labelled steps, whatever a fixed unit says.
  step = std::max(step, (hi - lo) / 200);
  AxisScale s;
  s.step = step;
  s.min = axis.min ? lo : std::floor(lo / step + 1e-9) * step;
  s.max = axis.max ? hi : std::ceil(hi / step - 1e-9) * step;
  if (!axis.max && hi > 0 && s.max - hi < (hi - s.min) * 0.05 - 1e-12) s.max += step;
  if (s.max <= s.min) s.max = s.min + step;
  return s;
}

ChartPicture drawChart(const ChartModel& chart, double widthMm, double heightMm, const ChartTextStyle& style) {
  if (widthMm <= 0 || heightMm <= 0) return {};
  return ChartPainter(chart, widthMm, heightMm, style).run();
}

}  // namespace zel::report

// The chart substream walk: Begin/End blocks give each record its owner (a series, a data
// format, a text, an axis, a frame), so a LineFormat or AreaFormat lands on what it formats.
#include "xls/chart/chart_reader.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "xls/biff_string.h"
#include "xls/byte_cursor.h"
#include "xls/number_format.h"

namespace zel::xls::chart {
namespace {

namespace id {
constexpr uint16_t Chart = 0x1002, Series = 0x1003, DataFormat = 0x1006, LineFormat = 0x1007;
constexpr uint16_t MarkerFormat = 0x1009, AreaFormat = 0x100A, PieFormat = 0x100B, AttachedLabel = 0x100C, SeriesText = 0x100D;
constexpr uint16_t ChartFormat = 0x1014, Legend = 0x1015, Bar = 0x1017, Line = 0x1018, Pie = 0x1019;
constexpr uint16_t Area = 0x101A, Scatter = 0x101B, Axis = 0x101D, Tick = 0x101E, ValueRange = 0x101F;
constexpr uint16_t CatSerRange = 0x1020, AxisLine = 0x1021, Text = 0x1025, ObjectLink = 0x1027;
constexpr uint16_t Frame = 0x1032, Begin = 0x1033, End = 0x1034, PlotArea = 0x1035, Radar = 0x103E;
constexpr uint16_t Surf = 0x103F, RadarArea = 0x1040, AxisParent = 0x1041, SerToCrt = 0x1045;
constexpr uint16_t SerParent = 0x104A, Chart3dRec = 0x103A, IFmt = 0x104E, Brai = 0x1051, SiIndex = 0x1065, BopPop = 0x1061;
}  // namespace id

constexpr size_t kMaxDepth = 64;
constexpr uint16_t kWholeSeries = 0xFFFF;
constexpr int kLineNone = 5;

enum class Owner : uint8_t { None, Chart, Series, DataFormat, Text, Axis, AxisParent, ChartFormat, Legend, Frame, Other };

// The 8 colours before the palette's 56.
constexpr uint32_t kBuiltinColors[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};

struct TextBlock {
  uint16_t link = 0, series = 0, point = 0;
  uint16_t flags = 0;
  std::optional<std::string> text;
  std::optional<uint16_t> format;  // a data label's own number format
  LabelPlace place = LabelPlace::Default;
};

// Text flags of a data label.
constexpr uint16_t kTextShowValue = 0x0004, kTextDeleted = 0x0040, kTextShowLabelAndPercent = 0x0800;
constexpr uint16_t kTextShowPercent = 0x1000, kTextShowLabel = 0x4000;

// A series' values cached in the substream (SIIndex groups of Number/Label records).
struct SeriesCache {
  std::vector<std::optional<double>> values, xNumbers;
  std::vector<std::optional<std::string>> categoryTexts;
};

std::string numberText(double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

class ChartWalk {
 public:
  ChartWalk(const FormulaEnvironment& env, const std::vector<uint32_t>& palette) : env_(env), palette_(palette) {}

  void record(const Record& r) {
    ByteCursor cur(r.data, r.offset + 4);
    switch (r.id) {
      case id::Begin:
        if (stack_.size() >= kMaxDepth) cur.fail("blocks nested too deep");
        stack_.push_back(pending_);
        pending_ = Owner::Other;
        return;
      case id::End: endBlock(); return;
      default: break;
    }
    const bool afterPlotArea = lastId_ == id::PlotArea;
    lastId_ = r.id;
    pending_ = Owner::Other;
    switch (r.id) {
      case id::Chart:
        cur.skip(8);
        chart_.widthPt = cur.u32() / 65536.0;
        chart_.heightPt = cur.u32() / 65536.0;
        pending_ = Owner::Chart;
        break;
      case id::Series: startSeries(cur); break;
      case id::SerParent:
        if (series_ >= 0) auxiliary_[static_cast<size_t>(series_)] = true;
        break;
      case id::SerToCrt:
        if (series_ >= 0) chart_.series[static_cast<size_t>(series_)].group = cur.u16();
        break;
      case id::Brai: readBrai(cur); break;
      case id::SeriesText: readSeriesText(cur); break;
      case id::DataFormat: {
        const uint16_t point = cur.u16(), series = cur.u16(), iss = cur.u16();
        format_ = nullptr;
        // Inside a chart group: the format its series take unless they carry their own.
        if (inner() == Owner::ChartFormat && !chart_.groups.empty()) {
          format_ = &chart_.groups.back().seriesDefault;
        } else if (series < chart_.series.size() && within(Owner::Series)) {
          ChartSeries& s = chart_.series[series];
          if (point == kWholeSeries) {
            s.formatIndex = iss;
            format_ = &s.format;
          } else if (point < kMaxPoints) {
            format_ = &s.pointFormats[point];
          }
        }
        pending_ = Owner::DataFormat;
        break;
      }
      case id::LineFormat: readLineFormat(cur); break;
      case id::AreaFormat: readAreaFormat(cur); break;
      case id::MarkerFormat: readMarkerFormat(cur); break;
      case id::AttachedLabel:
        if (format_ && inner() == Owner::DataFormat) {
          const uint16_t shown = cur.u16();
          format_->valueLabels = shown & 0x0001;
          format_->percentLabels = shown & 0x0006;  // percent, or label and percent
          format_->categoryLabels = shown & 0x0014;  // label, or label and percent
          labelsGiven_.insert(format_);
        }
        break;
      case id::PieFormat:
        if (format_ && inner() == Owner::DataFormat) format_->explodePercent = std::min<int>(cur.u16(), 400);
        break;
      case id::IFmt:
        if (axis_ && inner() == Owner::Axis) axis_->formatIndex = cur.u16();
        break;
      case id::Text:
        text_ = TextBlock{};
        pending_ = Owner::Text;
        cur.skip(24);
        text_.flags = cur.u16();
        if (cur.remaining() >= 4) {
          cur.skip(2);  // icvText
          // dlp, the low 4 bits: 0 default ... 9 best fit, 10 moved; higher values place nothing.
          if (const unsigned dlp = cur.u16() & 0x0F; dlp <= static_cast<unsigned>(LabelPlace::Moved))
            text_.place = static_cast<LabelPlace>(dlp);
        }
        break;
      case id::ObjectLink:
        if (inner() == Owner::Text) {
          text_.link = cur.u16();
          text_.series = cur.u16();
          text_.point = cur.u16();
        }
        break;
      case id::AxisParent:
        primaryAxes_ = cur.u16() == 0;
        pending_ = Owner::AxisParent;
        break;
      case id::Axis: {
        const uint16_t type = cur.u16();
        axis_ = !primaryAxes_ ? nullptr : type == 0 ? &chart_.categoryAxis : type == 1 ? &chart_.valueAxis : nullptr;
        if (axis_) axis_->present = true;
        pending_ = Owner::Axis;
        break;
      }
      case id::ValueRange: readValueRange(cur); break;
      case id::CatSerRange:
        if (axis_ && inner() == Owner::Axis) {
          cur.skip(6);
          axis_->reversed = cur.u16() & 0x0004;
        }
        break;
      case id::Tick:
        if (axis_ && inner() == Owner::Axis) {
          cur.skip(2);
          axisLabels_ = cur.u8() != 0;
        }
        break;
      case id::AxisLine: axisLine_ = cur.u16(); break;
      case id::ChartFormat: {
        cur.skip(16);
        ChartGroup g;
        g.varyColors = cur.u16() & 0x0001;
        chart_.groups.push_back(g);
        pending_ = Owner::ChartFormat;
        break;
      }
      case id::Bar:
      case id::Line:
      case id::Pie:
      case id::Area:
      case id::Scatter:
      case id::Radar:
      case id::RadarArea:
      case id::Surf:
      case id::BopPop: readGroupType(r.id, cur); break;
      case id::Chart3dRec: read3d(cur); break;
      case id::Legend:
        if (within(Owner::ChartFormat) && !chart_.hasLegend) {
          chart_.hasLegend = true;
          cur.skip(16);
          const uint8_t type = cur.u8();
          chart_.legendPosition = type == 0 ? LegendPosition::Bottom : type == 1 ? LegendPosition::Corner
                                 : type == 2 ? LegendPosition::Top : type == 3 ? LegendPosition::Right
                                 : type == 4 ? LegendPosition::Left : LegendPosition::Floating;
        }
        pending_ = Owner::Legend;
        break;
      case id::Frame:
        frame_ = stack_.size() == 1 && inner() == Owner::Chart ? FrameOf::ChartArea
                 : afterPlotArea                                ? FrameOf::PlotArea
                                                                : FrameOf::Other;
        pending_ = Owner::Frame;
        break;
      case id::SiIndex: cacheKind_ = cur.u16(); break;
      case rec::Number: {
        const uint16_t point = cur.u16(), series = cur.u16();
        cur.u16();
        cacheNumber(series, point, cur.f64());
        break;
      }
      case rec::Label: {
        const uint16_t point = cur.u16(), series = cur.u16();
        cur.u16();
        cacheText(series, point, readUnicodeString(cur));
        break;
      }
      case rec::Blank:
      case rec::BoolErr: break;  // a gap in the cache
      default: break;
    }
  }

  ChartModel finish() {
    if (!stack_.empty()) chart_.warnings.push_back("chart blocks without their End");
    for (size_t i = 0; i < chart_.series.size() && i < caches_.size(); ++i) applyCache(chart_.series[i], caches_[i]);
    for (const TextBlock& t : labels_) {
      if (t.series >= chart_.series.size()) continue;
      ChartSeries& s = chart_.series[t.series];
      SeriesFormat& f = t.point == kWholeSeries ? s.format : s.pointFormats[t.point];
      const bool shown = !(t.flags & kTextDeleted);
      f.valueLabels = shown && (t.flags & kTextShowValue);
      f.percentLabels = shown && (t.flags & (kTextShowPercent | kTextShowLabelAndPercent));
      f.categoryLabels = shown && (t.flags & (kTextShowLabel | kTextShowLabelAndPercent));
      if (t.format) f.labelFormatIndex = t.format;
      f.labelPlace = t.place;
      labelsGiven_.insert(&f);
      placesGiven_.insert(&f);
    }
    // Points that say nothing of their labels show the series' labels.
    for (ChartSeries& s : chart_.series)
      for (auto& [point, f] : s.pointFormats)
        if (!labelsGiven_.count(&f)) {
          f.valueLabels = s.format.valueLabels;
          f.percentLabels = s.format.percentLabels;
          f.categoryLabels = s.format.categoryLabels;
          f.labelFormatIndex = s.format.labelFormatIndex;
        }
    // Only a label's own Text record places it; the others sit where the series' labels do.
    for (ChartSeries& s : chart_.series)
      for (auto& [point, f] : s.pointFormats)
        if (!placesGiven_.count(&f)) f.labelPlace = s.format.labelPlace;
    // Trend lines and error bars are series of their own in the records; they are not drawn.
    std::vector<ChartSeries> kept;
    for (size_t i = 0; i < chart_.series.size(); ++i)
      if (!auxiliary_[i]) kept.push_back(std::move(chart_.series[i]));
    chart_.series = std::move(kept);
    // Series are plotted, stacked and listed in the legend in their plot order.
    std::stable_sort(chart_.series.begin(), chart_.series.end(),
                     [](const ChartSeries& a, const ChartSeries& b) { return a.formatIndex < b.formatIndex; });
    for (ChartSeries& s : chart_.series) {
      if (s.group < 0 || static_cast<size_t>(s.group) >= chart_.groups.size()) s.group = 0;
      if (chart_.groups.empty()) continue;
      const SeriesFormat& d = chart_.groups[static_cast<size_t>(s.group)].seriesDefault;
      if (!s.format.lineGiven && d.lineGiven) {
        s.format.noLine = d.noLine;
        s.format.lineWeight = d.lineWeight;
      }
      if (s.format.marker < 0) s.format.marker = d.marker;
      if (!s.format.explodePercent) s.format.explodePercent = d.explodePercent;
    }
    if (chart_.hasTitle && chart_.title.empty() && chart_.series.size() == 1) chart_.title = chart_.series[0].name;
    constexpr uint16_t kFirstAutoFill = 24, kFirstAutoLine = 32;
    for (uint16_t i = 0; i < 8; ++i) {
      chart_.autoFills.push_back(icvColor(kFirstAutoFill + i, 0x9999FF));
      chart_.autoLines.push_back(icvColor(kFirstAutoLine + i, 0x000080));
    }
    return std::move(chart_);
  }

  void warn(std::string w) {
    if (chart_.warnings.size() < 20) chart_.warnings.push_back(std::move(w));
  }

 private:
  enum class FrameOf : uint8_t { Other, ChartArea, PlotArea };

  Owner inner() const { return stack_.empty() ? Owner::None : stack_.back(); }
  bool within(Owner o) const { return std::find(stack_.begin(), stack_.end(), o) != stack_.end(); }

  uint32_t icvColor(uint16_t icv, uint32_t fallback) const {
    if (icv < 8) return kBuiltinColors[icv];
    if (icv - 8u < palette_.size()) return palette_[icv - 8u];
    return fallback;
  }
  static uint32_t longRgb(uint32_t v) { return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); }

  void endBlock() {
    if (stack_.empty()) {
      warn("End without Begin in the chart");
      return;
    }
    const Owner o = stack_.back();
    stack_.pop_back();
    switch (o) {
      case Owner::Series: series_ = -1; break;
      case Owner::DataFormat: format_ = nullptr; break;
      case Owner::Axis: axis_ = nullptr; break;
      case Owner::Frame: frame_ = FrameOf::Other; break;
      case Owner::Text: finishText(); break;
      default: break;
    }
  }

  void finishText() {
    if (within(Owner::Legend)) return;
    switch (text_.link) {
      case 1:
        chart_.hasTitle = true;
        chart_.title = text_.text.value_or("");
        break;
      case 2: chart_.valueAxis.title = text_.text.value_or(""); break;
      case 3: chart_.categoryAxis.title = text_.text.value_or(""); break;
      case 4: labels_.push_back(text_); break;
      default: break;
    }
  }

  void startSeries(ByteCursor& cur) {
    pending_ = Owner::Series;
    series_ = -1;
    if (chart_.series.size() >= kMaxSeries) {
      if (!seriesCut_) warn("chart with more than " + std::to_string(kMaxSeries) + " series: the rest left out");
      seriesCut_ = true;
      return;
    }
    cur.skip(4);
    const uint16_t categories = cur.u16(), values = cur.u16();
    ChartSeries s;
    s.values.resize(std::min<size_t>(values, kMaxPoints));
    s.categories.resize(std::min<size_t>(categories, kMaxPoints));
    chart_.series.push_back(std::move(s));
    auxiliary_.push_back(false);
    series_ = static_cast<int>(chart_.series.size() - 1);
  }

  void readBrai(ByteCursor& cur) {
    const uint8_t part = cur.u8(), kind = cur.u8();
    const bool ownFormat = cur.u16() & 0x0001;  // fUnlinkedIfmt
    const uint16_t ifmt = cur.u16();
    if (inner() == Owner::Text) {
      if (ownFormat) text_.format = ifmt;
      return;
    }
    if (series_ < 0 || inner() != Owner::Series) return;
    ChartSeries& s = chart_.series[static_cast<size_t>(series_)];
    if (part == 1) s.valueFormatIndex = ifmt;
    if (part == 2) s.categoryFormatIndex = ifmt;
    const uint16_t cce = cur.u16();
    const auto rgce = cur.bytes(cce);
    if (kind != 2) return;
    std::vector<CellRange>* refs = part == 0 ? &s.nameRefs : part == 1 ? &s.valueRefs : part == 2 ? &s.categoryRefs : nullptr;
    if (refs && !readReferences(rgce, *refs)) warn("series reference the chart cannot follow");
  }

  // tRef3d / tArea3d tokens, joined by tUnion and wrapped in tMemFunc or tParen; false for
  // anything else (the cached values stand then).
  bool readReferences(std::span<const uint8_t> rgce, std::vector<CellRange>& out) {
    ByteCursor cur(rgce);
    std::vector<CellRange> found;
    while (!cur.atEnd()) {
      const uint8_t token = cur.u8();
      const uint8_t base = token >= 0x20 && token < 0x80 ? static_cast<uint8_t>((token & 0x1F) | 0x20) : token;
      if (token == 0x10 || token == 0x15) continue;  // tUnion, tParen
      if (base == 0x29) {  // tMemFunc: its subexpression follows
        cur.u16();
        continue;
      }
      if (base == 0x26 || base == 0x27) {  // tMemArea, tMemErr
        cur.skip(6);
        continue;
      }
      if (base != 0x3A && base != 0x3B) return false;
      CellRange range;
      range.sheet = sheetOf(cur.u16());
      range.firstRow = cur.u16();
      if (base == 0x3B) range.lastRow = cur.u16();
      range.firstCol = cur.u16() & 0x00FF;
      range.lastCol = base == 0x3B ? cur.u16() & 0x00FF : range.firstCol;
      if (base == 0x3A) range.lastRow = range.firstRow;
      if (range.lastRow < range.firstRow || range.lastCol < range.firstCol) return false;
      found.push_back(range);
    }
    out = std::move(found);
    return !out.empty();
  }

  int sheetOf(uint16_t ixti) const {
    if (ixti >= env_.externSheets.size()) return -1;
    const ExternSheetRef& x = env_.externSheets[ixti];
    if (x.supBook >= env_.supBooks.size() || env_.supBooks[x.supBook].kind != SupBookInfo::Kind::Self) return -1;
    if (x.firstSheet < 0 || static_cast<size_t>(x.firstSheet) >= env_.sheetNames.size()) return -1;
    return x.firstSheet;
  }

  void readSeriesText(ByteCursor& cur) {
    cur.u16();
    const uint8_t count = cur.u8();
    std::string text = readUnicodeStringNoCch(cur, count);
    if (inner() == Owner::Text)
      text_.text = std::move(text);
    else if (series_ >= 0 && inner() == Owner::Series)
      chart_.series[static_cast<size_t>(series_)].name = std::move(text);
  }

  void readLineFormat(ByteCursor& cur) {
    const uint32_t rgb = longRgb(cur.u32());
    const int16_t pattern = cur.i16(), weight = cur.i16();
    const uint16_t flags = cur.u16(), icv = cur.u16();
    const bool none = pattern == kLineNone;
    const bool automatic = flags & 0x0001;
    const uint32_t color = automatic ? icvColor(icv, rgb) : rgb;
    if (inner() == Owner::DataFormat && format_) {
      format_->noLine = none;
      format_->lineGiven = true;
      if (!automatic || (icv >= 8 && icv < 64)) format_->lineRgb = color;
      format_->lineWeight = std::clamp<int>(weight, -1, 2);
      format_->lineDash = pattern >= 0 && pattern <= 4 ? pattern : 0;
    } else if (inner() == Owner::Axis && axis_) {
      if (axisLine_ == 1) axis_->majorGridlines = !none;
      if (axisLine_ == 0) axis_->visible = !none || axisLabels_;
    } else if (inner() == Owner::Frame && frame_ == FrameOf::ChartArea) {
      chart_.chartAreaBorder = !none;
    } else if (inner() == Owner::Frame && frame_ == FrameOf::PlotArea) {
      chart_.plotAreaBorder = !none;
    }
  }

  void readAreaFormat(ByteCursor& cur) {
    const uint32_t fore = longRgb(cur.u32());
    cur.u32();
    const uint16_t pattern = cur.u16(), flags = cur.u16(), icv = cur.u16();
    const bool automatic = flags & 0x0001;
    const bool none = pattern == 0;
    if (inner() == Owner::DataFormat && format_) {
      format_->noFill = none;
      if (!automatic || (icv >= 8 && icv < 64)) format_->fillRgb = automatic ? icvColor(icv, fore) : fore;
    } else if (inner() == Owner::Frame && frame_ != FrameOf::Other) {
      // Excel 97 fills an automatic plot area grey and an automatic chart area white.
      const uint32_t autoColor = frame_ == FrameOf::PlotArea ? 0xC0C0C0 : 0xFFFFFF;
      std::optional<uint32_t> fill;
      if (!none) fill = automatic ? icvColor(icv, autoColor) : fore;
      (frame_ == FrameOf::PlotArea ? chart_.plotAreaFill : chart_.chartAreaFill) = fill;
    }
  }

  void readMarkerFormat(ByteCursor& cur) {
    if (inner() != Owner::DataFormat || !format_) return;
    const uint32_t fore = longRgb(cur.u32());
    const uint32_t back = longRgb(cur.u32());
    const uint16_t kind = cur.u16(), flags = cur.u16();
    (void)fore;
    if (flags & 0x0001) return;  // automatic marker
    format_->marker = kind;
    format_->markerRgb = back;
  }

  void readValueRange(ByteCursor& cur) {
    if (!axis_ || inner() != Owner::Axis) return;
    const double min = cur.f64(), max = cur.f64(), major = cur.f64();
    cur.f64();
    cur.f64();
    const uint16_t flags = cur.u16();
    if (!(flags & 0x0001)) axis_->min = min;
    if (!(flags & 0x0002)) axis_->max = max;
    if (!(flags & 0x0004) && major > 0) axis_->majorUnit = major;
    axis_->logScale = flags & 0x0020;
    axis_->reversed = flags & 0x0040;
  }

  void readGroupType(uint16_t type, ByteCursor& cur) {
    if (chart_.groups.empty() || inner() != Owner::ChartFormat) return;
    ChartGroup& g = chart_.groups.back();
    switch (type) {
      case id::Bar: {
        g.overlapPercent = cur.i16();
        g.gapPercent = cur.u16();
        const uint16_t flags = cur.u16();
        g.type = flags & 0x0001 ? ChartType::Bar : ChartType::Column;
        g.grouping = flags & 0x0004 ? Grouping::Percent : flags & 0x0002 ? Grouping::Stacked : Grouping::Standard;
        break;
      }
      case id::Line:
      case id::Area: {
        const uint16_t flags = cur.u16();
        g.type = type == id::Line ? ChartType::Line : ChartType::Area;
        g.grouping = flags & 0x0002 ? Grouping::Percent : flags & 0x0001 ? Grouping::Stacked : Grouping::Standard;
        break;
      }
      case id::Pie:
        g.type = ChartType::Pie;
        g.firstSliceDegrees = cur.u16() % 360;
        g.donutHolePercent = std::min<int>(cur.u16(), 90);
        if (cur.remaining() >= 2) g.leaderLines = cur.u16() & 0x0002;
        break;
      case id::Scatter: {
        cur.skip(4);
        g.type = cur.u16() & 0x0001 ? ChartType::Other : ChartType::Scatter;  // bubbles are not drawn
        break;
      }
      default: g.type = ChartType::Other; break;
    }
  }

  // The 3-D view follows the type record in its chart group; values out of their ranges are
  // brought into them, a short record leaves the group flat.
  void read3d(ByteCursor& cur) {
    if (chart_.groups.empty() || inner() != Owner::ChartFormat || cur.remaining() < 14) return;
    Chart3d v;
    v.rotation = std::clamp<int>(cur.i16(), 0, 360);
    v.elevation = std::clamp<int>(cur.i16(), -90, 90);
    v.distance = std::clamp<int>(cur.i16(), 0, 100);
    v.heightPercent = std::clamp<int>(cur.i16(), 5, 500);
    v.depthPercent = std::clamp<int>(cur.i16(), 1, 2000);
    v.gapPercent = std::clamp<int>(cur.i16(), 0, 500);
    const uint16_t flags = cur.u16();
    v.perspective = flags & 0x0001;
    v.clustered = flags & 0x0002;
    chart_.groups.back().view3d = v;
  }

  SeriesCache* cacheOf(uint16_t series, uint16_t point) {
    if (point >= kMaxPoints || series >= chart_.series.size()) return nullptr;
    if (caches_.size() < chart_.series.size()) caches_.resize(chart_.series.size());
    return &caches_[series];
  }
  template <typename T>
  static void put(std::vector<T>& v, uint16_t point, T value) {
    if (v.size() <= point) v.resize(point + 1u);
    v[point] = std::move(value);
  }
  void cacheNumber(uint16_t series, uint16_t point, double v) {
    SeriesCache* c = cacheOf(series, point);
    if (!c) return;
    if (cacheKind_ == 1) put(c->values, point, std::optional<double>(v));
    if (cacheKind_ == 2) {
      put(c->xNumbers, point, std::optional<double>(v));
      put(c->categoryTexts, point, std::optional<std::string>(numberText(v)));
    }
  }
  void cacheText(uint16_t series, uint16_t point, std::string text) {
    SeriesCache* c = cacheOf(series, point);
    if (c && cacheKind_ == 2) put(c->categoryTexts, point, std::optional<std::string>(std::move(text)));
  }
  static void applyCache(ChartSeries& s, const SeriesCache& c) {
    if (s.values.size() < c.values.size()) s.values.resize(c.values.size());
    std::copy(c.values.begin(), c.values.end(), s.values.begin());
    if (s.categories.size() < c.categoryTexts.size()) s.categories.resize(c.categoryTexts.size());
    for (size_t i = 0; i < c.categoryTexts.size(); ++i) s.categories[i] = c.categoryTexts[i].value_or("");
    s.xValues = c.xNumbers;
  }

  const FormulaEnvironment& env_;
  const std::vector<uint32_t>& palette_;
  ChartModel chart_;
  std::vector<Owner> stack_;
  Owner pending_ = Owner::Other;
  uint16_t lastId_ = 0;
  int series_ = -1;
  bool seriesCut_ = false;
  std::vector<bool> auxiliary_;
  SeriesFormat* format_ = nullptr;
  TextBlock text_;
  std::vector<TextBlock> labels_;
  std::set<const SeriesFormat*> labelsGiven_;  // formats whose labels the records set
  std::set<const SeriesFormat*> placesGiven_;  // ... and whose placement a Text record of their own sets
  bool primaryAxes_ = true;
  ChartAxis* axis_ = nullptr;
  uint16_t axisLine_ = 0;
  bool axisLabels_ = true;
  FrameOf frame_ = FrameOf::Other;
  uint16_t cacheKind_ = 0;
  std::vector<SeriesCache> caches_;
};

// The cell at (row, col) of a sheet whose cells are sorted by row, then column.
const CellEntry* findCell(const SheetData& sheet, uint32_t row, uint16_t col) {
  auto it = std::lower_bound(sheet.cells.begin(), sheet.cells.end(), std::make_pair(row, col),
                             [](const CellEntry& c, const std::pair<uint32_t, uint16_t>& k) {
                               return c.row != k.first ? c.row < k.first : c.col < k.second;
                             });
  return it != sheet.cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

// A cell's text as the sheet shows it: numbers and texts under the cell's number format.
std::string cellText(const BiffWorkbook& book, const SheetData& sheet, const CellEntry& c) {
  const WorkbookGlobals& g = book.globals;
  switch (c.type) {
    case CellType::Text: {
      const auto& list = c.textInSst ? g.sst : sheet.strings;
      const std::string text = c.text < list.size() ? list[c.text] : std::string();
      const std::string format = numberFormatOfXf(g, c.xf);
      return format == "General" || format == "@" ? text : formatText(format, text);
    }
    case CellType::Number: return formatNumber(numberFormatOfXf(g, c.xf), c.number, g.dateMode1904);
    case CellType::Boolean: return c.code ? "TRUE" : "FALSE";
    default: return {};
  }
}

// The cells of a list of ranges, row by row; false when a range lies outside the workbook.
template <typename Visit>
bool forEachCell(const BiffWorkbook& book, const std::vector<CellRange>& refs, Visit visit) {
  if (refs.empty()) return false;
  for (const CellRange& r : refs)
    if (r.sheet < 0 || static_cast<size_t>(r.sheet) >= book.sheets.size()) return false;
  size_t count = 0;
  for (const CellRange& r : refs) {
    const SheetData& sheet = book.sheets[static_cast<size_t>(r.sheet)];
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row)
      for (uint32_t col = r.firstCol; col <= r.lastCol; ++col) {
        if (++count > kMaxPoints) return true;
        visit(sheet, findCell(sheet, row, static_cast<uint16_t>(col)));
      }
  }
  return true;
}

}  // namespace

ChartModel readChart(const std::vector<Record>& records, size_t bof, const FormulaEnvironment& env,
                     const std::vector<uint32_t>& palette) {
  ChartWalk walk(env, palette);
  bool ended = false;
  for (size_t i = bof + 1; i < records.size(); ++i) {
    const Record& r = records[i];
    if (r.id == rec::Eof) {
      ended = true;
      break;
    }
    try {
      walk.record(r);
    } catch (const RecordError& e) {
      walk.warn("damaged chart record " + recordIdText(r.id) + ": " + e.what());
    }
  }
  if (!ended) walk.warn("chart substream ends without EOF");
  return walk.finish();
}

void resolveSeriesData(ChartModel& chart, const BiffWorkbook& book) {
  const WorkbookGlobals& g = book.globals;
  chart.dateMode1904 = g.dateMode1904;
  for (ChartSeries& s : chart.series) {
    std::vector<std::optional<double>> values;
    std::vector<std::string> formats;
    const bool valuesRead = forEachCell(book, s.valueRefs, [&](const SheetData&, const CellEntry* c) {
      if (!c || c->type == CellType::Blank || c->type == CellType::Error)
        values.emplace_back();
      else
        values.emplace_back(c->type == CellType::Number ? c->number : 0.0);
      formats.push_back(c ? numberFormatOfXf(g, c->xf) : std::string("General"));
    });
    s.valueFormat = numberFormatCode(g, s.valueFormatIndex);
    if (valuesRead) {
      s.values = std::move(values);
      s.valueFormats = std::move(formats);
      // The series' format is its first value's (what a linked axis shows).
      for (size_t i = 0; i < s.values.size(); ++i)
        if (s.values[i]) {
          s.valueFormat = s.valueFormats[i];
          break;
        }
    }
    std::vector<std::string> labels;
    std::vector<std::optional<double>> xs;
    std::string categoryFormat;
    const bool categoriesRead = forEachCell(book, s.categoryRefs, [&](const SheetData& sheet, const CellEntry* c) {
      labels.push_back(c ? cellText(book, sheet, *c) : std::string());
      const bool number = c && c->type == CellType::Number;
      xs.push_back(number ? std::optional<double>(c->number) : std::nullopt);
      if (number && categoryFormat.empty()) categoryFormat = numberFormatOfXf(g, c->xf);
    });
    s.categoryFormat = categoryFormat.empty() ? numberFormatCode(g, s.categoryFormatIndex) : categoryFormat;
    if (categoriesRead) {
      s.categories = std::move(labels);
      s.xValues = std::move(xs);
    } else {
      // Cached numeric categories show in the format saved with the chart.
      for (size_t i = 0; i < s.xValues.size() && i < s.categories.size(); ++i)
        if (s.xValues[i]) s.categories[i] = formatNumber(s.categoryFormat, *s.xValues[i], g.dateMode1904);
    }
    std::string name;
    const bool nameRead = forEachCell(book, s.nameRefs, [&](const SheetData& sheet, const CellEntry* c) {
      if (c && name.empty()) name = cellText(book, sheet, *c);
    });
    if (nameRead) s.name = std::move(name);
    auto labelFormat = [&](SeriesFormat& f) {
      if (f.labelFormatIndex) f.labelFormat = numberFormatCode(g, *f.labelFormatIndex);
    };
    labelFormat(s.format);
    for (auto& [point, f] : s.pointFormats) labelFormat(f);
  }
  for (ChartAxis* axis : {&chart.categoryAxis, &chart.valueAxis})
    if (axis->formatIndex) axis->numberFormat = numberFormatCode(g, *axis->formatIndex);
}

}  // namespace zel::xls::chart

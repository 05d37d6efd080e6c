// xl/drawings/vmlDrawingN.vml: legacy form controls, note boxes, pictures (which OLE objects
// and ActiveX controls are drawn as) and groups of them. VML written by Excel is often not
// well-formed XML (<br> without its end, unquoted attributes), so it is read by a tolerant
// scanner of its own: tags, attributes and text, no entities but the predefined and numeric
// ones, and bounds on shapes, group depth and text.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/vbstring.h"
#include "xls/drawing/shape_colors.h"
#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/preset_geometry.h"
#include "xls/ooxml/xml_number.h"

namespace zel::xls::ooxml {
namespace {

namespace dk = drawing::kind;
constexpr size_t kMaxText = 32767;
constexpr size_t kMaxAttributes = 256;
// Stands for a line break in a text box's text until its spaces are collapsed.
constexpr char kBreak = '\x01';

struct Tag {
  std::string name;  // as written, with its prefix ("v:shape")
  bool end = false, selfClosing = false;
  std::vector<std::pair<std::string, std::string>> attrs;
  const std::string* attr(std::string_view n) const {
    for (const auto& [k, v] : attrs)
      if (k == n) return &v;
    return nullptr;
  }
};

std::string localOf(const std::string& name) {
  const size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Text with the predefined and numeric character references decoded; others stay as written.
std::string decoded(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += '&';
      continue;
    }
    const std::string_view ref = s.substr(i + 1, semi - i - 1);
    if (ref == "amp") out += '&';
    else if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (ref.size() > 1 && ref[0] == '#') {
      uint32_t cp = 0;
      const bool isHex = ref[1] == 'x' || ref[1] == 'X';
      const std::string_view digits = ref.substr(isHex ? 2 : 1);
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, isHex ? 16 : 10);
      if (ec != std::errc() || p != digits.data() + digits.size()) {
        out += '&';
        continue;
      }
      appendUtf8(out, cp);
    } else {
      out += '&';
      continue;
    }
    i = semi;
  }
  return out;
}

// Splits the text into tags and the text between them.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : s_(text) {}

  // The next item: true and a tag, or true and text (tag.name empty); false at the end.
  bool next(Tag& tag, std::string& text) {
    tag = Tag{};
    text.clear();
    if (pos_ >= s_.size()) return false;
    if (s_[pos_] != '<') {
      const size_t lt = s_.find('<', pos_);
      const size_t end = lt == std::string_view::npos ? s_.size() : lt;
      text = decoded(s_.substr(pos_, end - pos_));
      pos_ = end;
      return true;
    }
    if (s_.compare(pos_, 9, "<![CDATA[") == 0) {
      const size_t end = s_.find("]]>", pos_ + 9);
      text = std::string(s_.substr(pos_ + 9, (end == std::string_view::npos ? s_.size() : end) - pos_ - 9));
      pos_ = end == std::string_view::npos ? s_.size() : end + 3;
      return true;
    }
    // Comments, declarations and processing instructions carry nothing we read: an empty text.
    if (s_.compare(pos_, 4, "<!--") == 0) {
      skipPast("-->");
      return true;
    }
    if (pos_ + 1 < s_.size() && (s_[pos_ + 1] == '!' || s_[pos_ + 1] == '?')) {
      skipPast(">");
      return true;
    }
    ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '/') tag.end = true, ++pos_;
    tag.name = word();
    while (pos_ < s_.size()) {
      skipSpace();
      if (pos_ >= s_.size()) break;
      const char c = s_[pos_];
      if (c == '>') {
        ++pos_;
        break;
      }
      if (c == '/') {
        tag.selfClosing = true;
        ++pos_;
        continue;
      }
      if (c == '<') break;  // a tag never closed: the next one starts here
      std::string key = word();
      if (key.empty()) {
        ++pos_;
        continue;
      }
      std::string value;
      skipSpace();
      if (pos_ < s_.size() && s_[pos_] == '=') {
        ++pos_;
        skipSpace();
        value = attributeValue();
      }
      if (tag.attrs.size() < kMaxAttributes) tag.attrs.emplace_back(std::move(key), decoded(value));
    }
    return true;
  }

 private:
  void skipPast(std::string_view marker) {
    const size_t end = s_.find(marker, pos_);
    pos_ = end == std::string_view::npos ? s_.size() : end + marker.size();
  }
  void skipSpace() {
    while (pos_ < s_.size() && std::strchr(" \t\r\n", s_[pos_]) && s_[pos_] != '\0') ++pos_;
  }
  std::string word() {
    const size_t start = pos_;
    while (pos_ < s_.size() && !std::strchr(" \t\r\n=/<>\"'", s_[pos_])) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }
  std::string attributeValue() {
    if (pos_ < s_.size() && (s_[pos_] == '"' || s_[pos_] == '\'')) {
      const char quote = s_[pos_++];
      const size_t end = s_.find(quote, pos_);
      const size_t stop = end == std::string_view::npos ? s_.size() : end;
      std::string v(s_.substr(pos_, stop - pos_));
      pos_ = end == std::string_view::npos ? s_.size() : end + 1;
      return v;
    }
    const size_t start = pos_;
    while (pos_ < s_.size() && !std::strchr(" \t\r\n>", s_[pos_]) && s_[pos_] != '\0') ++pos_;
    if (pos_ > start && s_[pos_ - 1] == '/' && pos_ < s_.size() && s_[pos_] == '>') --pos_;
    return std::string(s_.substr(start, pos_ - start));
  }

  std::string_view s_;
  size_t pos_ = 0;
};

std::optional<uint16_t> objectKindOf(std::string_view type) {
  static constexpr std::pair<std::string_view, uint16_t> kKinds[] = {
      {"Button", dk::Button},      {"Checkbox", dk::CheckBox}, {"Radio", dk::OptionButton}, {"Label", dk::Label},
      {"Edit", dk::EditBox},       {"List", dk::ListBox},      {"Drop", dk::DropDown},      {"GBox", dk::GroupBox},
      {"Scroll", dk::ScrollBar},   {"Spin", dk::Spinner},      {"Dialog", dk::DialogBox},   {"Note", dk::Note},
      {"Pict", dk::Picture},       {"Rect", dk::Rectangle},    {"Shape", dk::OfficeArt},    {"Movie", dk::Picture},
      {"Camera", dk::Picture},     {"LineA", dk::Line},        {"RectA", dk::Rectangle},    {"EllipseA", dk::Oval},
      {"ArcA", dk::Arc},           {"PolyLineA", dk::Polygon}, {"Group", dk::Group}};
  for (const auto& [n, k] : kKinds)
    if (vb::ucase(std::string(n)) == vb::ucase(std::string(type))) return k;
  return std::nullopt;
}

// A VML colour: "#RRGGBB", "#RGB", a colour name, or "name [index]" of Excel's colour indexes.
std::optional<uint32_t> vmlColor(std::string value, const std::vector<uint32_t>& palette) {
  std::optional<uint32_t> indexed;
  if (const size_t open = value.find('['); open != std::string::npos) {
    uint32_t index = 0;
    auto [p, ec] = std::from_chars(value.data() + open + 1, value.data() + value.size(), index);
    if (ec == std::errc()) indexed = drawing::paletteColor(index, palette);
    value.erase(open);
  }
  while (!value.empty() && value.back() == ' ') value.pop_back();
  if (!value.empty() && value[0] == '#') {
    std::string digits = value.substr(1);
    if (digits.size() == 3) digits = {digits[0], digits[0], digits[1], digits[1], digits[2], digits[2]};
    uint32_t v = 0;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
    if (digits.size() == 6 && ec == std::errc() && p == digits.data() + digits.size()) return v;
    return indexed;
  }
  static constexpr std::pair<std::string_view, uint32_t> kNames[] = {
      {"black", 0x000000}, {"white", 0xFFFFFF},  {"red", 0xFF0000},    {"green", 0x008000}, {"lime", 0x00FF00},
      {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"aqua", 0x00FFFF},   {"fuchsia", 0xFF00FF}, {"gray", 0x808080},
      {"silver", 0xC0C0C0}, {"navy", 0x000080},  {"maroon", 0x800000}, {"olive", 0x808000}, {"purple", 0x800080},
      {"teal", 0x008080},  {"infoBackground", 0xFFFFE1}, {"infoText", 0x000000}, {"windowText", 0x000000},
      {"window", 0xFFFFFF}, {"buttonFace", 0xC0C0C0}};
  for (const auto& [n, v] : kNames)
    if (vb::ucase(std::string(n)) == vb::ucase(value)) return v;
  return indexed;
}

bool vmlFalse(const std::string* v) { return v && (*v == "f" || *v == "false" || *v == "False"); }

int vmlDash(const std::string& style) {
  namespace ds = drawing::dash;
  const std::string s = vb::ucase(style);
  if (s == "SHORTDOT" || s == "DOT") return ds::RoundDot;
  if (s == "SHORTDASH" || s == "DASH") return ds::Dash;
  if (s == "SHORTDASHDOT" || s == "DASHDOT") return ds::DashDot;
  if (s == "SHORTDASHDOTDOT" || s == "DASHDOTDOT" || s == "LONGDASHDOTDOT") return ds::DashDotDot;
  if (s == "LONGDASH") return ds::LongDash;
  if (s == "LONGDASHDOT") return ds::LongDashDot;
  return ds::Solid;
}

// Text as HTML shows it: runs of white space become one space, breaks become "\n" without
// the spaces around them.
std::string collapsedSpace(const std::string& s) {
  std::string out;
  bool space = false;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      space = true;
      continue;
    }
    if (c == kBreak) {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      out += '\n';
      space = false;
      continue;
    }
    if (space && !out.empty() && out.back() != '\n') out += ' ';
    space = false;
    out += c;
  }
  return out;
}

// The box a shape's style gives: margin-left/margin-top (or left/top), width and height, in
// points where a unit is written, else as the bare numbers a group's coordinates use.
struct StyleBox {
  std::optional<double> left, top, width, height;
  bool complete() const { return left && top && width && height; }
};

std::optional<double> styleLength(std::string_view v) {
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  double n = 0;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || !std::isfinite(n)) return std::nullopt;
  const std::string_view unit(p, static_cast<size_t>(v.data() + v.size() - p));
  if (unit.empty()) return n;
  if (unit == "pt") return n;
  if (unit == "px") return n * 0.75;
  if (unit == "in") return n * 72;
  if (unit == "mm") return n * 72 / 25.4;
  if (unit == "cm") return n * 72 / 2.54;
  return std::nullopt;
}

StyleBox styleBox(std::string_view style) {
  StyleBox box;
  while (!style.empty()) {
    const size_t semi = style.find(';');
    const std::string_view item = style.substr(0, semi);
    style = semi == std::string_view::npos ? std::string_view() : style.substr(semi + 1);
    const size_t colon = item.find(':');
    if (colon == std::string_view::npos) continue;
    std::string key;
    for (char c : item.substr(0, colon))
      if (c != ' ' && c != '\r' && c != '\n' && c != '\t') key += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    const auto v = styleLength(item.substr(colon + 1));
    if (!v) continue;
    if (key == "margin-left" || (key == "left" && !box.left)) box.left = v;
    else if (key == "margin-top" || (key == "top" && !box.top)) box.top = v;
    else if (key == "width") box.width = v;
    else if (key == "height") box.height = v;
  }
  return box;
}

// The value of one property of a style ("rotation" of "rotation:90;flip:x"), trimmed.
std::string styleValue(std::string_view style, std::string_view key) {
  while (!style.empty()) {
    const size_t semi = style.find(';');
    std::string_view item = style.substr(0, semi);
    style = semi == std::string_view::npos ? std::string_view() : style.substr(semi + 1);
    const size_t colon = item.find(':');
    if (colon == std::string_view::npos) continue;
    auto trimmed = [](std::string_view t) {
      auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
      while (!t.empty() && space(t.front())) t.remove_prefix(1);
      while (!t.empty() && space(t.back())) t.remove_suffix(1);
      return std::string(t);
    };
    if (vb::ucase(trimmed(item.substr(0, colon))) == vb::ucase(std::string(key))) return trimmed(item.substr(colon + 1));
  }
  return {};
}

// A preset autoshape's type, adjust values ("adj", in its own units), turn and flips.
void readAutoShape(const Tag& tag, drawing::ShapeGeometry& g) {
  if (const std::string* type = tag.attr("type")) g.shapeType = vmlShapeType(*type).value_or(0);
  if (const std::string* adj = tag.attr("adj")) {
    std::string_view rest = *adj;
    for (size_t k = 0; k < g.adjust.size() && !rest.empty(); ++k) {
      const size_t comma = rest.find(',');
      const std::string_view item = rest.substr(0, comma);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      // ",5400": the first left at its default.
      if (auto v = xmlInteger<int32_t>(item)) g.adjust[k] = *v;
    }
  }
  const std::string* style = tag.attr("style");
  if (!style) return;
  double turned = 0;
  const std::string rotation = styleValue(*style, "rotation");
  auto [p, ec] = std::from_chars(rotation.data(), rotation.data() + rotation.size(), turned);
  if (ec == std::errc() && std::isfinite(turned)) g.rotation = std::fmod(std::fmod(turned, 360.0) + 360.0, 360.0);
  const std::string flip = styleValue(*style, "flip");
  g.flipH = flip.find('x') != std::string::npos;
  g.flipV = flip.find('y') != std::string::npos;
}

// "x,y" of coordsize and coordorigin; nullopt unless both numbers are there.
std::optional<std::pair<double, double>> numberPair(const std::string* text) {
  if (!text) return std::nullopt;
  const size_t comma = text->find(',');
  if (comma == std::string::npos) return std::nullopt;
  auto x = styleLength(std::string_view(*text).substr(0, comma));
  auto y = styleLength(std::string_view(*text).substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return std::make_pair(*x, *y);
}

int32_t clampedCoordinate(double v) { return static_cast<int32_t>(std::clamp(std::round(v), -2.0e9, 2.0e9)); }

// "_x0020_" and the like of a name written as an XML id, decoded.
std::string decodedName(const std::string& id) {
  std::string out;
  for (size_t i = 0; i < id.size(); ++i) {
    uint32_t cp = 0;
    if (id.compare(i, 2, "_x") == 0 && i + 7 <= id.size() && id[i + 6] == '_') {
      auto [p, ec] = std::from_chars(id.data() + i + 2, id.data() + i + 6, cp, 16);
      if (ec == std::errc() && p == id.data() + i + 6) {
        appendUtf8(out, cp);
        i += 6;
        continue;
      }
    }
    out += id[i];
  }
  return out;
}

struct Building {
  std::string element;  // the shape's tag name ("v:shape")
  drawing::Shape shape;
  std::optional<uint16_t> kind;
  std::string spid, anchor, row, col, macro;
  std::string idName;    // the name the id gives when o:spid holds the shape id
  bool group = false;
  StyleBox box;          // from the style
  drawing::ArtRect extent{0, 0, 1000, 1000};  // a group's coordinates (coordorigin, coordsize)
  bool visible = false;
  bool inText = false;
  std::string text;
};

bool isShapeTag(const std::string& local) {
  return local == "shape" || local == "rect" || local == "roundrect" || local == "oval" || local == "line" ||
         local == "polyline" || local == "arc" || local == "image" || local == "curve" || local == "group";
}

const std::string* attrOfLocal(const Tag& tag, std::string_view local) {
  for (const auto& [k, v] : tag.attrs)
    if (k == local || (k.size() > local.size() && k.compare(k.size() - local.size(), local.size(), local) == 0 &&
                       k[k.size() - local.size() - 1] == ':'))
      return &v;
  return nullptr;
}

class VmlReader {
 public:
  VmlReader(const DrawingContext& ctx, const std::map<std::string, std::string>& names) : ctx_(ctx), names_(names) {}

  VmlPart run(std::string_view text) {
    Scanner scanner(text);
    Tag tag;
    std::string chars;
    std::string field;  // the x: element whose text is being read
    while (scanner.next(tag, chars)) {
      if (!tag.name.empty() && opens(tag)) {
        field.clear();
        continue;
      }
      // Inside shapes nested past the depth bound nothing is read but their ends.
      if (ignored_ > 0) {
        if (tag.end && isShapeTag(localOf(tag.name))) --ignored_;
        continue;
      }
      if (stack_.empty()) continue;
      Building& b = stack_.back();
      if (tag.name.empty()) {
        if (b.inText && b.text.size() < kMaxText) b.text += chars;
        else if (!field.empty()) fieldText(b, field) += chars;
        continue;
      }
      const std::string local = localOf(tag.name);
      if (tag.end) {
        if (tag.name == b.element) finish();
        else if (isShapeTag(local)) closeUpTo(tag.name);
        else if (local == "textbox") b.inText = false;
        else if ((local == "div" || local == "p") && b.inText && !b.text.empty()) b.text += kBreak;
        field.clear();
        continue;
      }
      field.clear();
      if (local == "br" && b.inText) b.text += kBreak;
      else if (local == "imagedata" && tag.attr("o:relid") && ctx_.picture)
        b.shape.geometry.pictureIndex = ctx_.picture(*tag.attr("o:relid"));
      else if (local == "textbox" && !tag.selfClosing) b.inText = true;
      else if (local == "ClientData") b.kind = objectKindOf(tag.attr("ObjectType") ? *tag.attr("ObjectType") : "");
      else if (local == "Visible") b.visible = true;
      else if (local == "fill" && vmlFalse(tag.attr("on"))) b.shape.filled = false;
      else if (local == "stroke") stroke(b, tag);
      else if (!tag.selfClosing && (local == "Anchor" || local == "Row" || local == "Column" || local == "FmlaMacro")) field = local;
    }
    // Shapes never closed end with the part.
    while (!stack_.empty()) finish();
    return std::move(out_);
  }

  void begin(const Tag& tag) {
    Building b;
    b.element = tag.name;
    b.group = localOf(tag.name) == "group";
    // Excel writes a control's shape id to o:spid and its name to id.
    const std::string* id = tag.attr("id");
    if (const std::string* spid = attrOfLocal(tag, "spid")) {
      b.spid = *spid;
      if (id && *id != *spid && id->rfind("_x0000_", 0) != 0) b.idName = decodedName(*id);
    } else {
      b.spid = id ? *id : "";
    }
    if (const std::string* style = tag.attr("style")) b.box = styleBox(*style);
    if (b.group) {
      // A group draws its members in its own coordinates: coordsize units from coordorigin
      // (1000 by 1000 from 0,0 unless written; an empty size keeps the default).
      const auto origin = numberPair(tag.attr("coordorigin")).value_or(std::make_pair(0.0, 0.0));
      auto size = numberPair(tag.attr("coordsize")).value_or(std::make_pair(1000.0, 1000.0));
      if (size.first <= 0 || size.second <= 0) size = {1000.0, 1000.0};
      b.extent = drawing::ArtRect{clampedCoordinate(origin.first), clampedCoordinate(origin.second),
                                  clampedCoordinate(origin.first + size.first), clampedCoordinate(origin.second + size.second)};
    }
    drawing::Shape& s = b.shape;
    if (vmlFalse(tag.attr("filled"))) s.filled = false;
    if (vmlFalse(tag.attr("stroked"))) s.lined = false;
    if (auto c = tag.attr("fillcolor")) {
      if (auto rgb = vmlColor(*c, ctx_.palette)) s.foreColor = excelColor(*rgb);
    } else {
      s.foreColor = excelColor(0xFFFFFF);
    }
    if (auto c = tag.attr("strokecolor")) {
      if (auto rgb = vmlColor(*c, ctx_.palette)) s.lineColor = excelColor(*rgb);
    } else {
      s.lineColor = excelColor(0x000000);
    }
    if (auto w = tag.attr("strokeweight")) s.geometry.lineWidthEmu = lengthEmu(*w);
    readAutoShape(tag, s.geometry);
    stack_.push_back(std::move(b));
  }

  // Tags are dispatched here before run() sees them as members of the open shape.
  bool opens(const Tag& tag) {
    if (tag.end || !isShapeTag(localOf(tag.name))) return false;
    if (ignored_ > 0 || stack_.size() >= static_cast<size_t>(kMaxGroupDepth)) {
      if (!tag.selfClosing) ++ignored_;
      if (!warnedDepth_) out_.warnings.push_back("shapes nested deeper than " + std::to_string(kMaxGroupDepth) + " levels are left out");
      warnedDepth_ = true;
      return true;
    }
    begin(tag);
    if (tag.selfClosing) finish();
    return true;
  }

 private:
  static uint32_t lengthEmu(const std::string& v) {
    double n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc()) return 9525;
    const std::string unit(p, v.data() + v.size());
    double emu = unit == "pt" ? n * 12700 : unit == "px" ? n * 9525 : unit == "in" ? n * 914400 : unit == "mm" ? n * 36000 : n;
    return static_cast<uint32_t>(std::clamp(emu, 0.0, 20000000.0));
  }

  static std::string& fieldText(Building& b, const std::string& field) {
    if (field == "Anchor") return b.anchor;
    if (field == "Row") return b.row;
    if (field == "Column") return b.col;
    return b.macro;
  }

  void stroke(Building& b, const Tag& tag) {
    if (vmlFalse(tag.attr("on"))) b.shape.lined = false;
    if (auto d = tag.attr("dashstyle")) b.shape.dashStyle = vmlDash(*d);
    if (auto c = tag.attr("color"))
      if (auto rgb = vmlColor(*c, ctx_.palette)) b.shape.lineColor = excelColor(*rgb);
  }

  // An end tag of a shape that is not the innermost open one (that one was never closed):
  // every shape inside it ends with it. A stray end tag ends nothing.
  void closeUpTo(const std::string& element) {
    auto open = std::find_if(stack_.rbegin(), stack_.rend(), [&](const Building& b) { return b.element == element; });
    if (open == stack_.rend()) return;
    const size_t keep = static_cast<size_t>(stack_.rend() - open) - 1;
    while (stack_.size() > keep) finish();
  }

  void finish() {
    Building b = std::move(stack_.back());
    stack_.pop_back();
    if (b.group) b.kind = dk::Group;
    if (!b.kind || built_ >= kMaxDrawingShapes) return;
    // A group whose members were all left out draws nothing.
    if (b.group && b.shape.members.empty()) return;
    drawing::Shape& s = b.shape;
    s.objectKind = *b.kind;
    // "_x0000_s1025": the shape id; Excel numbers default names by its low ten bits.
    const size_t digits = b.spid.find_last_not_of("0123456789");
    uint32_t spid = 0;
    if (digits != std::string::npos && digits + 1 < b.spid.size())
      std::from_chars(b.spid.data() + digits + 1, b.spid.data() + b.spid.size(), spid);
    s.shapeId = spid;
    s.objectId = static_cast<uint16_t>(spid & 0x3FF);
    if (auto it = names_.find(b.spid); it != names_.end()) s.storedName = it->second;
    if (s.storedName.empty()) s.storedName = b.idName;
    s.name = s.storedName.empty() ? drawing::defaultShapeName(s.objectKind, s.objectId, false) : s.storedName;
    s.onAction = macroText(collapsedSpace(b.macro), ctx_.books);
    const std::string text = collapsedSpace(b.text);
    if (s.objectKind != dk::Note && s.objectKind != dk::Picture && !b.group) {
      s.hasText = !text.empty();
      s.text = text.size() > kMaxText ? text.substr(0, kMaxText) : text;
      while (!s.text.empty() && s.text.back() == '\n') s.text.pop_back();
    }
    if (b.group) {
      s.hasText = false;
      s.filled = s.lined = false;
      s.geometry.groupExtent = b.extent;
    }
    if (s.objectKind == dk::Note) {
      s.hasText = true;
      s.noteRow = number(b.row, 1048575);
      s.noteCol = number(b.col, 16383);
      if (b.visible && s.noteRow && s.noteCol) out_.shownNotes.insert({*s.noteRow, *s.noteCol});
    }
    ++built_;
    // A member sits in its group's coordinates; only top-level shapes are anchored to cells.
    if (!stack_.empty() && stack_.back().group) {
      const StyleBox& box = b.box;
      if (box.complete())
        s.geometry.childAnchor = drawing::ArtRect{clampedCoordinate(*box.left), clampedCoordinate(*box.top),
                                                  clampedCoordinate(*box.left + *box.width),
                                                  clampedCoordinate(*box.top + *box.height)};
      stack_.back().shape.members.push_back(std::move(s));
      return;
    }
    s.geometry.anchor = anchorOf(b.anchor);
    if (!s.geometry.anchor && b.group) s.geometry.anchor = anchorOfBox(b.box);
    out_.shapes.push_back(std::move(s));
  }

  static std::optional<uint32_t> number(const std::string& t, uint32_t last) {
    auto v = xmlInteger<uint32_t>(t);
    if (!v || *v > last) return std::nullopt;
    return v;
  }

  // "LeftColumn, LeftOffset, TopRow, TopOffset, RightColumn, RightOffset, BottomRow,
  // BottomOffset", offsets in pixels.
  std::optional<drawing::CellAnchor> anchorOf(const std::string& text) const {
    uint32_t v[8] = {};
    size_t n = 0;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    while (p < end && n < 8) {
      while (p < end && (*p == ' ' || *p == ',' || *p == '\n' || *p == '\r' || *p == '\t')) ++p;
      auto [q, ec] = std::from_chars(p, end, v[n]);
      if (ec != std::errc()) break;
      v[n] = std::min<uint32_t>(v[n], 1048575);
      ++n;
      p = q;
    }
    if (n != 8) return std::nullopt;
    return ctx_.grid.anchor(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
  }

  // A top-level group without a cell anchor: where its style's box in points lies on the sheet.
  std::optional<drawing::CellAnchor> anchorOfBox(const StyleBox& box) const {
    if (!box.complete()) return std::nullopt;
    constexpr double kPixelsPerPoint = 96.0 / 72.0;
    auto px = [&](double pt) { return std::clamp(pt * kPixelsPerPoint, 0.0, 1.0e8); };
    const SheetGrid& g = ctx_.grid;
    auto [c1, dx1] = g.walkColumns(0, 0, px(*box.left));
    auto [r1, dy1] = g.walkRows(0, 0, px(*box.top));
    auto [c2, dx2] = g.walkColumns(c1, dx1, px(*box.width));
    auto [r2, dy2] = g.walkRows(r1, dy1, px(*box.height));
    return g.anchor(c1, dx1, r1, dy1, c2, dx2, r2, dy2);
  }

  const DrawingContext& ctx_;
  const std::map<std::string, std::string>& names_;
  std::vector<Building> stack_;
  size_t ignored_ = 0;   // open shapes nested past the depth bound
  bool warnedDepth_ = false;
  size_t built_ = 0;     // shapes and members kept, at most kMaxDrawingShapes
  VmlPart out_;
};

}  // namespace

VmlPart readVmlPart(std::string_view text, const DrawingContext& context,
                    const std::map<std::string, std::string>& controlNames) {
  VmlReader reader(context, controlNames);
  return reader.run(text);
}

}  // namespace zel::xls::ooxml

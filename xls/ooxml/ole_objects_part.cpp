// A sheet's OLE objects and ActiveX controls (<oleObjects>, <controls>): read from the sheet
// part, then tied to the legacy VML shapes that draw them, so that they appear among the
// sheet's shapes as the BIFF drawing layer gives them (pictures; embedded objects as such).
#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "xls/ooxml/drawing_parts.h"
#include "xls/ooxml/xml_number.h"

namespace zel::xls::ooxml {
namespace {

namespace dk = drawing::kind;

// Fills the fields the entry lacks from a later entry of the same shape id.
void merge(SheetObjectRef& into, SheetObjectRef&& from) {
  if (into.relId.empty()) into.relId = std::move(from.relId);
  if (into.progId.empty()) into.progId = std::move(from.progId);
  if (into.name.empty()) into.name = std::move(from.name);
  if (into.imageRelId.empty()) into.imageRelId = std::move(from.imageRelId);
  if (!into.anchor) into.anchor = from.anchor;
}


std::string describe(const SheetObjectRef& o) {
  if (o.control) return "the ActiveX control " + (o.name.empty() ? std::string() : o.name + " ") + "(shape " + std::to_string(o.shapeId) + ")";
  return "the OLE object " + (o.progId.empty() ? std::string() : o.progId + " ") + "(shape " + std::to_string(o.shapeId) + ")";
}

// True when the part the object names is in the package; a warning when it is not.
bool partPresent(const SheetObjectRef& o, const std::unordered_map<std::string, const Relationship*>& rels,
                 const Package& package, std::vector<std::string>& warnings) {
  const auto found = rels.find(o.relId);
  const Relationship* r = found == rels.end() ? nullptr : found->second;
  if (!r) {
    warnings.push_back(describe(o) + " names no part of the package" + (o.relId.empty() ? "" : " (" + o.relId + ")"));
    return false;
  }
  if (r->external) return false;  // an object kept outside the workbook is linked, not embedded
  if (!package.exists(r->target)) {
    warnings.push_back("the part " + r->target + " of " + describe(o) + " is missing");
    return false;
  }
  return true;
}

struct Found {
  drawing::Shape* shape = nullptr;
  bool member = false;  // of a group: placed by its group, never by a cell anchor
};

// The legacy picture shapes by shape id, group members included (the first of an id wins).
void collectPictures(std::vector<drawing::Shape>& shapes, std::map<uint32_t, Found>& byId, int depth) {
  for (drawing::Shape& s : shapes) {
    if (s.objectKind == dk::Picture && s.shapeId != 0) byId.emplace(s.shapeId, Found{&s, depth > 0});
    if (depth < kMaxGroupDepth) collectPictures(s.members, byId, depth + 1);
  }
}

std::optional<drawing::CellAnchor> anchorOf(const SheetObjectRef& o, const SheetGrid& grid) {
  if (!o.anchor) return std::nullopt;
  const auto& [from, to] = *o.anchor;
  auto px = [](int64_t emu) { return std::max<int64_t>(emu, 0) / kEmuPerPixel; };
  return grid.anchor(from.col, px(from.colOffEmu), from.row, px(from.rowOffEmu), to.col, px(to.colOffEmu), to.row,
                     px(to.rowOffEmu));
}

}  // namespace

void readSheetObject(XmlReader& xml, std::vector<SheetObjectRef>& objects) {
  SheetObjectRef o;
  o.control = xml.localName() == "control";
  o.shapeId = static_cast<uint32_t>(xmlIntegerWithin(xml.attrView("shapeId").value_or(""), 0, UINT32_MAX).value_or(0));
  o.relId = xml.attr("id").value_or("");
  o.progId = xml.attr("progId").value_or("");
  o.name = xml.attr("name").value_or("");
  o.linked = xml.attrView("link").has_value();
  if (!xml.isEmptyElement()) {
    CellPoint from, to;
    bool haveFrom = false, haveTo = false;
    const int depth = xml.depth();
    while (xml.nextInside(depth)) {
      if (xml.isEnd()) continue;
      const std::string_view n = xml.localName();
      if (n == "objectPr" || n == "controlPr") {
        o.imageRelId = xml.attr("id").value_or("");
      } else if (n == "from") {
        from = readCellPoint(xml);
        haveFrom = true;
      } else if (n == "to") {
        to = readCellPoint(xml);
        haveTo = true;
      }
    }
    if (haveFrom && haveTo) o.anchor = std::make_pair(from, to);
  }
  if (o.shapeId == 0) return;  // nothing ties it to a shape
  if (!objects.empty() && objects.back().shapeId == o.shapeId && objects.back().control == o.control) {
    merge(objects.back(), std::move(o));
    return;
  }
  if (objects.size() < kMaxSheetObjects) objects.push_back(std::move(o));
}

void tieSheetObjects(std::vector<drawing::Shape>& shapes, const std::vector<SheetObjectRef>& objects,
                     const SheetObjectContext& ctx, drawing::SheetDrawing& out) {
  if (objects.empty()) return;
  std::map<uint32_t, Found> byId;
  collectPictures(shapes, byId, 0);
  std::unordered_map<std::string, const Relationship*> rels;
  for (const Relationship& r : ctx.sheetRels) rels.emplace(r.id, &r);
  std::set<uint32_t> seen;
  std::vector<drawing::Shape> added;  // objects whose legacy shape is missing, from their own anchors
  for (const SheetObjectRef& o : objects) {
    if (!seen.insert(o.shapeId).second) continue;
    // A linked object needs no part; an embedded one or a control names its own.
    const bool present = !o.linked && partPresent(o, rels, ctx.package, out.warnings);
    const bool embedded = !o.control && present;
    drawing::Shape* s = nullptr;
    bool member = false;
    if (auto it = byId.find(o.shapeId); it != byId.end()) {
      s = it->second.shape;
      member = it->second.member;
    } else if (auto anchor = anchorOf(o, ctx.grid); anchor && shapes.size() + added.size() < kMaxDrawingShapes) {
      drawing::Shape& n = added.emplace_back();
      n.objectKind = dk::Picture;
      n.shapeId = o.shapeId;
      n.objectId = static_cast<uint16_t>(o.shapeId & 0x3FF);
      n.filled = n.lined = false;
      n.geometry.anchor = anchor;
      s = &n;
    } else {
      out.warnings.push_back(describe(o) + " has no shape in the sheet's drawing and is left out");
      ++out.unreadable;
      continue;
    }
    if (!s->geometry.anchor && !member) s->geometry.anchor = anchorOf(o, ctx.grid);
    if (s->geometry.pictureIndex == 0 && !o.imageRelId.empty() && ctx.picture) s->geometry.pictureIndex = ctx.picture(o.imageRelId);
    if (o.control && !o.name.empty()) s->storedName = o.name;
    s->embeddedObject = embedded;
    s->name = s->storedName.empty() ? drawing::defaultShapeName(s->objectKind, s->objectId, embedded) : s->storedName;
  }
  for (drawing::Shape& s : added) shapes.push_back(std::move(s));
}

}  // namespace zel::xls::ooxml

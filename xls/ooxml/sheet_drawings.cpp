// Follows a sheet's relationships to its DrawingML and legacy VML drawings and their images,
// ties note boxes to the sheet's notes and OLE objects and controls to their shapes.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/vbstring.h"
#include "xls/ooxml/drawing_parts.h"

namespace zel::xls::ooxml {
namespace {

const Relationship* byId(const std::vector<Relationship>& rels, const std::string& id) {
  for (const Relationship& r : rels)
    if (r.id == id && !r.external) return &r;
  return nullptr;
}

// A part's relationships inside the package by id, so that many pictures of one part each
// find theirs without a scan of all.
using RelationshipIndex = std::unordered_map<std::string, const Relationship*>;
RelationshipIndex indexOf(const std::vector<Relationship>& rels) {
  RelationshipIndex index;
  for (const Relationship& r : rels)
    if (!r.external) index.emplace(r.id, &r);
  return index;
}

drawing::PictureFormat formatOf(const std::string& part, const std::string& bytes) {
  using F = drawing::PictureFormat;
  auto starts = [&](std::string_view magic) { return bytes.compare(0, magic.size(), magic) == 0; };
  if (starts("\x89PNG")) return F::Png;
  if (starts("\xFF\xD8")) return F::Jpeg;
  if (starts("BM")) return F::Dib;
  if (starts("II*") || starts("MM")) return F::Tiff;
  if (bytes.size() >= 44 && bytes.compare(40, 4, " EMF") == 0) return F::Emf;
  if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x09\x00", 4))) return F::Wmf;
  const std::string ext = vb::ucase(part.substr(part.find_last_of('.') + 1));
  if (ext == "PICT" || ext == "PCT") return F::Pict;
  return F::None;
}

// The 1-based store index of the image a relationship of `part` names, reading it once.
uint32_t pictureOf(DrawingSources& src, const RelationshipIndex& rels, const std::string& relId,
                   std::vector<std::string>& warnings) {
  const auto found = rels.find(relId);
  if (found == rels.end()) return 0;
  const Relationship* r = found->second;
  if (auto it = src.pictureParts.find(r->target); it != src.pictureParts.end()) return it->second;
  if (src.pictures.pictures.size() >= drawing::kMaxStoredPictures) return 0;
  drawing::StoredPicture pic;
  pic.name = r->target.substr(r->target.find_last_of('/') + 1);
  try {
    auto bytes = src.package.read(r->target);
    if (!bytes) return 0;
    if (bytes->size() > drawing::kMaxPictureBytes) {
      warnings.push_back("the image " + r->target + " is too large and is left out");
    } else {
      pic.format = formatOf(r->target, *bytes);
      if (pic.format == drawing::PictureFormat::Dib && bytes->size() > 14) bytes->erase(0, 14);  // stored without its file header
      pic.data.assign(bytes->begin(), bytes->end());
    }
  } catch (const PackageError& e) {
    warnings.push_back("the image " + r->target + " cannot be read (" + e.what() + ")");
  }
  src.pictures.pictures.push_back(std::move(pic));
  const uint32_t index = static_cast<uint32_t>(src.pictures.pictures.size());
  src.pictureParts[r->target] = index;
  return index;
}

void tieNotes(std::vector<drawing::Shape>& shapes, const std::set<std::pair<uint32_t, uint32_t>>& shown,
              SheetData& sheet) {
  // Notes by cell, so that tying many note boxes stays linear.
  std::multimap<std::pair<uint32_t, uint32_t>, NoteEntry*> byCell;
  for (NoteEntry& n : sheet.notes) byCell.emplace(std::pair<uint32_t, uint32_t>{n.row, n.col}, &n);
  for (drawing::Shape& s : shapes) {
    if (s.objectKind != drawing::kind::Note || !s.noteRow || !s.noteCol) continue;
    auto [first, last] = byCell.equal_range({*s.noteRow, *s.noteCol});
    for (auto it = first; it != last; ++it) {
      NoteEntry& n = *it->second;
      s.text = n.text;
      n.objectId = s.objectId;
      n.shown = shown.count({n.row, n.col}) > 0;
    }
  }
}

}  // namespace

drawing::SheetDrawing readSheetDrawings(DrawingSources& src, const std::string& sheetPart, const SheetPartLinks& links,
                                        SheetData& sheet) {
  drawing::SheetDrawing out;
  if (links.drawingRelId.empty() && links.legacyDrawingRelId.empty() && links.objects.empty()) return out;
  const auto rels = src.package.relationships(sheetPart);
  const SheetGrid grid(sheet);
  std::map<std::string, std::string> controlNames;
  auto contextFor = [&](const std::string& part, RelationshipIndex& partRels, std::vector<Relationship>& kept) {
    kept = src.package.relationships(part);
    partRels = indexOf(kept);
    return DrawingContext{src.theme, src.palette, grid, src.books,
                          [&src, &partRels, &out](const std::string& id) { return pictureOf(src, partRels, id, out.warnings); }};
  };
  if (const Relationship* r = byId(rels, links.drawingRelId)) {
    try {
      if (auto text = src.package.read(r->target)) {
        std::vector<Relationship> kept;
        RelationshipIndex partRels;
        const DrawingContext ctx = contextFor(r->target, partRels, kept);
        XmlReader xml(std::move(*text));
        DrawingPart part = readDrawingPart(xml, ctx);
        out.shapes = std::move(part.shapes);
        controlNames = std::move(part.controlNames);
      }
    } catch (const std::exception& e) {
      out.warnings.push_back(std::string("the drawing part is damaged (") + e.what() + ")");
    }
  } else if (!links.drawingRelId.empty()) {
    out.warnings.push_back("the drawing " + links.drawingRelId + " is not among the sheet's relationships");
  }
  std::vector<drawing::Shape> legacy;
  if (const Relationship* r = byId(rels, links.legacyDrawingRelId)) {
    try {
      if (auto text = src.package.read(r->target)) {
        std::vector<Relationship> kept;
        RelationshipIndex partRels;
        const DrawingContext ctx = contextFor(r->target, partRels, kept);
        VmlPart part = readVmlPart(*text, ctx, controlNames);
        tieNotes(part.shapes, part.shownNotes, sheet);
        out.warnings.insert(out.warnings.end(), part.warnings.begin(), part.warnings.end());
        legacy = std::move(part.shapes);
      }
    } catch (const std::exception& e) {
      out.warnings.push_back(std::string("the legacy drawing part is damaged (") + e.what() + ")");
    }
  } else if (!links.legacyDrawingRelId.empty()) {
    out.warnings.push_back("the legacy drawing " + links.legacyDrawingRelId + " is not among the sheet's relationships");
  }
  const RelationshipIndex sheetRels = indexOf(rels);
  const SheetObjectContext objects{src.package, rels, grid, [&src, &sheetRels, &out](const std::string& id) {
                                     return pictureOf(src, sheetRels, id, out.warnings);
                                   }};
  tieSheetObjects(legacy, links.objects, objects, out);
  for (drawing::Shape& s : legacy)
    if (out.shapes.size() < kMaxDrawingShapes) out.shapes.push_back(std::move(s));
  return out;
}

}  // namespace zel::xls::ooxml

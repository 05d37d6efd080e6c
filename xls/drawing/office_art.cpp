// OfficeArt record tree: record headers checked against their parent, containers followed
// to a fixed depth, one decoder per record kind the Shapes layer needs.
#include "xls/drawing/office_art.h"

#include <algorithm>

#include "xls/byte_cursor.h"

namespace zel::xls::drawing {
namespace {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kPropertyBytes = 6;

struct ArtRecord {
  uint16_t version = 0;
  uint16_t instance = 0;
  uint16_t type = 0;
  std::span<const uint8_t> body;
  // Some writers leave the version nibble of the drawing container at 0; its record type
  // still says what it is.
  bool isContainer() const { return version == 0xF || type == art::DgContainer; }
};

// The records directly inside a span. A record that claims more bytes than its parent holds
// is cut to what is there and reported.
class RecordWalk {
 public:
  RecordWalk(std::span<const uint8_t> bytes, ArtDrawing& out) : cur_(bytes), out_(out) {}
  bool next(ArtRecord& r) {
    if (cur_.remaining() < kHeaderBytes) {
      if (!cur_.atEnd()) warn("drawing record header cut short");
      cur_.skip(cur_.remaining());
      return false;
    }
    const uint16_t verInst = cur_.u16();
    r.version = verInst & 0x000F;
    r.instance = verInst >> 4;
    r.type = cur_.u16();
    const uint32_t length = cur_.u32();
    if (length > cur_.remaining()) {
      warn("drawing record 0x" + hex(r.type) + " claims more bytes than it holds");
      damaged = true;
    }
    r.body = cur_.bytes(std::min<size_t>(length, cur_.remaining()));
    return true;
  }
  void warn(const std::string& w) { out_.warnings.push_back(w); }
  bool damaged = false;

 private:
  static std::string hex(uint16_t v) {
    static const char* digits = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = digits[v & 0xF];
    return s;
  }
  ByteCursor cur_;
  ArtDrawing& out_;
};

class TreeReader {
 public:
  explicit TreeReader(ArtDrawing& out) : out_(out) {}

  // OfficeArtFOPT: property table, then the complex data in table order.
  void readFopt(const ArtRecord& r, ArtShape& s) {
    const size_t count = r.instance;
    if (count * kPropertyBytes > r.body.size()) {
      out_.warnings.push_back("shape property table longer than its record");
      s.damaged = true;
      return;
    }
    ByteCursor table(r.body.first(count * kPropertyBytes));
    ByteCursor complex(r.body.subspan(count * kPropertyBytes));
    for (size_t k = 0; k < count; ++k) {
      const uint16_t opid = table.u16();
      const uint32_t op = table.u32();
      const uint16_t id = opid & 0x3FFF;
      if (!(opid & 0x8000)) {
        s.properties[id] = op;
        continue;
      }
      if (op > complex.remaining()) {
        out_.warnings.push_back("complex shape property past its record");
        s.damaged = true;
        return;
      }
      ByteCursor data(complex.bytes(op));
      if (id == prop::ShapeName) {
        std::u16string name;
        while (data.remaining() >= 2) {
          const char16_t c = static_cast<char16_t>(data.u16());
          if (c == 0) break;
          name.push_back(c);
        }
        s.name = std::move(name);
      } else if (id == prop::Vertices || id == prop::SegmentInfo) {
        const auto bytes = data.bytes(data.remaining());
        (id == prop::Vertices ? s.vertices : s.segmentInfo).assign(bytes.begin(), bytes.end());
      }
    }
  }

  // OfficeArtSpContainer: FSP, properties and the client records that tie it to OBJ/TXO.
  ArtShape readShape(std::span<const uint8_t> body) {
    ArtShape s;
    RecordWalk walk(body, out_);
    ArtRecord r;
    while (walk.next(r)) {
      switch (r.type) {
        case art::Fsp: {
          if (r.body.size() < 8) {
            s.damaged = true;
            break;
          }
          ByteCursor fsp(r.body);
          s.shapeId = fsp.u32();
          s.flags = fsp.u32();
          s.shapeType = r.instance;
          s.hasFsp = true;
          break;
        }
        case art::Fopt:
        case art::TertiaryFopt: readFopt(r, s); break;
        case art::ClientData: s.clientData = out_.clientDataCount++; break;
        case art::ClientAnchor:
          if (r.body.size() >= 18) {
            ByteCursor a(r.body.subspan(2));  // braced lists evaluate left to right
            s.anchor = CellAnchor{a.u16(), a.u16(), a.u16(), a.u16(), a.u16(), a.u16(), a.u16(), a.u16()};
          }
          break;
        case art::ChildAnchor:
        case art::Fspgr:
          if (r.body.size() >= 16) {
            ByteCursor a(r.body);
            auto next = [&a] { return static_cast<int32_t>(a.u32()); };
            (r.type == art::Fspgr ? s.groupExtent : s.childAnchor) = ArtRect{next(), next(), next(), next()};
          }
          break;
        case art::ClientTextbox: s.clientTextbox = out_.clientTextboxCount++; break;
        default: break;
      }
    }
    if (walk.damaged) s.damaged = true;
    return s;
  }

  // OfficeArtSpgrContainer: its first shape container describes the group itself, the
  // following ones (shapes or nested groups) are its items.
  ArtShape readGroup(std::span<const uint8_t> body, int depth) {
    ArtShape group;
    group.isGroup = true;
    bool first = true;
    RecordWalk walk(body, out_);
    ArtRecord r;
    while (walk.next(r)) {
      if (r.type == art::SpContainer) {
        ArtShape s = readShape(r.body);
        if (first) {
          s.isGroup = true;
          group = std::move(s);
        } else {
          add(group.members, std::move(s));
        }
      } else if (r.type == art::SpgrContainer) {
        if (depth + 1 > kMaxArtDepth) {
          out_.warnings.push_back("drawing groups nested too deep");
          group.damaged = true;
        } else {
          add(group.members, readGroup(r.body, depth + 1));
        }
      }
      first = false;
    }
    if (walk.damaged) group.damaged = true;
    group.isGroup = true;
    return group;
  }

  // Looks for the patriarch group anywhere inside the drawing container.
  void readTop(std::span<const uint8_t> bytes, int depth) {
    RecordWalk walk(bytes, out_);
    ArtRecord r;
    while (walk.next(r)) {
      if (r.type == art::SpgrContainer) {
        ArtShape patriarch = readGroup(r.body, depth + 1);
        for (ArtShape& s : patriarch.members) out_.shapes.push_back(std::move(s));
      } else if (r.type == art::SpContainer) {
        // A shape outside the patriarch group (the drawing's background): not in Shapes, but
        // its client records still take their place in the OBJ/TXO order.
        readShape(r.body);
      } else if (r.isContainer() && depth + 1 <= kMaxArtDepth) {
        readTop(r.body, depth + 1);
      }
    }
  }

 private:
  void add(std::vector<ArtShape>& items, ArtShape s) {
    if (++shapes_ > kMaxArtShapes) {
      if (shapes_ == kMaxArtShapes + 1) out_.warnings.push_back("too many shapes in one drawing");
      return;
    }
    if (s.hasFsp && (s.flags & kFspDeleted)) return;
    items.push_back(std::move(s));
  }
  ArtDrawing& out_;
  size_t shapes_ = 0;
};

}  // namespace

ArtDrawing parseArtDrawing(std::span<const uint8_t> bytes) {
  ArtDrawing out;
  TreeReader(out).readTop(bytes, 0);
  return out;
}

}  // namespace zel::xls::drawing

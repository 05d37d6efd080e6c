// OfficeArt record tree: record headers checked against their parent, containers followed
// to a fixed depth, one decoder per record kind the Shapes layer needs.
#include "xls/drawing/office_art.h"

namespace zel::xls::drawing {
namespace {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kPropertyBytes = 6;

struct ArtRecord {
  uint16_t version = 0;
  uint16_t instance = 0;
  uint16_t type = 0;
  std::span<const uint8_t> body;
  bool isContainer() const { return version == 0xF; }
};

uint16_t le16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) | (static_cast<uint32_t>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(b[at + 3]) << 24);
}

// The records directly inside a span. A record that claims more bytes than its parent holds
// is cut to what is there and reported.
class RecordWalk {
 public:
  RecordWalk(std::span<const uint8_t> bytes, ArtDrawing& out) : bytes_(bytes), out_(out) {}
  bool next(ArtRecord& r) {
    if (pos_ + kHeaderBytes > bytes_.size()) {
      if (pos_ < bytes_.size()) warn("drawing record header cut short");
      pos_ = bytes_.size();
      return false;
    }
    const uint16_t verInst = le16(bytes_, pos_);
    r.version = verInst & 0x000F;
    r.instance = verInst >> 4;
    r.type = le16(bytes_, pos_ + 2);
    const uint32_t length = le32(bytes_, pos_ + 4);
    pos_ += kHeaderBytes;
    const size_t available = bytes_.size() - pos_;
    if (length > available) {
      warn("drawing record 0x" + hex(r.type) + " claims more bytes than it holds");
      damaged = true;
    }
    const size_t take = std::min<size_t>(length, available);
    r.body = bytes_.subspan(pos_, take);
    pos_ += take;
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
  std::span<const uint8_t> bytes_;
  ArtDrawing& out_;
  size_t pos_ = 0;
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
    size_t complexAt = count * kPropertyBytes;
    for (size_t k = 0; k < count; ++k) {
      const uint16_t opid = le16(r.body, k * kPropertyBytes);
      const uint32_t op = le32(r.body, k * kPropertyBytes + 2);
      const uint16_t id = opid & 0x3FFF;
      if (!(opid & 0x8000)) {
        s.properties[id] = op;
        continue;
      }
      if (op > r.body.size() - complexAt) {
        out_.warnings.push_back("complex shape property past its record");
        s.damaged = true;
        return;
      }
      if (id == prop::ShapeName) {
        std::u16string name;
        for (size_t at = complexAt; at + 1 < complexAt + op; at += 2) {
          const char16_t c = static_cast<char16_t>(le16(r.body, at));
          if (c == 0) break;
          name.push_back(c);
        }
        s.name = std::move(name);
      }
      complexAt += op;
    }
  }

  // OfficeArtSpContainer: FSP, properties and the client records that tie it to OBJ/TXO.
  ArtShape readShape(std::span<const uint8_t> body) {
    ArtShape s;
    RecordWalk walk(body, out_);
    ArtRecord r;
    while (walk.next(r)) {
      switch (r.type) {
        case art::Fsp:
          if (r.body.size() < 8) {
            s.damaged = true;
            break;
          }
          s.shapeId = le32(r.body, 0);
          s.flags = le32(r.body, 4);
          s.hasFsp = true;
          break;
        case art::Fopt:
        case art::TertiaryFopt: readFopt(r, s); break;
        case art::ClientData: s.clientData = out_.clientDataCount++; break;
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

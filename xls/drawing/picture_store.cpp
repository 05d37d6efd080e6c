// Picture store decoding: OfficeArtDggContainer -> OfficeArtBStoreContainer -> one
// OfficeArtFBSE per picture, each holding its BLIP record (bitmap or metafile).
#include "xls/drawing/picture_store.h"

namespace zel::xls::drawing {
namespace {

constexpr uint16_t kDggContainer = 0xF000;
constexpr uint16_t kBStoreContainer = 0xF001;
constexpr uint16_t kFbse = 0xF007;
constexpr size_t kHeader = 8;
constexpr size_t kFbseFixed = 36;     // up to the name
constexpr size_t kUid = 16;
constexpr size_t kMetafileHeader = 34;

struct Rec {
  uint16_t instance = 0, type = 0;
  std::span<const uint8_t> body;
};

uint32_t le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) | (static_cast<uint32_t>(b[at + 2]) << 16) |
         (static_cast<uint32_t>(b[at + 3]) << 24);
}

// The next record of `bytes` at `pos`; false at the end or on a record longer than its parent.
bool nextRec(std::span<const uint8_t> bytes, size_t& pos, Rec& r) {
  if (pos + kHeader > bytes.size()) return false;
  r.instance = static_cast<uint16_t>((bytes[pos] | (bytes[pos + 1] << 8)) >> 4);
  r.type = static_cast<uint16_t>(bytes[pos + 2] | (bytes[pos + 3] << 8));
  const uint32_t length = le32(bytes, pos + 4);
  pos += kHeader;
  if (length > bytes.size() - pos) return false;
  r.body = bytes.subspan(pos, length);
  pos += length;
  return true;
}

PictureFormat formatOf(uint16_t type) {
  switch (type) {
    case 0xF01A: return PictureFormat::Emf;
    case 0xF01B: return PictureFormat::Wmf;
    case 0xF01C: return PictureFormat::Pict;
    case 0xF01D: case 0xF02A: return PictureFormat::Jpeg;
    case 0xF01E: return PictureFormat::Png;
    case 0xF01F: return PictureFormat::Dib;
    case 0xF029: return PictureFormat::Tiff;
    default: return PictureFormat::None;
  }
}

// The picture of one BLIP record: after one or two UIDs (an odd instance has two), a bitmap
// has a tag byte and a metafile its 34-byte header.
StoredPicture readBlip(const Rec& blip, PictureStore& out) {
  StoredPicture p;
  p.format = formatOf(blip.type);
  if (p.format == PictureFormat::None) return p;
  const bool metafile = p.format == PictureFormat::Emf || p.format == PictureFormat::Wmf || p.format == PictureFormat::Pict;
  size_t skip = kUid * ((blip.instance & 1) ? 2 : 1) + (metafile ? kMetafileHeader : 1);
  if (skip > blip.body.size()) {
    out.warnings.push_back("picture record shorter than its header");
    p.format = PictureFormat::None;
    return p;
  }
  if (metafile) p.compressed = blip.body[skip - 2] == 0x00;
  if (blip.body.size() - skip > kMaxPictureBytes) {
    out.warnings.push_back("picture larger than " + std::to_string(kMaxPictureBytes >> 20) + " MB left out");
    p.format = PictureFormat::None;
    return p;
  }
  p.data.assign(blip.body.begin() + static_cast<std::ptrdiff_t>(skip), blip.body.end());
  return p;
}

StoredPicture readFbse(const Rec& fbse, PictureStore& out) {
  StoredPicture p;
  const auto b = fbse.body;
  if (b.size() < kFbseFixed) {
    out.warnings.push_back("picture store entry cut short");
    return p;
  }
  const size_t nameBytes = b[33];
  size_t pos = kFbseFixed;
  if (nameBytes > b.size() - pos) return p;
  for (size_t i = 0; i + 1 < nameBytes; i += 2) {
    const char16_t c = static_cast<char16_t>(b[pos + i] | (b[pos + i + 1] << 8));
    if (c == 0) break;
    if (c < 0x80) p.name.push_back(static_cast<char>(c));
    else if (c < 0x800) {
      p.name.push_back(static_cast<char>(0xC0 | (c >> 6)));
      p.name.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      p.name.push_back(static_cast<char>(0xE0 | (c >> 12)));
      p.name.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      p.name.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  pos += nameBytes;
  Rec blip;
  if (!nextRec(b, pos, blip)) return p;  // the BLIP lives in a delay stream, or none
  std::string name = std::move(p.name);
  p = readBlip(blip, out);
  p.name = std::move(name);
  return p;
}

}  // namespace

PictureStore readPictureStore(std::span<const uint8_t> drawingGroup) {
  PictureStore out;
  size_t pos = 0;
  Rec dgg;
  while (nextRec(drawingGroup, pos, dgg)) {
    if (dgg.type != kDggContainer) continue;
    size_t at = 0;
    Rec r;
    while (nextRec(dgg.body, at, r)) {
      if (r.type != kBStoreContainer) continue;
      size_t e = 0;
      Rec fbse;
      while (nextRec(r.body, e, fbse)) {
        if (out.pictures.size() >= kMaxStoredPictures) {
          out.warnings.push_back("too many pictures in the store");
          return out;
        }
        out.pictures.push_back(fbse.type == kFbse ? readFbse(fbse, out) : StoredPicture{});
      }
    }
  }
  return out;
}

const char* pictureFormatName(PictureFormat f) {
  switch (f) {
    case PictureFormat::Emf: return "EMF";
    case PictureFormat::Wmf: return "WMF";
    case PictureFormat::Pict: return "PICT";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Dib: return "DIB";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::None: break;
  }
  return "none";
}

}  // namespace zel::xls::drawing

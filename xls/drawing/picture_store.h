// The workbook's picture store: the BLIPs of the MSODRAWINGGROUP's OfficeArtBStoreContainer,
// by their 1-based index (a picture shape's pib property). Pure decoding of the joined bytes.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::xls::drawing {

// Pictures kept from one store; a larger picture is left out with a warning.
inline constexpr size_t kMaxStoredPictures = 4096;
inline constexpr size_t kMaxPictureBytes = size_t{64} << 20;

enum class PictureFormat : uint8_t { None, Emf, Wmf, Pict, Jpeg, Png, Dib, Tiff };

struct StoredPicture {
  PictureFormat format = PictureFormat::None;  // None: an empty or unreadable entry
  std::string name;                            // the entry's name, often empty
  std::vector<uint8_t> data;  // bitmaps as stored (a DIB without its file header); metafiles as stored,
                              // still compressed when `compressed`
  bool compressed = false;
};

struct PictureStore {
  std::vector<StoredPicture> pictures;  // pictures[pib - 1]
  std::vector<std::string> warnings;
  const StoredPicture* at(uint32_t pib) const {
    return pib >= 1 && pib <= pictures.size() ? &pictures[pib - 1] : nullptr;
  }
};

// Reads the joined MSODRAWINGGROUP bytes (the OfficeArtDggContainer). Never throws.
PictureStore readPictureStore(std::span<const uint8_t> drawingGroup);

const char* pictureFormatName(PictureFormat f);

}  // namespace zel::xls::drawing

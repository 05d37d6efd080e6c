// Test-only writer of a sheet's drawing layer as Excel writes it: one OfficeArt tree split
// into MSODRAWING records, each shape's OBJ after its client data and its TXO (text in
// CONTINUE records) after its client text box.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/biff_builder.h"

namespace zel::test {

struct ShapeSpec {
  uint16_t kind = 0x02;       // FtCmo ot
  uint16_t id = 1;            // FtCmo id (the shape id is 1024 + id)
  std::string storedName;     // wzName; "" writes none
  uint32_t macroNameIndex = 0;  // FtMacro as tName of this 1-based NAME index; 0 = none
  std::vector<std::pair<uint16_t, uint32_t>> properties;  // simple OfficeArt properties
  std::vector<std::pair<uint16_t, std::vector<uint8_t>>> complexProperties;  // id, data
  uint32_t extraFspFlags = 0;                            // e.g. 0x40 flipped left to right
  uint16_t shapeType = 0;                                // MSOSPT in the FSP (5 triangle, 13 right arrow)
  std::optional<std::string> text;                       // TXO text
  uint16_t txoFlags = 0x0212, txoTurn = 0;               // TXO alignment bits and text turn
  std::vector<std::pair<uint16_t, uint16_t>> textFonts;  // font runs: first character, font index
  // Client anchor: col1, dx1, row1, dy1, col2, dx2, row2, dy2 (all zero: at A1 without size).
  std::array<uint16_t, 8> anchor{};
  bool embeddedChart = false; // a chart substream (BOF..EOF) follows the OBJ
  std::optional<uint32_t> embeddingStorage;  // picture data of an OLE object in storage "MBD" + this
  std::vector<ShapeSpec> members;  // makes the shape a group
  // Damage: no OBJ written; the TXO claims this many characters; FtMacro claims 200 bytes.
  bool omitObj = false;
  uint16_t claimedTextChars = 0;
  bool macroRunsPast = false;
};

// Appends the drawing of `shapes` to a sheet's substream. drawingVersion is the version nibble
// of the outer drawing container (Excel writes 0xF).
void addDrawing(BiffBuilder& b, int sheet, const std::vector<ShapeSpec>& shapes, uint16_t drawingVersion = 0xF);

// An MSODRAWINGGROUP record into the globals holding these PNG files as pictures 1, 2, ...
void addPictureStore(BiffBuilder& b, const std::vector<std::vector<uint8_t>>& pngs);

// The bytes of one OBJ record of the given kind and id (with FtMacro when nameIndex > 0, with
// the picture sub-records of an embedded object when storage is set).
std::vector<uint8_t> objPayload(uint16_t kind, uint16_t id, uint32_t macroNameIndex = 0,
                                std::optional<uint32_t> storage = std::nullopt);

}  // namespace zel::test

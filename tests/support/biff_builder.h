// Test-only writer of small BIFF8 workbooks inside a compound file (libgsf's GsfOutfileMSOle),
// for cases the real corpus lacks: very hidden sheets, SST strings split across CONTINUE,
// damaged records, notes, macro project streams, drawings.
//
//   BiffBuilder b;                                  // globals: BOF, CODEPAGE, fonts, XFs
//   int s = b.addSheet("Data");                     // worksheet, visible
//   b.number(s, 0, 0, 1.5);                         // A1 = 1.5
//   b.label(s, 1, 0, "text");                       // A2 = "text" (LABEL record)
//   b.addRecord(s, 0x0012, Bytes().u16(1));         // any record into the sheet substream
//   b.addStream("_VBA_PROJECT_CUR/VBA/dir", bytes); // any further stream (storages created)
//   auto image = b.toBytes();                        // or b.write(path)
//
// Records are written in the order they are added; the builder adds BOF/EOF around each
// substream and fills in the BOUNDSHEET8 stream positions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

// Little-endian byte assembly for record payloads.
class Bytes {
 public:
  Bytes& u8(uint8_t v);
  Bytes& u16(uint16_t v);
  Bytes& u32(uint32_t v);
  Bytes& f64(double v);
  Bytes& raw(const std::vector<uint8_t>& b);
  Bytes& raw(const std::string& b);
  // XLUnicodeString (u16 count, flags, chars): 8-bit when every character fits, else UTF-16.
  Bytes& str16(const std::string& utf8);
  // ShortXLUnicodeString (u8 count, flags, chars).
  Bytes& str8(const std::string& utf8);
  // flags + characters, without the count.
  Bytes& strNoCount(const std::string& utf8);
  const std::vector<uint8_t>& data() const { return data_; }
  size_t size() const { return data_.size(); }
  operator const std::vector<uint8_t>&() const { return data_; }

 private:
  std::vector<uint8_t> data_;
};

class BiffBuilder {
 public:
  enum Visibility : uint8_t { Visible = 0, Hidden = 1, VeryHidden = 2 };
  enum SheetKind : uint8_t { Worksheet = 0, MacroSheet = 1, Chart = 2, VbaModule = 6 };

  BiffBuilder();

  // Adds a sheet (BOUNDSHEET8 + its substream); returns its 0-based index.
  int addSheet(const std::string& name, Visibility visibility = Visible, SheetKind kind = Worksheet);
  // A record into the workbook globals (after the default fonts and XFs, before BOUNDSHEET8s).
  void addGlobalRecord(uint16_t id, const std::vector<uint8_t>& payload);
  // A record into a sheet's substream.
  void addRecord(int sheet, uint16_t id, const std::vector<uint8_t>& payload);
  // Raw bytes appended to a sheet's substream as they are (damaged records, truncation).
  void addRawBytes(int sheet, const std::vector<uint8_t>& bytes);
  // A stream of the compound file ("a/b/c" creates storages a and a/b).
  void addStream(const std::string& path, const std::vector<uint8_t>& bytes);
  // Leaves out the Workbook stream (for files with only other streams).
  void omitWorkbookStream() { omitWorkbook_ = true; }

  // Cells.
  void number(int sheet, uint16_t row, uint16_t col, double v, uint16_t xf = 15);
  void label(int sheet, uint16_t row, uint16_t col, const std::string& text, uint16_t xf = 15);
  void blank(int sheet, uint16_t row, uint16_t col, uint16_t xf = 15);
  void boolErr(int sheet, uint16_t row, uint16_t col, uint8_t value, bool isError);
  // FORMULA with a numeric result; rgce is the token bytes.
  void formula(int sheet, uint16_t row, uint16_t col, const std::vector<uint8_t>& rgce, double result = 0);
  // Shared strings: writes the SST (split into CONTINUE records of at most maxRecordBytes
  // payload, strings crossing the boundary as Excel splits them); then LABELSST cells.
  void sst(const std::vector<std::string>& strings, size_t maxRecordBytes = 8224);
  void labelSst(int sheet, uint16_t row, uint16_t col, uint32_t index, uint16_t xf = 15);
  // A cell note: OBJ (comment) + TXO with the text in CONTINUE records + NOTE.
  void note(int sheet, uint16_t row, uint16_t col, const std::string& text, const std::string& author = "Author");
  // A FORMAT record and an XF using it; returns the XF index.
  uint16_t numberFormat(uint16_t formatIndex, const std::string& format);
  // A cell XF with the given alignment, rotation, indent/shrink, border and fill words (as the
  // XF record lays them out); returns the XF index.
  uint16_t cellXf(uint8_t align, uint8_t rotation, uint8_t indentShrink, uint32_t border1, uint32_t border2,
                  uint16_t fillColours, uint16_t font = 0);
  // A NAME record (builtinCode >= 0 for built-in names; sheetScope 0 = workbook).
  void name(const std::string& name, const std::vector<uint8_t>& rgce, uint16_t sheetScope = 0, int builtinCode = -1);

  std::vector<uint8_t> workbookStream() const;
  std::vector<uint8_t> toBytes() const;  // the compound file image
  void write(const std::string& path) const;

 private:
  struct Sheet {
    std::string name;
    uint8_t visibility;
    uint8_t kind;
    std::vector<uint8_t> body;
  };
  static void appendRecord(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& payload);

  std::vector<uint8_t> globals_;
  std::vector<Sheet> sheets_;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> streams_;
  uint16_t nextXf_ = 16;
  uint16_t nextObjectId_ = 1;
  bool omitWorkbook_ = false;
};

}  // namespace zel::test

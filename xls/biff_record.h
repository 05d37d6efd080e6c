// The record layer of a BIFF8 stream: splits the Workbook stream into (id, data) records and
// gathers a record with the CONTINUE records that extend it.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "xls/byte_cursor.h"

namespace zel::xls {

namespace rec {
constexpr uint16_t Formula = 0x0006;
constexpr uint16_t Eof = 0x000A;
constexpr uint16_t CalcMode = 0x000D;
constexpr uint16_t Protect = 0x0012;
constexpr uint16_t Password = 0x0013;
constexpr uint16_t Header = 0x0014;
constexpr uint16_t ExternSheet = 0x0017;
constexpr uint16_t Name = 0x0018;
constexpr uint16_t DateMode = 0x0022;
constexpr uint16_t ExternName = 0x0023;
constexpr uint16_t Font = 0x0031;
constexpr uint16_t Continue = 0x003C;
constexpr uint16_t Window2 = 0x023E;
constexpr uint16_t FilePass = 0x002F;
constexpr uint16_t CodePage = 0x0042;
constexpr uint16_t DefColWidth = 0x0055;
constexpr uint16_t ObjProtect = 0x0063;
constexpr uint16_t ColInfo = 0x007D;
constexpr uint16_t Guts = 0x0080;
constexpr uint16_t WsBool = 0x0081;
constexpr uint16_t BoundSheet8 = 0x0085;
constexpr uint16_t Palette = 0x0092;
constexpr uint16_t Scl = 0x00A0;
constexpr uint16_t Setup = 0x00A1;
constexpr uint16_t MulRk = 0x00BD;
constexpr uint16_t MulBlank = 0x00BE;
constexpr uint16_t RString = 0x00D6;
constexpr uint16_t Xf = 0x00E0;
constexpr uint16_t MsoDrawing = 0x00EC;
constexpr uint16_t Sst = 0x00FC;
constexpr uint16_t LabelSst = 0x00FD;
constexpr uint16_t Obj = 0x005D;
constexpr uint16_t Note = 0x001C;
constexpr uint16_t Txo = 0x01B6;
constexpr uint16_t SupBook = 0x01AE;
constexpr uint16_t ScenProtect = 0x00DD;
constexpr uint16_t Dimensions = 0x0200;
constexpr uint16_t Blank = 0x0201;
constexpr uint16_t Number = 0x0203;
constexpr uint16_t Label = 0x0204;
constexpr uint16_t BoolErr = 0x0205;
constexpr uint16_t String = 0x0207;
constexpr uint16_t Row = 0x0208;
constexpr uint16_t Index = 0x020B;
constexpr uint16_t Array = 0x0221;
constexpr uint16_t DefaultRowHeight = 0x0225;
constexpr uint16_t Table = 0x0236;
constexpr uint16_t Rk = 0x027E;
constexpr uint16_t Style = 0x0293;
constexpr uint16_t Format = 0x041E;
constexpr uint16_t ShrFmla = 0x04BC;
constexpr uint16_t Bof = 0x0809;
// Earlier BOF ids (BIFF2..BIFF4), recognised only to name the format in the error.
constexpr uint16_t BofBiff2 = 0x0009;
constexpr uint16_t BofBiff3 = 0x0209;
constexpr uint16_t BofBiff4 = 0x0409;
}  // namespace rec

// BIFF8 limits a record's data to 8224 bytes; longer lengths mean a damaged stream.
inline constexpr size_t kMaxRecordBytes = 8224;
// A record with its CONTINUE chain is never allowed to grow past this (SST, TXO, NAME).
inline constexpr size_t kMaxContinuedBytes = 64u << 20;

struct Record {
  uint16_t id = 0;
  size_t offset = 0;  // of the record header in the stream
  std::span<const uint8_t> data;
};

// Reads the records of a stream one by one from a record header at `start`, as spans of the
// stream (no copy, no list). Stops at the first header that does not fit or claims more than
// kMaxRecordBytes (a truncated or damaged stream; truncated() then tells so). Trailing bytes
// shorter than a header are padding left by some writers (sector slack) and end the stream
// quietly. A copy reads ahead without moving the original.
class RecordReader {
 public:
  explicit RecordReader(std::span<const uint8_t> stream, size_t start = 0);
  bool next(Record& out);
  bool truncated() const { return truncated_; }

 private:
  ByteCursor cur_;
  size_t start_;
  bool truncated_ = false;
};

// Splits a whole stream into a list of records (the drawing fuzz target's input).
struct RecordList {
  std::vector<Record> records;
  bool truncated = false;
};
RecordList splitRecords(std::span<const uint8_t> stream);

// The data of `first` followed by the data of every CONTINUE directly after it, as separate
// segments (string readers need the boundaries). `after` stands just behind `first`; it is
// moved past the chain only when `consume` is set (otherwise the CONTINUE records are still
// read one by one afterwards).
std::vector<std::span<const uint8_t>> withContinues(const Record& first, RecordReader& after, bool consume);

// "0x00FC" style label of a record id, for warnings.
std::string recordIdText(uint16_t id);

}  // namespace zel::xls

// What the workbook analyses read from the open workbook, as one narrow interface: the
// reader's object model is adapted to it once (model_book_view.h), so the analyses hold
// only their own rules and can be driven by a hand-made workbook in tests.
#pragma once
#include "core/result_db.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zel::workbook {

// One cell of a used range, read on demand.
class UsedCell {
 public:
  virtual ~UsedCell() = default;
  virtual std::string address() const = 0;      // absolute, "$B$12"
  virtual std::string formulaText() const = 0;   // the Formula property ("=A1+1", or the constant as text)
  virtual std::string noteText() const = 0;      // "" when the cell carries no note
  virtual bool isErrorValue() const = 0;         // the value is an error (#DIV/0! ...)
  virtual bool valueIsEmptyText() const = 0;     // the default value equals ""
  virtual bool hasNote() const { return !noteText().empty(); }
  // The first character of the formula text is "="; a view may answer without printing it.
  virtual bool formulaStartsWithEquals() const {
    std::string f = formulaText();
    return !f.empty() && f.front() == '=';
  }
};

struct UsedRangeSize {
  int64_t rows = 0;
  int64_t cols = 0;
  int64_t count() const { return rows * cols; }
};

struct ComponentInfo {
  int type = 0;  // 1 standard, 2 class, 3 form, 100 document
  std::string name;
};

struct NameInfo {
  std::string name;                         // "Total", or "Sheet1!Local" for a sheet-level name
  std::string refersTo;                     // "=Sheet1!$A$1:$C$9"
  std::optional<std::string> rangeAddress;  // RefersToRange.Address; empty when not a range
};

// A document property: as read (Null, number or text; dates as "yyyy/mm/dd hh:nn:ss") and as
// VB's CStr gives it (what the cut fields take).
struct PropertyRead {
  DbValue value;
  std::string text;
};

class BookView {
 public:
  virtual ~BookView() = default;
  virtual std::string fullName() const = 0;
  // Built-in document property 1..29; may throw VbError (-2147467259 for a missing print or
  // creation date).
  virtual PropertyRead documentProperty(int index) const = 0;
  // True when the file itself says an application version other than Excel 97 saved it.
  virtual bool writtenByOtherVersion() const = 0;
  // Link sources of type 1 (workbook links) or 2 (OLE/DDE links), in Excel's order.
  virtual std::vector<std::string> linkSources(int type) const = 0;
  // The sheet collection, in order.
  virtual std::vector<std::string> sheetNames() const = 0;
  // Sheet properties by 0-based collection index.
  virtual UsedRangeSize usedRange(std::size_t sheet) const = 0;
  virtual int64_t shapeCount(std::size_t sheet) const = 0;
  virtual int visibleValue(std::size_t sheet) const = 0;  // -1 visible, 0 hidden, 2 very hidden
  // Calls visit for every cell of the sheet's used range that holds anything (a value, a
  // formula or a note), row by row, left to right. Cells left out are blank and carry no note.
  virtual void visitUsedCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const = 0;
  // The same walk restricted to the cells whose formula text begins with "=", or to the cells
  // carrying a note. A view may find them without visiting the other cells.
  virtual void visitFormulaCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const {
    visitUsedCells(sheet, [&](const UsedCell& c) {
      if (c.formulaStartsWithEquals()) visit(c);
    });
  }
  virtual void visitNotedCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const {
    visitUsedCells(sheet, [&](const UsedCell& c) {
      if (c.hasNote()) visit(c);
    });
  }
  // The macro project's components in project order.
  virtual std::vector<ComponentInfo> components() const = 0;
  // The Names collection in order.
  virtual std::vector<NameInfo> names() const = 0;
};

}  // namespace zel::workbook

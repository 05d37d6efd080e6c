// A hand-made workbook for the analyses' rules that no corpus file shows: module sheets in
// the middle of the collection, missing property dates, failing sheets, very large counts.
#pragma once
#include "core/vb_error.h"
#include "workbook/book_view.h"

#include <map>
#include <optional>

namespace zel::test {

struct FakeCell {
  std::string address, formula, note;
  bool error = false;
  bool emptyText = false;
};

struct FakeSheet {
  std::string name;
  workbook::UsedRangeSize used{1, 1};
  int visible = -1;
  int64_t shapes = 0;
  std::vector<FakeCell> cells;
  bool failWhenRead = false;  // reading its cells raises error 1004
};

// A sheet of the given used-range size with no cells.
inline FakeSheet emptySheet(std::string name, int64_t rows, int64_t cols) {
  FakeSheet s;
  s.name = std::move(name);
  s.used = {rows, cols};
  return s;
}

class FakeBook final : public workbook::BookView {
 public:
  std::string path;
  std::map<int, std::string> properties;
  std::map<int, long> propertyErrors;  // index -> error number raised on reading
  bool otherVersion = false;           // saved by a version other than Excel 97
  std::vector<std::string> excelLinks, oleLinks;
  std::vector<FakeSheet> sheets;
  std::vector<workbook::ComponentInfo> modules;
  std::vector<workbook::NameInfo> definedNames;

  std::string fullName() const override { return path; }
  workbook::PropertyRead documentProperty(int index) const override {
    if (auto e = propertyErrors.find(index); e != propertyErrors.end()) throw VbError(e->second, "property");
    workbook::PropertyRead r;
    if (auto p = properties.find(index); p != properties.end()) r.value = r.text = p->second;
    return r;
  }
  bool writtenByOtherVersion() const override { return otherVersion; }
  std::vector<std::string> linkSources(int type) const override { return type == 1 ? excelLinks : oleLinks; }
  std::vector<std::string> sheetNames() const override {
    std::vector<std::string> n;
    for (auto& s : sheets) n.push_back(s.name);
    return n;
  }
  workbook::UsedRangeSize usedRange(std::size_t i) const override { return sheets.at(i).used; }
  int64_t shapeCount(std::size_t i) const override { return sheets.at(i).shapes; }
  int visibleValue(std::size_t i) const override { return sheets.at(i).visible; }
  void visitUsedCells(std::size_t i, const std::function<void(const workbook::UsedCell&)>& visit) const override {
    if (sheets.at(i).failWhenRead) throw VbError(1004, "sheet cannot be read");
    for (const auto& c : sheets.at(i).cells) visit(Cell(c));
  }
  std::vector<workbook::ComponentInfo> components() const override { return modules; }
  std::vector<workbook::NameInfo> names() const override { return definedNames; }

 private:
  class Cell final : public workbook::UsedCell {
   public:
    explicit Cell(const FakeCell& c) : c_(c) {}
    std::string address() const override { return c_.address; }
    std::string formulaText() const override { return c_.formula; }
    std::string noteText() const override { return c_.note; }
    bool isErrorValue() const override { return c_.error; }
    bool valueIsEmptyText() const override { return c_.emptyText; }

   private:
    const FakeCell& c_;
  };
};

}  // namespace zel::test

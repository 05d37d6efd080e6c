// Adapts the reader's object model to the analyses' BookView. The used-range walk visits the
// stored cells and the notes only, merged in row-major order: blank positions without a note
// add nothing to any count or listing, and a 65 536-row sheet need not be visited cell by cell.
#include "workbook/model_book_view.h"

#include "core/vb_error.h"
#include "xls/vba/vba_project.h"

#include <algorithm>

namespace zel::workbook {
namespace {

class ModelCell final : public UsedCell {
 public:
  ModelCell(const xls::Worksheet& sheet, uint32_t row, uint16_t col, const xls::CellEntry* entry,
            const xls::NoteEntry* note)
      : cell_(sheet, row, col, entry), entry_(entry), note_(note) {}

  std::string address() const override { return cell_.address(); }
  std::string formulaText() const override { return cell_.formula(); }
  std::string noteText() const override { return note_ ? note_->text : std::string(); }
  bool hasNote() const override { return note_ && !note_->text.empty(); }
  bool isErrorValue() const override { return cell_.isError(); }
  bool valueIsEmptyText() const override {
    if (!entry_) return true;
    switch (entry_->type) {
      case xls::CellType::Blank: return true;
      case xls::CellType::Text: return cell_.textValue().empty();
      case xls::CellType::Error: return true;  // CStr is not taken of an error value
      default: return false;                   // numbers and booleans always have a text
    }
  }
  bool formulaStartsWithEquals() const override {
    if (cell_.hasFormula()) return true;  // the printer always starts a formula with "="
    return cell_.textValue().starts_with('=');
  }

 private:
  xls::Cell cell_;
  const xls::CellEntry* entry_;
  const xls::NoteEntry* note_;
};

uint64_t positionKey(uint32_t row, uint32_t col) { return (static_cast<uint64_t>(row) << 16) | col; }

}  // namespace

const xls::Worksheet& ModelBookView::sheetAt(std::size_t sheet) const { return book_.sheet(static_cast<int>(sheet) + 1); }

PropertyRead ModelBookView::documentProperty(int index) const {
  const xls::PropertyValue& v = book_.builtinDocumentProperties().value(index);
  PropertyRead r;
  r.text = v.toText();
  switch (v.kind) {
    case xls::PropertyValue::Kind::Empty: break;
    case xls::PropertyValue::Kind::Number: r.value = v.number; break;
    case xls::PropertyValue::Kind::Text:
    case xls::PropertyValue::Kind::Date:
    case xls::PropertyValue::Kind::Boolean: r.value = r.text; break;
  }
  return r;
}

// The globals BOF records the last and the highest version that saved the file (0 = Excel 97).
bool ModelBookView::writtenByOtherVersion() const {
  const xls::WorkbookGlobals& g = book_.globals();
  return g.bofLastSavedVersion != 0 || g.bofHighestVersion != 0;
}

std::vector<std::string> ModelBookView::sheetNames() const {
  std::vector<std::string> names;
  for (int i = 1; i <= book_.sheetCount(); ++i) names.push_back(book_.sheet(i).name());
  return names;
}

UsedRangeSize ModelBookView::usedRange(std::size_t sheet) const {
  const xls::Range used = sheetAt(sheet).usedRange();
  return UsedRangeSize{used.rowsCount(), used.columnsCount()};
}

int64_t ModelBookView::shapeCount(std::size_t sheet) const { return sheetAt(sheet).shapesCount(); }

int ModelBookView::visibleValue(std::size_t sheet) const { return sheetAt(sheet).visible(); }

namespace {

// The notes of the used range, by position (a NOTE record may come in any order).
std::vector<const xls::NoteEntry*> notesInRange(const xls::SheetData& data, uint32_t r1, uint32_t r2, uint32_t c1,
                                                uint32_t c2) {
  std::vector<const xls::NoteEntry*> notes;
  for (const auto& n : data.notes)
    if (n.row >= r1 && n.row <= r2 && n.col >= c1 && n.col <= c2) notes.push_back(&n);
  std::stable_sort(notes.begin(), notes.end(), [](auto* a, auto* b) {
    return positionKey(a->row, a->col) < positionKey(b->row, b->col);
  });
  return notes;
}

struct UsedBounds {
  uint32_t r1, r2, c1, c2;
};

UsedBounds usedBounds(const xls::Worksheet& sheet) {
  const xls::Range used = sheet.usedRange();
  return UsedBounds{used.firstRow() - 1, used.lastRow() - 1, used.firstColumn() - 1u, used.lastColumn() - 1u};
}

// The stored cells and the notes of the used range merged in row-major order; visit is called
// for the positions keep accepts.
template <class Keep>
void walkUsedCells(const xls::Worksheet& sheet, Keep keep, const std::function<void(const UsedCell&)>& visit) {
  const xls::SheetData& data = sheet.data();
  const auto [r1, r2, c1, c2] = usedBounds(sheet);
  auto inRange = [&](uint32_t r, uint32_t c) { return r >= r1 && r <= r2 && c >= c1 && c <= c2; };
  const std::vector<const xls::NoteEntry*> notes = notesInRange(data, r1, r2, c1, c2);

  const auto& cells = data.cells;
  auto cellIt = std::lower_bound(cells.begin(), cells.end(), positionKey(r1, c1),
                                 [](const xls::CellEntry& c, uint64_t k) { return positionKey(c.row, c.col) < k; });
  std::size_t noteIt = 0;
  while (true) {
    while (cellIt != cells.end() && cellIt->row <= r2 && !inRange(cellIt->row, cellIt->col)) ++cellIt;
    const bool cellLeft = cellIt != cells.end() && cellIt->row <= r2;
    const bool noteLeft = noteIt < notes.size();
    if (!cellLeft && !noteLeft) break;
    const uint64_t cellKey = cellLeft ? positionKey(cellIt->row, cellIt->col) : UINT64_MAX;
    const uint64_t noteKey = noteLeft ? positionKey(notes[noteIt]->row, notes[noteIt]->col) : UINT64_MAX;
    const xls::CellEntry* entry = cellKey <= noteKey ? &*cellIt : nullptr;
    const xls::NoteEntry* note = noteKey <= cellKey ? notes[noteIt] : nullptr;
    const uint32_t row = entry ? entry->row : note->row;
    const uint16_t col = entry ? entry->col : note->col;
    const ModelCell cell(sheet, row, col, entry, note);
    if (keep(cell)) visit(cell);
    if (entry) ++cellIt;
    if (note) {
      // One note per position: a second NOTE record for the same cell is not shown by Excel either.
      const uint64_t key = noteKey;
      while (noteIt < notes.size() && positionKey(notes[noteIt]->row, notes[noteIt]->col) == key) ++noteIt;
    }
  }
}

}  // namespace

void ModelBookView::visitUsedCells(std::size_t sheetIndex, const std::function<void(const UsedCell&)>& visit) const {
  walkUsedCells(sheetAt(sheetIndex), [](const ModelCell&) { return true; }, visit);
}

// The formula test on each stored cell, without a call through the visitor for the others.
void ModelBookView::visitFormulaCells(std::size_t sheetIndex, const std::function<void(const UsedCell&)>& visit) const {
  walkUsedCells(sheetAt(sheetIndex), [](const ModelCell& c) { return c.formulaStartsWithEquals(); }, visit);
}

// Only the notes are walked; each note's cell is looked up in the sorted cell list.
void ModelBookView::visitNotedCells(std::size_t sheetIndex, const std::function<void(const UsedCell&)>& visit) const {
  const xls::Worksheet& sheet = sheetAt(sheetIndex);
  const xls::SheetData& data = sheet.data();
  const auto [r1, r2, c1, c2] = usedBounds(sheet);
  const std::vector<const xls::NoteEntry*> notes = notesInRange(data, r1, r2, c1, c2);
  const auto& cells = data.cells;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const xls::NoteEntry* note = notes[i];
    const uint64_t key = positionKey(note->row, note->col);
    if (i > 0 && positionKey(notes[i - 1]->row, notes[i - 1]->col) == key) continue;  // the first note counts
    auto it = std::lower_bound(cells.begin(), cells.end(), key,
                               [](const xls::CellEntry& c, uint64_t k) { return positionKey(c.row, c.col) < k; });
    const xls::CellEntry* entry = it != cells.end() && positionKey(it->row, it->col) == key ? &*it : nullptr;
    const ModelCell cell(sheet, note->row, note->col, entry, note);
    if (cell.hasNote()) visit(cell);
  }
}

std::vector<ComponentInfo> ModelBookView::components() const {
  if (!components_) {
    std::vector<ComponentInfo> out;
    if (auto project = xls::vba::VbaProject::read(book_.compoundFile())) {
      for (const auto& c : project->components()) out.push_back(ComponentInfo{c.typeNumber(), c.Name});
    }
    components_ = std::move(out);
  }
  return *components_;
}

std::vector<NameInfo> ModelBookView::names() const {
  std::vector<NameInfo> out;
  for (int i = 1; i <= book_.nameCount(); ++i) {
    const xls::Name n = book_.nameItem(i);
    NameInfo info{n.name(), n.refersTo(), std::nullopt};
    try {
      info.rangeAddress = n.refersToRangeAddress();
    } catch (const VbError&) {
      // Constants, formulas and references outside this workbook have no range.
    }
    out.push_back(std::move(info));
  }
  return out;
}

}  // namespace zel::workbook

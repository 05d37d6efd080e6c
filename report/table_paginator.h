// Puts the items of a table report on pages: page header and footer, column headings at the
// top of every frame, group headings (repeated with "（続き）" on a new page), records wrapped
// to their column widths and split across pages when taller than a page.
// Pages are found in one pass that keeps only where each page starts; a page's boxes are
// built when it is asked for, so a long listing costs little memory.
#pragma once
#include "report/page_model.h"
#include "report/report_data.h"
#include "report/text_measure.h"

#include <string>
#include <vector>

namespace zel::report {

class TablePaginator {
 public:
  TablePaginator(const ReportData& data, TextMeasurer& measurer);

  PaperSize paper() const { return paper_; }
  int pageCount();               // paginates the whole report on first use
  Page page(int index);          // 0-based; index must be < pageCount()

 private:
  struct Cursor {
    size_t item = 0;
    std::vector<int> linesDone;              // lines of each cell already printed (split record)
    std::vector<std::string> groupText;      // current heading per group level
    int section = -1;
    std::vector<std::string> prevCells;      // record above, for hidden duplicates
  };
  struct Geometry {
    std::vector<ColumnDef> columns;
    std::vector<double> x, w;  // offsets within a frame, widths
  };
  struct Frame;
  // Wrapped lines of every cell of a record (or total line).
  struct Cells {
    std::vector<std::vector<std::string>> lines;
    std::vector<FontRole> roles;
  };
  // The last record wrapped, so a record split over many pages is wrapped once, not per page.
  struct WrapCache {
    size_t item = static_cast<size_t>(-1);
    std::vector<bool> hidden;
    Cells cells;
  };

  void paginate();
  // Lays out one page from `c`, advancing it; adds boxes to `out` when not null.
  void layoutPage(Cursor& c, Page* out, int pageIndex);
  // Each place* function puts the item at c.item on the frame and advances c, or returns
  // false when the frame has no room left for it.
  void fillFrame(Cursor& c, Frame& f);
  void continueOpenGroups(Cursor& c, Frame& f);
  static bool room(const Frame& f, double h);
  bool placeSectionTitle(Cursor& c, Frame& f);
  bool placeGroupHeader(Cursor& c, Frame& f);
  bool placeNoData(Cursor& c, Frame& f);
  bool placeRecord(Cursor& c, Frame& f);
  void columnHeadings(Frame& f, int section);
  double headingsHeight(const Frame& f, int section) const;
  void groupBand(Frame& f, int level, const std::string& text, bool continued);
  double needForNextRecord(size_t from);
  const Cells& wrapCells(const Cursor& c, const Item& it);
  void pageHeaderAndFooter(Page& out, int pageIndex);

  const ReportData& data_;
  TextMeasurer& m_;
  PaperSize paper_;
  std::vector<Geometry> geometry_;  // per section
  double frameWidth_ = 0;
  std::vector<Cursor> starts_;
  bool complete_ = false;
  WrapCache wrapped_;
};

// Height of the page header band and footer band (the body lies between).
inline constexpr double kHeaderBandMm = 21.0;
inline constexpr double kFooterBandMm = 7.0;
inline constexpr double kFrameGapMm = 8.0;

}  // namespace zel::report

// The analyses' view of a workbook opened by the reader (xls::Workbook and its macro project).
#pragma once
#include "workbook/book_view.h"
#include "xls/excel_model.h"

#include <optional>
#include <vector>

namespace zel::xls::vba {
class VbaProject;
}

namespace zel::workbook {

class ModelBookView final : public BookView {
 public:
  // The components are read from the workbook's macro project on first use; withComponents
  // false shows none (a project whose code is not read: locked or damaged).
  explicit ModelBookView(const xls::Workbook& book, bool withComponents = true) : book_(book) {
    if (!withComponents) components_.emplace();
  }

  std::string fullName() const override { return book_.fullName(); }
  PropertyRead documentProperty(int index) const override;
  bool writtenByOtherVersion() const override;
  std::vector<std::string> linkSources(int type) const override { return book_.linkSources(type); }
  std::vector<std::string> sheetNames() const override;
  UsedRangeSize usedRange(std::size_t sheet) const override;
  int64_t shapeCount(std::size_t sheet) const override;
  int visibleValue(std::size_t sheet) const override;
  void visitUsedCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const override;
  void visitFormulaCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const override;
  void visitNotedCells(std::size_t sheet, const std::function<void(const UsedCell&)>& visit) const override;
  std::vector<ComponentInfo> components() const override;
  std::vector<NameInfo> names() const override;

 private:
  const xls::Worksheet& sheetAt(std::size_t sheet) const;
  const xls::Workbook& book_;
  mutable std::optional<std::vector<ComponentInfo>> components_;
};

}  // namespace zel::workbook

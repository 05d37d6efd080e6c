// Header defaults of a newly opened workbook.
#include "analyses/header_defaults.h"

#include "core/vbstring.h"

namespace zel::analyses {
namespace {

bool blank(const std::string& s) { return vb::trim(s).empty(); }

}  // namespace

HeaderTexts headerDefaults(const DatValues& dat, const OpenedWorkbook& opened, const std::string& today) {
  HeaderTexts h;
  h.Title = dat.DatTitle.empty() ? kDefaultTitle : dat.DatTitle;
  h.Company = blank(dat.DatKisya) ? opened.company : dat.DatKisya;
  h.Bumon = blank(dat.DatBumon) ? std::string() : dat.DatBumon;
  h.CreateDate = today;
  h.System = opened.title;
  h.Auther = opened.author;
  return h;
}

std::string zoomDefault(const DatValues& dat) { return blank(dat.DatZoom) ? kDefaultZoom : dat.DatZoom; }

}  // namespace zel::analyses

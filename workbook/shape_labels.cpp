// Shape classifiers: tables of labels by name initial, dash style and object kind.
#include "workbook/shape_labels.h"

#include "core/vbstring.h"
#include "xls/drawing/sheet_drawing.h"

namespace zel::workbook {
namespace {

// The first two characters, upper-cased (UTF-16 units, as VB's Left and UCase count).
std::u16string firstTwoUpper(std::string_view name) { return vb::ucase(vb::left(toU16(name), 2)); }

}  // namespace

std::string ShapeKindLabel(std::string_view name) {
  const std::u16string text = toU16(name);
  if (text.empty()) return "ERROR";
  switch (text.front()) {
    case u'A': return "ｵｰﾄｼｪｲﾌﾟ";
    case u'B': return "ボタン";
    case u'C': return firstTwoUpper(name) == u"CO" ? "コメント" : "グラフ";
    case u'L': return "直線";
    case u'O': return firstTwoUpper(name) == u"OB" ? "オブジェクト" : "楕円";
    case u'P': return "ピクチャ";
    case u'R': return "四角形";
    case u'T': return "ﾃｷｽﾄﾎﾞｯｸｽ";
    default: return "ERROR";
  }
}

std::string FillCheck(std::string_view name) {
  const std::u16string two = firstTwoUpper(name);
  if (two == u"CH" || two == u"CO" || two == u"LI" || two == u"OB") return "ERROR";
  return "";
}

std::string LineStyleLabel(long value) {
  switch (value) {
    case 1: return "実線";
    case -4115: return "破線";
    case 4: return "破線・点線";
    case 5: return "破線１点線２";
    case -4118: return "点線";
    case -4119: return "二重線";
    case 13: return "破線・点線斜め";
    case -4142: return "線なし";
    default: return "ERROR";
  }
}

long borderLineOfDashStyle(int dashStyle, bool lined) {
  namespace dash = xls::drawing::dash;
  if (!lined) return -4142;
  switch (dashStyle) {
    case dash::Solid: return 1;
    case dash::Dash:
    case dash::LongDash: return -4115;
    case dash::DashDot:
    case dash::LongDashDot: return 4;
    case dash::DashDotDot: return 5;
    case dash::RoundDot:
    case dash::SquareDot: return -4118;
    default: return 0;
  }
}

std::string objectKindLabel(uint16_t objectKind) {
  namespace kind = xls::drawing::kind;
  switch (objectKind) {
    case kind::OfficeArt: return "ｵｰﾄｼｪｲﾌﾟ";
    case kind::Button: return "ボタン";
    case kind::Note: return "コメント";
    case kind::Chart: return "グラフ";
    case kind::Line: return "直線";
    case kind::Oval: return "楕円";
    case kind::Picture: return "ピクチャ";
    case kind::Rectangle: return "四角形";
    case kind::TextBox: return "ﾃｷｽﾄﾎﾞｯｸｽ";
    case kind::CheckBox: return "ﾁｪｯｸﾎﾞｯｸｽ";
    case kind::OptionButton: return "ｵﾌﾟｼｮﾝﾎﾞﾀﾝ";
    case kind::ListBox: return "ﾘｽﾄﾎﾞｯｸｽ";
    case kind::DropDown: return "ﾄﾞﾛｯﾌﾟﾀﾞｳﾝ";
    case kind::GroupBox: return "ｸﾞﾙｰﾌﾟﾎﾞｯｸｽ";
    case kind::Label: return "ﾗﾍﾞﾙ";
    case kind::Spinner: return "ｽﾋﾟﾝﾎﾞﾀﾝ";
    case kind::ScrollBar: return "ｽｸﾛｰﾙﾊﾞｰ";
    case kind::EditBox: return "ｴﾃﾞｨｯﾄﾎﾞｯｸｽ";
    case kind::Group: return "ｸﾞﾙｰﾌﾟ";
    case kind::Arc: return "円弧";
    case kind::Polygon: return "ﾌﾘｰﾌｫｰﾑ";
    default: return "オブジェクト";
  }
}

}  // namespace zel::workbook

// Excel 97's English default shape names: the object kind's word and the object id.
#include "xls/drawing/sheet_drawing.h"

namespace zel::xls::drawing {

std::string defaultShapeName(uint16_t objectKind, uint16_t objectId, bool embeddedObject) {
  const std::string number = " " + std::to_string(objectId);
  if (embeddedObject) return "Object" + number;
  const char* word = "Object";
  switch (objectKind) {
    case kind::Group: word = "Group"; break;
    case kind::Line: word = "Line"; break;
    case kind::Rectangle: word = "Rectangle"; break;
    case kind::Oval: word = "Oval"; break;
    case kind::Arc: word = "Arc"; break;
    case kind::Chart: word = "Chart"; break;
    case kind::TextBox: word = "Text Box"; break;
    case kind::Button: word = "Button"; break;
    case kind::Picture: word = "Picture"; break;
    case kind::Polygon: word = "Freeform"; break;
    case kind::CheckBox: word = "Check Box"; break;
    case kind::OptionButton: word = "Option Button"; break;
    case kind::EditBox: word = "Edit Box"; break;
    case kind::Label: word = "Label"; break;
    case kind::DialogBox: word = "Dialog Frame"; break;
    case kind::Spinner: word = "Spinner"; break;
    case kind::ScrollBar: word = "Scroll Bar"; break;
    case kind::ListBox: word = "List Box"; break;
    case kind::GroupBox: word = "Group Box"; break;
    case kind::DropDown: word = "Drop Down"; break;
    case kind::Note: word = "Comment"; break;
    case kind::OfficeArt: word = "AutoShape"; break;
    default: break;
  }
  return word + number;
}

}  // namespace zel::xls::drawing

// The classifiers of the shape list: kind labels from a shape's name or object kind, the
// text-reading check, and line-style labels.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zel::workbook {

// By the first character of the name (the initials of Excel's default names); "ERROR" when
// the name begins with anything else.
std::string ShapeKindLabel(std::string_view name);
// "ERROR" when the name begins with "CH", "CO", "LI" or "OB" (any case): charts, comments,
// lines and objects carry no text to read; "" otherwise.
std::string FillCheck(std::string_view name);
// The label of one of Excel's border-line constants (1, -4115, 4, 5, -4118, -4119, 13, -4142).
std::string LineStyleLabel(long value);

// A shape's Line.DashStyle (msoLineDashStyle) translated by meaning into the border-line
// constant LineStyleLabel takes; -4142 (no line) when the shape draws no line. Values outside
// the dash-style family give 0, which LineStyleLabel labels "ERROR".
long borderLineOfDashStyle(int dashStyle, bool lined);

// The label of a shape by its object kind (FtCmo ot), for shapes whose name is not one of
// Excel's defaults: the name-table label where the kind has one, else the control's own.
std::string objectKindLabel(uint16_t objectKind);

}  // namespace zel::workbook

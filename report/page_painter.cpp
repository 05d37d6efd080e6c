// Painting of the page model. Fonts take their point sizes from the device resolution, so the
// same page looks alike in the PDF, on paper and in the preview.
#include "report/page_painter.h"

#include "report/report_fonts.h"
#include "report/rule_batches.h"
#include "report/shape_geometry.h"
#include "report/sheet_cell_style.h"
#include "report/text_measure.h"

#include <QBrush>
#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>


namespace zel::report {
namespace {

Qt::Alignment alignmentOf(Align a) {
  switch (a) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    case Align::Left: break;
  }
  return Qt::AlignLeft;
}

bool isCornerPunctuation(char32_t c) { return c == U'、' || c == U'。' || c == U'，' || c == U'．'; }

void paintVertical(QPainter& p, const PageText& t, const QRectF& r, double dotsPerMm) {
  const QFont font = makeFont(t.font, t.bold, t.scale);
  p.setFont(font);
  const QFontMetricsF fm(font, p.device());
  const double em = fontSpec(t.font).pointSize * t.scale * 25.4 / 72.0 * dotsPerMm;
  double y = r.top();
  for (char32_t c : toU32(t.text)) {
    const char32_t cp[1] = {c};
    const QString s = QString::fromUcs4(cp, 1);
    if (c < 0x80) {
      // Latin characters lie on their side, reading downwards.
      const double adv = fm.horizontalAdvance(s);
      p.save();
      p.translate(r.left() + r.width() / 2, y + adv / 2);
      p.rotate(90);
      p.drawText(QRectF(-adv / 2, -em / 2, adv, em), Qt::AlignCenter, s);
      p.restore();
      y += adv;
    } else if (isTurnedInVertical(c)) {
      p.save();
      p.translate(r.left() + r.width() / 2, y + em / 2);
      p.rotate(90);
      p.drawText(QRectF(-em / 2, -em / 2, em, em), Qt::AlignCenter, s);
      p.restore();
      y += em;
    } else if (isCornerPunctuation(c)) {
      p.drawText(QRectF(r.left() + em * 0.55, y - em * 0.55, em, em), Qt::AlignCenter, s);
      y += em;
    } else {
      p.drawText(QRectF(r.left() + (r.width() - em) / 2, y, em, em), Qt::AlignCenter, s);
      y += em;
    }
  }
}

// A fill pattern as a brush: the 8 x 8 mask in the two colours, one dot per patternCellMm.
QBrush patternBrush(const PageFill& f, double dotsPerMm) {
  const uint8_t* rows = fillPatternRows(f.pattern);
  QImage img(8, 8, QImage::Format_RGB32);
  const QRgb fore = static_cast<QRgb>(f.rgb) | 0xFF000000u, back = f.backRgb | 0xFF000000u;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) img.setPixel(x, y, (rows[y] >> (7 - x)) & 1 ? fore : back);
  QBrush brush(img);
  const double dot = std::max(f.patternCellMm * dotsPerMm, 0.5);
  brush.setTransform(QTransform::fromScale(dot, dot));
  return brush;
}

// Dash lengths in pixels of the sheet at 100 %, converted to Qt's units of the pen width.
QList<qreal> dashPattern(LineDash d, double penWidthDots, double dotsPerMm) {
  QList<qreal> px;
  const double unit = 25.4 / 96.0 * dotsPerMm / std::max(penWidthDots, 0.01);
  for (double v : dashLengthsPx(d)) px.push_back(v * unit);
  return px;
}

QPointF dots(PointMm p, double dotsPerMm) { return {p.x * dotsPerMm, p.y * dotsPerMm}; }

void paintArrowhead(QPainter& p, PointMm from, PointMm tip, double lineWidthMm, double dotsPerMm) {
  const auto corners = arrowhead(from, tip, lineWidthMm);
  if (!corners) return;
  const QPointF tri[3] = {dots((*corners)[0], dotsPerMm), dots((*corners)[1], dotsPerMm), dots((*corners)[2], dotsPerMm)};
  p.save();
  p.setBrush(p.pen().color());
  p.setPen(Qt::NoPen);
  p.drawPolygon(tri, 3);
  p.restore();
}

void paintFreeText(QPainter& p, const PageText& t, const QRectF& r, double dotsPerMm);

// A polyline or polygon of the page model.
void paintPath(QPainter& p, const PagePath& path, double dotsPerMm) {
  if (path.points.size() < 2) return;
  QPolygonF poly;
  for (const PointMm& pt : path.points) poly << QPointF(pt.x * dotsPerMm, pt.y * dotsPerMm);
  QPen pen(Qt::NoPen);
  if (path.lineRgb >= 0) {
    pen = QPen(QColor::fromRgb(static_cast<QRgb>(path.lineRgb)));
    pen.setWidthF(std::max(0.5, path.lineWidthMm * dotsPerMm));
    pen.setJoinStyle(Qt::MiterJoin);
    if (path.dash != LineDash::Solid) pen.setDashPattern(dashPattern(path.dash, pen.widthF(), dotsPerMm));
  }
  p.setPen(pen);
  if (path.closed) {
    p.setBrush(path.fillRgb >= 0 ? QBrush(QColor::fromRgb(static_cast<QRgb>(path.fillRgb))) : QBrush(Qt::NoBrush));
    p.drawPolygon(poly);
  } else {
    p.drawPolyline(poly);
  }
}

// A chart's drawing at its shape's box (the shape's clip already set).
void paintChart(QPainter& p, const PageShape& s, double dotsPerMm) {
  if (!s.chart) return;
  p.save();
  p.translate(s.box.x * dotsPerMm, s.box.y * dotsPerMm);
  for (const PagePath& path : s.chart->paths) paintPath(p, path, dotsPerMm);
  for (const PageText& t : s.chart->texts)
    paintFreeText(p, t, QRectF(t.box.x * dotsPerMm, t.box.y * dotsPerMm, t.box.w * dotsPerMm, t.box.h * dotsPerMm), dotsPerMm);
  p.restore();
}

// A shape's outline, fill or picture, turned about its centre, then its laid-out text.
void paintShape(QPainter& p, const PageShape& s, double dotsPerMm) {
  auto rect = [&](const BoxMm& b) { return QRectF(b.x * dotsPerMm, b.y * dotsPerMm, b.w * dotsPerMm, b.h * dotsPerMm); };
  const QRectF r = rect(s.box);
  p.save();
  if (s.clip.w > 0) p.setClipRect(rect(s.clip));
  p.save();
  if (s.rotation != 0) {
    p.translate(r.center());
    p.rotate(s.rotation);
    p.translate(-r.center());
  }
  QPen pen(Qt::NoPen);
  if (s.lineRgb >= 0) {
    pen = QPen(QColor::fromRgb(static_cast<QRgb>(s.lineRgb)));
    pen.setWidthF(std::max(0.5, s.lineWidthMm * dotsPerMm));
    if (s.dash != LineDash::Solid) pen.setDashPattern(dashPattern(s.dash, pen.widthF(), dotsPerMm));
  }
  p.setPen(pen);
  p.setBrush(s.fillRgb >= 0 ? QBrush(QColor::fromRgb(static_cast<QRgb>(s.fillRgb))) : QBrush(Qt::NoBrush));
  switch (s.kind) {
    case PageShape::Kind::Oval: p.drawEllipse(r); break;
    case PageShape::Kind::Line: {
      const auto [a, b] = lineEnds(s);
      p.drawLine(dots(a, dotsPerMm), dots(b, dotsPerMm));
      if (s.lineRgb >= 0 && s.startArrow) paintArrowhead(p, b, a, s.lineWidthMm, dotsPerMm);
      if (s.lineRgb >= 0 && s.endArrow) paintArrowhead(p, a, b, s.lineWidthMm, dotsPerMm);
      break;
    }
    case PageShape::Kind::Picture: {
      QImage img;
      if (s.image && img.loadFromData(s.image->data(), static_cast<int>(s.image->size()))) {
        p.drawImage(r, img);
      } else {
        p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
      }
      break;
    }
    case PageShape::Kind::Chart: paintChart(p, s, dotsPerMm); break;
    case PageShape::Kind::Freeform: {
      const QBrush brush = p.brush();
      for (const OutlinePath& part : outlinePaths(s.outline)) {
        QPainterPath path;
        for (const PathStep& step : part.steps) {
          const QPointF a = dots(step.p[0], dotsPerMm);
          switch (step.op) {
            case PathStep::Op::Move: path.moveTo(a); break;
            case PathStep::Op::Line: path.lineTo(a); break;
            case PathStep::Op::Curve: path.cubicTo(a, dots(step.p[1], dotsPerMm), dots(step.p[2], dotsPerMm)); break;
            case PathStep::Op::Close: path.closeSubpath(); break;
            default: break;
          }
        }
        p.setPen(part.stroked ? pen : QPen(Qt::NoPen));
        p.setBrush(part.filled ? brush : QBrush(Qt::NoBrush));
        p.drawPath(path);
      }
      break;
    }
    case PageShape::Kind::Rectangle:
    case PageShape::Kind::Placeholder: p.drawRect(r); break;
  }
  p.restore();
  for (const auto& t : s.texts) paintFreeText(p, t, rect(t.box), dotsPerMm);
  p.restore();
}

// Text in a font of its own (printed sheets), optionally clipped to its cell.
void paintFreeText(QPainter& p, const PageText& t, const QRectF& r, double dotsPerMm) {
  QFont font(QString::fromUtf8(t.family));
  font.setPointSizeF(t.pointSize);
  font.setBold(t.bold);
  font.setItalic(t.italic);
  font.setUnderline(t.underline);
  p.save();
  if (t.clip.w > 0) {
    p.setClipRect(QRectF(t.clip.x * dotsPerMm, t.clip.y * dotsPerMm, t.clip.w * dotsPerMm, t.clip.h * dotsPerMm),
                  p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  p.setFont(font);
  p.setPen(QColor::fromRgb(static_cast<QRgb>(t.rgb)));
  if (t.rotation != 0) {
    p.translate(r.center());
    p.rotate(-t.rotation);
    p.drawText(QRectF(-r.width() / 2, -r.height() / 2, r.width(), r.height()),
               Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
               QString::fromUtf8(t.text.data(), static_cast<int>(t.text.size())));
    p.restore();
    return;
  }
  p.drawText(r, alignmentOf(t.align) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
             QString::fromUtf8(t.text.data(), static_cast<int>(t.text.size())));
  p.restore();
}

}  // namespace

void paintPage(QPainter& p, const Page& page, double dotsPerMm) {
  auto rect = [&](const BoxMm& b) { return QRectF(b.x * dotsPerMm, b.y * dotsPerMm, b.w * dotsPerMm, b.h * dotsPerMm); };
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  // Fills of one colour in one go, rules of one style as one set of lines (see rule_batches).
  for (const FillBatch& batch : batchFills(page.fills)) {
    const PageFill& f = *batch.style;
    const QBrush brush = f.pattern > 1 && f.rgb >= 0
                             ? patternBrush(f, dotsPerMm)
                             : QBrush(f.rgb >= 0 ? QColor::fromRgb(static_cast<QRgb>(f.rgb)) : QColor(f.gray, f.gray, f.gray));
    for (const BoxMm& b : batch.boxes) p.fillRect(rect(b), brush);
  }
  QList<QLineF> lines;
  for (const RuleBatch& batch : batchRules(page.rules)) {
    const PageRule& r = *batch.style;
    QPen pen(r.light ? QColor(170, 170, 170) : QColor::fromRgb(static_cast<QRgb>(r.rgb)));
    pen.setWidthF(std::max(0.5, r.widthMm * dotsPerMm));
    if (r.dash != LineDash::Solid) pen.setDashPattern(dashPattern(r.dash, pen.widthF(), dotsPerMm));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    lines.clear();
    for (const Segment& seg : batch.segments)
      lines.push_back(QLineF(seg.a.x * dotsPerMm, seg.a.y * dotsPerMm, seg.b.x * dotsPerMm, seg.b.y * dotsPerMm));
    p.drawLines(lines);
  }
  p.setPen(Qt::black);
  FontRole lastRole = FontRole::Body;
  bool lastBold = false, fontSet = false;
  for (const auto& t : page.texts) {
    const QRectF r = rect(t.box);
    if (t.vertical) {
      paintVertical(p, t, r, dotsPerMm);
      fontSet = false;
      continue;
    }
    if (t.pointSize > 0) {
      paintFreeText(p, t, r, dotsPerMm);
      fontSet = false;
      continue;
    }
    if (!fontSet || t.font != lastRole || t.bold != lastBold) {
      p.setFont(makeFont(t.font, t.bold));
      lastRole = t.font;
      lastBold = t.bold;
      fontSet = true;
    }
    p.drawText(r, alignmentOf(t.align) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
               QString::fromUtf8(t.text.data(), static_cast<int>(t.text.size())));
  }
  for (const auto& s : page.shapes) paintShape(p, s, dotsPerMm);
  p.restore();
}

}  // namespace zel::report

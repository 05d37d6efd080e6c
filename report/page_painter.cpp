// Painting of the page model. Fonts take their point sizes from the device resolution, so the
// same page looks alike in the PDF, on paper and in the preview.
#include "report/page_painter.h"

#include "report/report_fonts.h"
#include "report/text_measure.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

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

// Text in a font of its own (printed sheets), optionally clipped to its cell.
void paintFreeText(QPainter& p, const PageText& t, const QRectF& r, double dotsPerMm) {
  QFont font(QString::fromUtf8(t.family));
  font.setPointSizeF(t.pointSize);
  font.setBold(t.bold);
  font.setItalic(t.italic);
  font.setUnderline(t.underline);
  p.save();
  if (t.clip.w > 0) {
    p.setClipRect(QRectF(t.clip.x * dotsPerMm, t.clip.y * dotsPerMm, t.clip.w * dotsPerMm, t.clip.h * dotsPerMm));
  }
  p.setFont(font);
  p.setPen(QColor::fromRgb(static_cast<QRgb>(t.rgb)));
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
  for (const auto& f : page.fills) {
    const QColor c = f.rgb >= 0 ? QColor::fromRgb(static_cast<QRgb>(f.rgb)) : QColor(f.gray, f.gray, f.gray);
    p.fillRect(rect(f.box), c);
  }
  for (const auto& r : page.rules) {
    QPen pen(r.light ? QColor(170, 170, 170) : QColor::fromRgb(static_cast<QRgb>(r.rgb)));
    if (r.dashed) pen.setStyle(Qt::DashLine);
    pen.setWidthF(std::max(0.5, r.widthMm * dotsPerMm));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(QPointF(r.x1 * dotsPerMm, r.y1 * dotsPerMm), QPointF(r.x2 * dotsPerMm, r.y2 * dotsPerMm));
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
  p.restore();
}

}  // namespace zel::report

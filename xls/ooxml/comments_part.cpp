// xl/commentsN.xml: each note's cell, author and text (rich-text runs joined) as the sheet's
// notes, sorted by position as the model looks them up.
#include "xls/ooxml/part_readers.h"
#include "xls/ooxml/xml_number.h"

#include <algorithm>

namespace zel::xls::ooxml {

namespace {
constexpr size_t kMaxNotes = 65536;
}

void readCommentsPart(XmlReader& xml, SheetData& sheet) {
  std::vector<std::string> authors;
  while (xml.next()) {
    if (!xml.isStart()) continue;
    std::string_view n = xml.localName();
    if (n == "author") {
      if (authors.size() < kMaxNotes) authors.push_back(xml.text());
    } else if (n == "comment") {
      auto pos = parseCellReference(xml.attr("ref").value_or(""));
      const size_t author = xmlInteger<size_t>(xml.attrView("authorId").value_or("")).value_or(SIZE_MAX);
      std::string text;
      if (!xml.isEmptyElement()) {
        while (xml.next()) {
          std::string_view m = xml.localName();
          if (!xml.isStart()) {
            if (m == "comment") break;
            continue;
          }
          if (m == "rPh") xml.skip();
          else if (m == "t") text += xml.text();
        }
      }
      if (!pos || pos->col >= kMaxColumns || sheet.notes.size() >= kMaxNotes) continue;
      NoteEntry note;
      note.row = pos->row;
      note.col = static_cast<uint16_t>(pos->col);
      note.author = author < authors.size() ? authors[author] : std::string();
      note.text = std::move(text);
      sheet.notes.push_back(std::move(note));
    }
  }
  std::stable_sort(sheet.notes.begin(), sheet.notes.end(), [](const NoteEntry& a, const NoteEntry& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  });
}

}  // namespace zel::xls::ooxml

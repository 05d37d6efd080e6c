// Document properties through libgsf's property-set reader; glib stays in this file.
#include "xls/document_properties.h"
#include "xls/gsf_handles.h"

#include <gsf/gsf-doc-meta-data.h>
#include <gsf/gsf-docprop-vector.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-meta-names.h>
#include <gsf/gsf-msole-utils.h>
#include <gsf/gsf-timestamp.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>

#include "core/vb_error.h"
#include "xls/number_format.h"
#include "xls/user_property_set.h"

namespace zel::xls {
namespace {


// gsf's names for each built-in property, in Excel's index order; alternatives after '|'.
const char* const kGsfNames[kBuiltinPropertyCount] = {
    GSF_META_NAME_TITLE,           GSF_META_NAME_SUBJECT,         GSF_META_NAME_CREATOR,
    GSF_META_NAME_KEYWORD "|" GSF_META_NAME_KEYWORDS, GSF_META_NAME_DESCRIPTION, GSF_META_NAME_TEMPLATE,
    GSF_META_NAME_LAST_SAVED_BY,   GSF_META_NAME_REVISION_COUNT,  GSF_META_NAME_GENERATOR,
    GSF_META_NAME_LAST_PRINTED "|" GSF_META_NAME_PRINT_DATE, GSF_META_NAME_DATE_CREATED, GSF_META_NAME_DATE_MODIFIED,
    GSF_META_NAME_EDITING_DURATION, GSF_META_NAME_PAGE_COUNT,     GSF_META_NAME_WORD_COUNT,
    GSF_META_NAME_CHARACTER_COUNT, GSF_META_NAME_SECURITY,        GSF_META_NAME_CATEGORY,
    GSF_META_NAME_PRESENTATION_FORMAT, GSF_META_NAME_MANAGER,     GSF_META_NAME_COMPANY,
    GSF_META_NAME_BYTE_COUNT,      GSF_META_NAME_LINE_COUNT,      GSF_META_NAME_PARAGRAPH_COUNT,
    GSF_META_NAME_SLIDE_COUNT,     GSF_META_NAME_NOTE_COUNT,      GSF_META_NAME_HIDDEN_SLIDE_COUNT,
    GSF_META_NAME_MM_CLIP_COUNT,   "_PID_LINKBASE"};

const char* const kNames[kBuiltinPropertyCount] = {
    "Title", "Subject", "Author", "Keywords", "Comments", "Template", "Last author", "Revision number",
    "Application name", "Last print date", "Creation date", "Last save time", "Total editing time",
    "Number of pages", "Number of words", "Number of characters", "Security", "Category", "Format",
    "Manager", "Company", "Number of bytes", "Number of lines", "Number of paragraphs", "Number of slides",
    "Number of notes", "Number of hidden slides", "Number of multimedia clips", "Hyperlink base"};

constexpr int kTotalEditingTime = 13;

constexpr double kSerial1970 = 25569.0;              // 1970-01-01 as a date serial
// (0 - 11644473600) modulo 2^32: what gsf makes of a FILETIME of zero.
constexpr uint32_t kZeroFiletimeTimet = 1240428288u;

PropertyValue fromGValue(const GValue* v, int index) {
  PropertyValue out;
  if (!v) return out;
  if (G_VALUE_HOLDS_STRING(v)) {
    const char* s = g_value_get_string(v);
    out.kind = PropertyValue::Kind::Text;
    out.text = s ? s : "";
  } else if (G_VALUE_HOLDS_INT(v)) {
    out.kind = PropertyValue::Kind::Number;
    out.number = g_value_get_int(v);
  } else if (G_VALUE_HOLDS_UINT(v)) {
    out.kind = PropertyValue::Kind::Number;
    out.number = g_value_get_uint(v);
  } else if (G_VALUE_HOLDS_BOOLEAN(v)) {
    out.kind = PropertyValue::Kind::Number;
    out.number = g_value_get_boolean(v) ? -1 : 0;
  } else if (G_VALUE_HOLDS_DOUBLE(v)) {
    out.kind = PropertyValue::Kind::Number;
    out.number = g_value_get_double(v);
  } else if (VAL_IS_GSF_TIMESTAMP(v)) {
    auto* ts = static_cast<const GsfTimestamp*>(g_value_get_boxed(v));
    if (!ts) return out;
    // gsf keeps a FILETIME as seconds since 1970 (UTC) in 32 bits, wrapping values before
    // 1970: a zero FILETIME ("never") and durations land just after kZeroFiletimeTimet.
    auto seconds = static_cast<int64_t>(ts->timet);
    if (index == kTotalEditingTime) {
      uint32_t duration = ts->timet - kZeroFiletimeTimet;
      out.kind = PropertyValue::Kind::Number;
      out.number = std::floor(duration / 60.0);
    } else if (ts->timet == kZeroFiletimeTimet) {
      return out;  // a zero date: the property is not set
    } else {
      out.kind = PropertyValue::Kind::Date;
      out.number = localDateSerial(seconds);
    }
  }
  return out;
}

// Reads a property set into meta; with `bytes`, the stream is read whole first (once) and both
// gsf and the caller read that copy.
void readSet(GsfInfile* root, const char* stream, GsfDocMetaData* meta, std::vector<uint8_t>* bytes = nullptr) {
  std::unique_ptr<GsfInput, GObjectUnref> in(gsf_infile_child_by_name(root, stream));
  if (!in) return;
  if (bytes) {
    const gsf_off_t size = gsf_input_size(in.get());
    if (size > 0 && static_cast<uint64_t>(size) <= kMaxStreamBytes) {
      bytes->resize(static_cast<size_t>(size));
      if (gsf_input_read(in.get(), bytes->size(), bytes->data())) {
        in.reset(gsf_input_memory_new(bytes->data(), static_cast<gsf_off_t>(bytes->size()), FALSE));
      } else {
        bytes->clear();  // damaged: gsf reads what it can the usual way
        gsf_input_seek(in.get(), 0, G_SEEK_SET);
      }
    }
  }
  GError* err = gsf_doc_meta_data_read_from_msole(meta, in.get());
  if (err) g_error_free(err);  // a damaged set leaves what could be read
}

constexpr size_t kMaxWarnings = 10;

}  // namespace

double localDateSerial(int64_t unixSeconds) {
  // Shown in local time, as Excel shows it.
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  double offset = localtime_r(&t, &local) ? static_cast<double>(local.tm_gmtoff) : 0.0;
  return kSerial1970 + (static_cast<double>(unixSeconds) + offset) / 86400.0;
}

std::string PropertyValue::toText() const {
  switch (kind) {
    case Kind::Empty: return "";
    case Kind::Text: return text;
    case Kind::Number: return formulaNumberText(number);
    case Kind::Boolean: return number != 0 ? "True" : "False";
    case Kind::Date: {
      DateParts p;
      double rounded = std::round(number * 86400.0) / 86400.0;
      if (!serialToDate(rounded, false, p)) return formulaNumberText(number);
      char buf[64];
      if (p.hour == 0 && p.minute == 0 && p.second == 0)
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", p.year, p.month, p.day);
      else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
      return buf;
    }
  }
  return "";
}

DocumentProperties DocumentProperties::read(const CompoundFile& file) {
  const LibraryMessageCapture capture = file.captureLibraryMessages();
  DocumentProperties props;
  auto* root = static_cast<GsfInfile*>(file.rawInfile());
  if (!root) return props;
  std::unique_ptr<GsfDocMetaData, GObjectUnref> meta(gsf_doc_meta_data_new());
  readSet(root, "\005SummaryInformation", meta.get());
  std::vector<uint8_t> summary;
  readSet(root, "\005DocumentSummaryInformation", meta.get(), &summary);
  readUserDefinedProperties(summary, props);
  for (int i = 0; i < kBuiltinPropertyCount; ++i) {
    std::string names = kGsfNames[i];
    size_t start = 0;
    while (start <= names.size()) {
      size_t bar = names.find('|', start);
      std::string one = names.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      if (GsfDocProp* prop = gsf_doc_meta_data_lookup(meta.get(), one.c_str())) {
        PropertyValue v = fromGValue(gsf_doc_prop_get_val(prop), i + 1);
        if (v.kind != PropertyValue::Kind::Empty) {
          props.values_[i] = std::move(v);
          props.present_[i] = true;
          break;
        }
      }
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
  }
  return props;
}

const char* DocumentProperties::name(int index) {
  return index >= 1 && index <= kBuiltinPropertyCount ? kNames[index - 1] : "";
}

const PropertyValue& DocumentProperties::value(int index) const {
  if (index < 1 || index > kBuiltinPropertyCount) throw VbError(5, "Invalid procedure call or argument");
  if ((index == 10 || index == 11) && !present_[index - 1])
    throw VbError(err::Automation, std::string("Automation error: the workbook has no ") + kNames[index - 1]);
  return values_[index - 1];
}

bool DocumentProperties::present(int index) const {
  return index >= 1 && index <= kBuiltinPropertyCount && present_[index - 1];
}

void DocumentProperties::set(int index, PropertyValue v) {
  if (index < 1 || index > kBuiltinPropertyCount) return;
  present_[index - 1] = v.kind != PropertyValue::Kind::Empty;
  values_[index - 1] = std::move(v);
}

bool DocumentProperties::addCustom(std::string name, PropertyValue v) {
  if (customFull_) return false;
  if (name.size() > kMaxCustomTextBytes || v.text.size() > kMaxCustomTextBytes) {
    warn("custom document properties: a property with a name or text over " + std::to_string(kMaxCustomTextBytes) +
         " bytes was skipped");
    return true;
  }
  const size_t bytes = name.size() + v.text.size();
  if (custom_.size() >= kMaxCustomProperties || customBytes_ + bytes > kMaxCustomTotalBytes) {
    customFull_ = true;
    warn(custom_.size() >= kMaxCustomProperties
             ? "custom document properties: more than " + std::to_string(kMaxCustomProperties) + "; the rest were skipped"
             : "custom document properties: more than " + std::to_string(kMaxCustomTotalBytes) +
                   " bytes of text; the rest were skipped");
    return false;
  }
  customBytes_ += bytes;
  custom_.push_back({std::move(name), std::move(v)});
  return true;
}

void DocumentProperties::warn(std::string text) {
  if (warnings_.size() < kMaxWarnings) warnings_.push_back(std::move(text));
  else ++warningsLeftOut_;
}

std::vector<std::string> DocumentProperties::warnings() const {
  std::vector<std::string> out = warnings_;
  if (warningsLeftOut_ > 0)
    out.push_back("custom document properties: " + std::to_string(warningsLeftOut_) + " further damaged entries skipped");
  return out;
}

}  // namespace zel::xls

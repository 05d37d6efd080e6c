// Reading the macro project: dir stream (module order, names, streams, source offsets),
// PROJECT stream (component kinds, protection), each module's compressed source and each
// form's designer text.
#include "core/vbstring.h"
#include "xls/vba/dir_stream.h"
#include "xls/vba/export_file_name.h"
#include "xls/vba/module_limits.h"
#include "xls/vba/module_export.h"
#include "xls/vba/ovba_decompress.h"
#include "xls/vba/vba_format_error.h"
#include "xls/vba/vba_project.h"

#include <map>

namespace zel::xls::vba {

namespace {

// The project storage of an .xls; an Office 2007+ package's vbaProject.bin holds the same
// storages at its root.
constexpr const char* kProjectStorage = "_VBA_PROJECT_CUR";
constexpr const char* kDesignerStream = "\003VBFrame";
// The class id in VB_Base that marks the workbook's own module and a class module.
constexpr std::string_view kWorkbookClassId = "00020819-0000-0000-C000-000000000046";
constexpr std::string_view kClassModuleClassId = "FCFB3D2A-A0FA-1068-A738-08002B3371B5";

std::string upper(std::string_view s) { return vb::ucase(s); }

// The children of one storage, indexed once: by exact name, and by name in upper case (compound
// file names compare without case; the first child of a folded name wins).
class ChildIndex {
 public:
  ChildIndex(const CompoundFile& file, const std::string& storage) : storage_(storage) {
    for (const auto& c : file.children(storage)) {
      exact_.emplace(c, c);
      folded_.emplace(upper(c), c);
    }
  }
  // The child named `name`: the exact name, else one that differs only in case. Names
  // holding "/" cannot be addressed.
  std::optional<std::string> find(const std::string& name) const {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    if (auto it = exact_.find(name); it != exact_.end()) return storage_ + "/" + it->second;
    if (auto it = folded_.find(upper(name)); it != folded_.end()) return storage_ + "/" + it->second;
    return std::nullopt;
  }

 private:
  std::string storage_;
  std::map<std::string, std::string> exact_, folded_;
};

std::string_view asText(const std::vector<uint8_t>& b) {
  return std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
}

// The value of the VB_Base attribute line in the source's leading attributes ("" if none).
std::string vbBase(std::string_view source) {
  for (std::string_view line : splitSourceLines(source)) {
    if (line.substr(0, 10) != "Attribute ") break;
    if (line.substr(0, 17) == "Attribute VB_Base") return std::string(line);
  }
  return {};
}

}  // namespace

class VbaProjectReader {
 public:
  VbaProjectReader(const CompoundFile& file, std::string projectStorage)
      : file_(file),
        projectStorage_(std::move(projectStorage)),
        vbaStorage_(projectStorage_ + "/VBA"),
        projectChildren_(file, projectStorage_),
        vbaChildren_(file, vbaStorage_) {}

  VbaProject read() {
    auto dirBytes = file_.readStream(vbaStorage_ + "/dir");
    if (!dirBytes) throw VbaFormatError("the VBA/dir stream is missing");
    auto projectBytes = file_.readStream(projectStorage_ + "/PROJECT");
    if (!projectBytes) throw VbaFormatError("the PROJECT stream is missing");

    ProjectDirectory dir = readDirStream(decompressContainer(*dirBytes, kMaxDirStreamBytes));
    ProjectStream declared = readProjectStream(*projectBytes);

    codePage_ = dir.codePage;
    // The kinds the PROJECT stream names, decoded once; the first line of a name wins.
    for (const auto& d : declared.components) declaredKinds_.emplace(upper(decodeCodePage(d.name, codePage_)), d.type);
    VbaProject p;
    p.codePage_ = dir.codePage;
    p.protection_ = declared.protection;
    std::vector<std::pair<std::string, std::string>> fileParts;
    for (const DirModule& m : dir.modules) {
      VbaComponent c;
      VbaProject::Module data;
      std::string codePageName = decodeCodePage(m.name, dir.codePage);
      c.Name = m.nameUnicode.empty() ? codePageName : toU8(m.nameUnicode);
      readSource(m, dir.codePage, data);
      c.Type = typeOf(m, codePageName, c.Name, data.source);
      if (c.Type == ComponentType::Form) data.designer = designerText(c.Name, dir.codePage);
      std::string base = upper(vbBase(data.source));
      c.workbookModule = c.Type == ComponentType::Document &&
                         (upper(c.Name) == "THISWORKBOOK" || base.find(kWorkbookClassId) != std::string::npos);
      fileParts.emplace_back(safeFileStem(c.Name), exportExtension(c.Type, c.workbookModule));
      p.components_.push_back(std::move(c));
      p.modules_.push_back(std::move(data));
    }
    auto names = uniqueExportFileNames(fileParts);
    for (size_t i = 0; i < names.size(); ++i) p.components_[i].FileName = names[i];
    return p;
  }

 private:
  // The kind named by the PROJECT stream; a module it does not name is judged by its dir
  // record and its source: procedural = standard, a form designer = form, the class
  // module base = class, anything else a document module.
  ComponentType typeOf(const DirModule& m, const std::string& codePageName, const std::string& name,
                       const std::string& source) {
    if (auto it = declaredKinds_.find(upper(codePageName)); it != declaredKinds_.end()) return it->second;
    if (auto it = declaredKinds_.find(upper(name)); it != declaredKinds_.end()) return it->second;
    if (m.procedural) return ComponentType::Standard;
    if (auto storage = projectChildren_.find(name); storage && file_.exists(*storage + "/" + kDesignerStream))
      return ComponentType::Form;
    if (upper(vbBase(source)).find(kClassModuleClassId) != std::string::npos) return ComponentType::Class;
    return ComponentType::Document;
  }

  void readSource(const DirModule& m, int codePage, VbaProject::Module& out) {
    std::string stream = m.streamNameUnicode.empty() ? decodeCodePage(m.streamName, codePage) : toU8(m.streamNameUnicode);
    try {
      if (!m.hasTextOffset) throw VbaFormatError("module has no source offset");
      auto path = vbaChildren_.find(stream);
      if (!path) throw VbaFormatError("module stream '" + stream + "' is missing");
      const std::vector<uint8_t>& bytes = streamBytes(*path);
      if (m.textOffset >= bytes.size()) throw VbaFormatError("source offset lies past the end of the module stream");
      size_t budget = std::min(kMaxModuleSourceBytes, kMaxProjectSourceBytes - sourceBytes_);
      auto raw = decompressContainer(std::span<const uint8_t>(bytes).subspan(m.textOffset), budget);
      sourceBytes_ += raw.size();
      out.source = decodeCodePage(asText(raw), codePage);
      // A module beyond what the editor can hold is damaged: it fails before any row is written.
      if (std::string breach = editorLimitBreach(out.source); !breach.empty()) {
        out.source.clear();
        throw VbaFormatError(breach);
      }
    } catch (const VbError& e) {
      out.error = e.description();
    } catch (const CompoundFileError& e) {
      out.error = e.what();
    }
  }

  // Module streams are read once each, however many modules name them.
  const std::vector<uint8_t>& streamBytes(const std::string& path) {
    auto it = streams_.find(path);
    if (it == streams_.end()) {
      auto bytes = file_.readStream(path);
      if (!bytes) throw VbaFormatError("module stream '" + path + "' is not a stream");
      it = streams_.emplace(path, std::move(*bytes)).first;
    }
    return it->second;
  }

  std::optional<std::string> designerText(const std::string& formName, int codePage) {
    try {
      auto storage = projectChildren_.find(formName);
      if (!storage) return std::nullopt;
      auto bytes = file_.readStream(*storage + "/" + kDesignerStream);
      if (!bytes) return std::nullopt;
      if (bytes->size() > kMaxDesignerStreamBytes) bytes->resize(kMaxDesignerStreamBytes);
      return decodeCodePage(asText(*bytes), codePage);
    } catch (const CompoundFileError&) {
      return std::nullopt;  // the form is still exported, with an empty designer block
    }
  }

  const CompoundFile& file_;
  std::string projectStorage_, vbaStorage_;
  ChildIndex projectChildren_, vbaChildren_;
  std::map<std::string, ComponentType> declaredKinds_;  // PROJECT stream kinds by upper-case name
  int codePage_ = 1252;
  size_t sourceBytes_ = 0;
  std::map<std::string, std::vector<uint8_t>> streams_;
};

std::optional<VbaProject> VbaProject::read(const CompoundFile& file) {
  if (file.isStorage(kProjectStorage)) return VbaProjectReader(file, kProjectStorage).read();
  if (file.isStorage("VBA") && file.exists("PROJECT")) return VbaProjectReader(file, "").read();
  return std::nullopt;
}

}  // namespace zel::xls::vba

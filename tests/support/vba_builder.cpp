// Macro project builder for tests. Sources are compressed greedily (or stored as raw chunks);
// the dir stream carries the usual project records around the module records so that
// skipping them is exercised too.
#include "support/vba_builder.h"
#include "support/biff_builder.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace zel::test {
namespace {

constexpr const char* kProjectId = "{8E4C4F12-3B1A-4C7D-9A55-0123456789AB}";

void putU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}
void record(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& data) {
  putU16(out, id);
  putU32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}
std::vector<uint8_t> u16Bytes(const std::u16string& s) {
  std::vector<uint8_t> b;
  for (char16_t c : s) putU16(b, static_cast<uint16_t>(c));
  return b;
}
std::vector<uint8_t> le16(uint16_t v) { return Bytes().u16(v).data(); }
std::vector<uint8_t> le32(uint32_t v) { return Bytes().u32(v).data(); }
std::u16string asciiU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};

// One chunk's tokens: the longest earlier match of 3 bytes or more becomes a copy token,
// everything else a literal (a plain greedy compressor, as the format allows).
std::vector<uint8_t> compressChunk(const uint8_t* in, size_t n) {
  std::vector<uint8_t> body;
  size_t p = 0;
  while (p < n) {
    size_t flagAt = body.size();
    body.push_back(0);
    for (int bit = 0; bit < 8 && p < n; ++bit) {
      unsigned bits = 4;
      while ((size_t{1} << bits) < p) ++bits;
      size_t maxLength = (0xFFFFu >> bits) + 3;
      size_t bestLength = 0, bestOffset = 0;
      size_t window = std::min(p, size_t{1} << bits);
      for (size_t offset = 1; offset <= window; ++offset) {
        size_t length = 0;
        while (length < maxLength && p + length < n && in[p + length] == in[p - offset + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestOffset = offset;
        }
      }
      if (bestLength >= 3) {
        uint16_t token = static_cast<uint16_t>(((bestOffset - 1) << (16 - bits)) | (bestLength - 3));
        putU16(body, token);
        body[flagAt] = static_cast<uint8_t>(body[flagAt] | (1u << bit));
        p += bestLength;
      } else {
        body.push_back(in[p++]);
      }
    }
  }
  return body;
}

}  // namespace

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> compressVba(const std::string& raw, bool useRawChunks) {
  std::vector<uint8_t> out{0x01};
  const auto* data = reinterpret_cast<const uint8_t*>(raw.data());
  for (size_t start = 0; start < raw.size(); start += 4096) {
    size_t n = std::min<size_t>(4096, raw.size() - start);
    std::vector<uint8_t> body = useRawChunks && n == 4096 ? std::vector<uint8_t>{} : compressChunk(data + start, n);
    if (body.empty() || body.size() > 4096) {
      if (n != 4096) throw std::runtime_error("compressVba: a short last chunk does not compress");
      putU16(out, 0x3FFF);  // size 4098, signature 3, stored raw
      out.insert(out.end(), data + start, data + start + n);
      continue;
    }
    putU16(out, static_cast<uint16_t>(0xB000 | ((body.size() + 2 - 3) & 0x0FFF)));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

std::string encodeProjectData(const std::vector<uint8_t>& data, uint8_t seed, const std::string& projectId) {
  uint8_t projKey = 0;
  for (char c : projectId) projKey = static_cast<uint8_t>(projKey + static_cast<uint8_t>(c));
  std::vector<uint8_t> out{seed, static_cast<uint8_t>(seed ^ 2), static_cast<uint8_t>(seed ^ projKey)};
  uint8_t plain1 = projKey, enc1 = out[2], enc2 = out[1];
  auto put = [&](uint8_t plain) {
    uint8_t enc = static_cast<uint8_t>(plain ^ static_cast<uint8_t>(enc2 + plain1));
    out.push_back(enc);
    enc2 = enc1;
    enc1 = enc;
    plain1 = plain;
  };
  for (int i = 0; i < (seed & 6) / 2; ++i) put(0x07);
  for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>((data.size() >> (8 * i)) & 0xFF));
  for (uint8_t b : data) put(b);
  static const char* hex = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : out) {
    text += hex[b >> 4];
    text += hex[b & 0xF];
  }
  return text;
}

std::vector<uint8_t> buildDirStream(const VbaProjectSpec& spec) {
  std::vector<uint8_t> d;
  record(d, 0x0001, le32(1));        // PROJECTSYSKIND: 32-bit Windows
  record(d, 0x0002, le32(0x0409));   // PROJECTLCID
  record(d, 0x0014, le32(0x0409));   // PROJECTLCIDINVOKE
  record(d, 0x0003, le16(spec.codePage));
  record(d, 0x0004, bytesOf("VBAProject"));
  record(d, 0x0005, {});
  record(d, 0x0040, {});
  record(d, 0x0006, {});
  record(d, 0x003D, {});
  record(d, 0x0007, le32(0));
  record(d, 0x0008, le32(0));
  putU16(d, 0x0009);  // PROJECTVERSION: reserved 4, major 4, minor 2
  putU32(d, 4);
  putU32(d, 0x5A2F1D3C);
  putU16(d, 6);
  record(d, 0x000C, {});
  record(d, 0x003C, {});
  // One registered reference, as every real project has.
  record(d, 0x0016, bytesOf("stdole"));
  record(d, 0x003E, u16Bytes(u"stdole"));
  std::string libid = "*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\Windows\\system32\\stdole2.tlb#OLE Automation";
  std::vector<uint8_t> reg = le32(static_cast<uint32_t>(libid.size()));
  reg.insert(reg.end(), libid.begin(), libid.end());
  putU32(reg, 0);
  putU16(reg, 0);
  record(d, 0x000D, reg);
  record(d, 0x000F, le16(static_cast<uint16_t>(spec.modules.size())));
  record(d, 0x0013, le16(0xFFFF));
  for (const auto& m : spec.modules) {
    std::string stream = m.streamName.value_or(m.name);
    record(d, 0x0019, bytesOf(m.name));
    if (!m.unicodeName.empty()) record(d, 0x0047, u16Bytes(m.unicodeName));
    record(d, 0x001A, bytesOf(stream));
    record(d, 0x0032, m.unicodeName.empty() || m.streamName ? u16Bytes(asciiU16(stream)) : u16Bytes(m.unicodeName));
    record(d, 0x001C, {});
    record(d, 0x0048, {});
    record(d, 0x0031, le32(m.textOffset.value_or(m.cacheBytes)));
    record(d, 0x001E, le32(0));
    record(d, 0x002C, le16(0xFFFF));
    record(d, m.type == 1 ? 0x0021 : 0x0022, {});
    record(d, 0x002B, {});
  }
  record(d, 0x0010, {});
  return d;
}

namespace {
std::string buildProjectStream(const VbaProjectSpec& spec) {
  std::string p = std::string("ID=\"") + kProjectId + "\"\r\n";
  for (const auto& m : spec.modules) {
    switch (m.type) {
      case 1: p += "Module=" + m.name + "\r\n"; break;
      case 2: p += "Class=" + m.name + "\r\n"; break;
      case 3: p += "Package={AC9F2F90-E877-11CE-9F68-00AA00574A4F}\r\nBaseClass=" + m.name + "\r\n"; break;
      case 100: p += "Document=" + m.name + "/&H00000000\r\n"; break;
      default: break;
    }
  }
  p += "Name=\"VBAProject\"\r\nHelpContextID=\"0\"\r\nVersionCompatible32=\"393222000\"\r\n";
  std::vector<uint8_t> hash{0x00};
  if (spec.password) {
    hash.assign(29, 0x5A);
    hash[0] = 0xFF;
    hash[28] = 0x00;
  }
  p += "CMG=\"" + encodeProjectData(spec.visibility == 0xFF ? le32(0) : le32(1), 0x4D, kProjectId) + "\"\r\n";
  p += "DPB=\"" + encodeProjectData(hash, 0x32, kProjectId) + "\"\r\n";
  p += "GC=\"" + encodeProjectData({spec.visibility}, 0x17, kProjectId) + "\"\r\n";
  p += "\r\n[Host Extender Info]\r\n&H00000001={3832D640-CF90-11CF-8E43-00A0C911005A};VBE;&H00000000\r\n";
  p += "\r\n[Workspace]\r\n";
  for (const auto& m : spec.modules) p += m.name + "=0, 0, 0, 0, C\r\n";
  return p;
}
}  // namespace

StreamList vbaWorkbookStreams(const VbaProjectSpec& spec) {
  StreamList s;
  s.emplace_back("Workbook", std::vector<uint8_t>{});
  s.emplace_back("_VBA_PROJECT_CUR/PROJECT", bytesOf(buildProjectStream(spec)));
  auto dir = buildDirStream(spec);
  s.emplace_back("_VBA_PROJECT_CUR/VBA/dir", compressVba(std::string(dir.begin(), dir.end())));
  s.emplace_back("_VBA_PROJECT_CUR/VBA/_VBA_PROJECT", std::vector<uint8_t>{0xCC, 0x61, 0xFF, 0xFF, 0x00, 0x00, 0x00});
  for (const auto& m : spec.modules) {
    std::vector<uint8_t> stream(m.cacheBytes, 0xA5);  // stands for the compiled-code cache
    auto compressed = compressVba(m.source, spec.useRawChunks);
    stream.insert(stream.end(), compressed.begin(), compressed.end());
    std::string cfb = m.cfbName.empty() ? m.streamName.value_or(m.name) : m.cfbName;
    s.emplace_back("_VBA_PROJECT_CUR/VBA/" + cfb, std::move(stream));
    if (m.designer) s.emplace_back("_VBA_PROJECT_CUR/" + cfb + "/\003VBFrame", bytesOf(*m.designer));
  }
  return s;
}

std::vector<uint8_t> buildCompoundFile(const StreamList& streams) {
  gsf_init();
  std::unique_ptr<GsfOutput, Unref> sink(gsf_output_memory_new());
  std::unique_ptr<GsfOutfile, Unref> root(gsf_outfile_msole_new(sink.get()));
  if (!root) throw std::runtime_error("cannot create compound file");
  // Storages by path, created on first use and closed deepest first after every stream.
  std::map<std::string, std::unique_ptr<GsfOutfile, Unref>> storages;
  std::vector<std::string> order;
  auto storageFor = [&](const std::string& path) -> GsfOutfile* {
    GsfOutfile* parent = root.get();
    std::string prefix;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
      std::string part = path.substr(start, slash - start);
      prefix += (prefix.empty() ? "" : "/") + part;
      auto it = storages.find(prefix);
      if (it == storages.end()) {
        auto* child = GSF_OUTFILE(gsf_outfile_new_child(parent, part.c_str(), TRUE));
        it = storages.emplace(prefix, std::unique_ptr<GsfOutfile, Unref>(child)).first;
        order.push_back(prefix);
      }
      parent = it->second.get();
    }
    return parent;
  };
  for (const auto& [path, bytes] : streams) {
    GsfOutfile* parent = storageFor(path);
    std::string leaf = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    std::unique_ptr<GsfOutput, Unref> out(gsf_outfile_new_child(parent, leaf.c_str(), FALSE));
    if (!bytes.empty()) gsf_output_write(out.get(), bytes.size(), bytes.data());
    gsf_output_close(out.get());
  }
  std::sort(order.begin(), order.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
  });
  for (const auto& p : order) gsf_output_close(GSF_OUTPUT(storages[p].get()));
  gsf_output_close(GSF_OUTPUT(root.get()));
  auto* mem = GSF_OUTPUT_MEMORY(sink.get());
  const guint8* data = gsf_output_memory_get_bytes(mem);
  gsf_off_t size = gsf_output_size(sink.get());
  if (!data) throw std::runtime_error("compound file could not be written");
  return std::vector<uint8_t>(data, data + size);
}

void writeMacroWorkbook(const std::string& path, const VbaProjectSpec& spec) {
  BiffBuilder b;
  b.addSheet("Sheet1");
  for (const auto& [name, bytes] : vbaWorkbookStreams(spec))
    if (name != "Workbook") b.addStream(name, bytes);
  b.write(path);
}

VbaProjectSpec lockedProject() {
  VbaProjectSpec spec;
  VbaModuleSpec m;
  m.name = "Secret";
  m.source = "Attribute VB_Name = \"Secret\"\r\nSub Hidden()\r\nEnd Sub\r\n";
  spec.modules = {m};
  spec.visibility = 0x00;
  spec.password = true;
  return spec;
}

}  // namespace zel::test

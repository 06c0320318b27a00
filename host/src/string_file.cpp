#include "c4d_file.h"
#include "c4d_string.h"

#include "c4dhost_runtime.h"
#include "runtime_internal.h"

#include <cstdlib>
#include <cstring>

namespace {
// Decodes UTF-8 into code points; false for malformed input.
bool DecodeUtf8(const std::string& s, std::vector<uint32_t>& out) {
  out.clear();
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0;
    size_t extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are malformed.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    out.push_back(cp);
    i += extra + 1;
  }
  return true;
}

char* CopyOut(const std::string& s) {
  char* p = static_cast<char*>(std::malloc(s.size() + 1));
  if (!p) return nullptr;
  std::memcpy(p, s.data(), s.size());
  p[s.size()] = '\0';
  return p;
}
}  // namespace

void String::SetCString(const Char* cstr, Int count, STRINGENCODING type) {
  if (!cstr) {
    bytes_.clear();
    return;
  }
  const size_t n = count < 0 ? std::strlen(cstr) : size_t(count);
  if (type == STRINGENCODING::UTF8) {
    bytes_.assign(cstr, n);
    return;
  }
  // 8-bit: one character per byte.
  bytes_.clear();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(cstr[i]);
    if (c < 0x80) {
      bytes_ += char(c);
    } else {
      bytes_ += char(0xC0 | (c >> 6));
      bytes_ += char(0x80 | (c & 0x3F));
    }
  }
}

Char* String::GetCStringCopy(STRINGENCODING type) const {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(bytes_, cps)) return nullptr;
  if (type == STRINGENCODING::UTF8) return CopyOut(bytes_);
  std::string out;
  for (uint32_t cp : cps) {
    if (cp > 0xFF) return nullptr;
    out += char(cp);
  }
  return CopyOut(out);
}

namespace {
size_t LastSlash(const std::string& p) { return p.find_last_of('/'); }
}  // namespace

String Filename::GetFileString() const {
  const size_t s = LastSlash(path_);
  return String(s == std::string::npos ? path_ : path_.substr(s + 1));
}

Filename Filename::GetDirectory() const {
  const size_t s = LastSlash(path_);
  if (s == std::string::npos) return Filename();
  if (s == 0) return Filename("/");
  return Filename(path_.substr(0, s).c_str());
}

String Filename::GetSuffix() const {
  const std::string file = GetFileString().GetUtf8();
  const size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return String();
  return String(file.substr(dot + 1));
}

void Filename::SetDirectory(const Filename& dir) {
  const std::string file = GetFileString().GetUtf8();
  std::string d = dir.path_;
  if (file.empty()) {
    path_ = d;
    return;
  }
  if (d.empty()) {
    path_ = file;
    return;
  }
  if (d.back() != '/') d += '/';
  path_ = d + file;
}

void Filename::SetFile(const Filename& file) {
  const size_t s = LastSlash(path_);
  std::string dir;
  if (s != std::string::npos)
    dir = path_.substr(0, s + 1);
  else if (!path_.empty())
    dir = path_ + "/";
  path_ = dir + file.path_;
}

void Filename::SetSuffix(const maxon::String& suffix) {
  const size_t s = LastSlash(path_);
  const size_t fileStart = s == std::string::npos ? 0 : s + 1;
  const size_t dot = path_.find_last_of('.');
  if (dot != std::string::npos && dot > fileStart) path_.erase(dot);
  if (suffix.IsPopulated() && path_.size() > fileStart) path_ += "." + suffix.GetUtf8();
}

Filename Filename::operator+(const Filename& part) const {
  if (path_.empty()) return part;
  std::string p = path_;
  if (p.back() != '/') p += '/';
  return Filename((p + part.path_).c_str());
}

Bool Filename::FileSelect(FILESELECTTYPE type, FILESELECT flags, const maxon::String& title,
                          const maxon::String& force_suffix) {
  c4dhost::FileDialogRequest request;
  request.title = title.GetUtf8();
  request.preset = path_;
  request.forceSuffix = force_suffix.GetUtf8();
  request.type = type;
  request.flags = flags;
  std::string answer;
  if (!c4dhost_internal::AnswerFileDialog(request, answer)) return false;
  path_ = answer;
  if (force_suffix.IsPopulated() && answer != "-" && GetSuffix().IsEmpty() &&
      GetFileString().IsPopulated())
    path_ += "." + force_suffix.GetUtf8();
  if (flags == FILESELECT::SAVE && c4dhost_internal::RefusesSaveTarget(path_)) return false;
  return true;
}

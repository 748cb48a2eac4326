#include "tools/printable_stream.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace ridirodev::tool {
namespace {

// Appends c, escaped when it is a control character. held keeps a 0xC2 byte until the next
// one says whether the two are a control character of the second range (U+0080 to U+009F).
void AppendEscaped(std::string& out, char ch, bool keepLines, bool& held) {
  const auto c = static_cast<unsigned char>(ch);
  char code[8];
  if (held) {
    held = false;
    if (c >= 0x80 && c <= 0x9F) {
      std::snprintf(code, sizeof code, "\\u%04X", c);
      out += code;
      return;
    }
    out += '\xC2';
  }
  if (c == 0xC2) {
    held = true;
  } else if (keepLines && (c == '\n' || c == '\t')) {
    out += ch;
  } else if (c == '\n' || c == '\t' || c == '\r') {
    out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
  } else if (c < 0x20 || c == 0x7F) {
    std::snprintf(code, sizeof code, "\\x%02X", c);
    out += code;
  } else {
    out += ch;
  }
}

}  // namespace

bool IsControl(std::string_view text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  return c < 0x20 || c == 0x7F ||
         (c == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F &&
          static_cast<unsigned char>(text[at + 1]) >= 0x80);
}

std::string Printable(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && !IsControl(text, at)) ++at;
  if (at == text.size()) return std::string(text);
  std::string out(text.substr(0, at));
  bool held = false;
  for (; at < text.size(); ++at) AppendEscaped(out, text[at], false, held);
  if (held) out += '\xC2';
  return out;
}

PrintableStream::PrintableStream(std::ostream& stream) : stream_(stream), target_(stream.rdbuf(this)) {}

PrintableStream::~PrintableStream() {
  if (held_) target_->sputc('\xC2');
  stream_.rdbuf(target_);
}

PrintableStream::int_type PrintableStream::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize PrintableStream::xsputn(const char* s, std::streamsize n) {
  std::string out;
  out.reserve(static_cast<size_t>(n));
  for (std::streamsize i = 0; i < n; ++i) AppendEscaped(out, s[i], true, held_);
  const auto size = static_cast<std::streamsize>(out.size());
  return target_->sputn(out.data(), size) == size ? n : 0;
}

int PrintableStream::sync() { return target_->pubsync(); }

}  // namespace ridirodev::tool

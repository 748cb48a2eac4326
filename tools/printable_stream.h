#pragma once

// The escaping of control characters in what the tool prints, so that a stored text cannot
// drive the terminal or break a table's lines.

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace ridirodev::tool {

// Whether a control character begins at text[at]: one byte below 0x20 or 0x7F, or the two
// bytes of U+0080 to U+009F.
bool IsControl(std::string_view text, size_t at);

// The text with each control character escaped (\n, \t, \r, \x1B, \u009B), so that a stored
// text cannot drive the terminal or break a table's lines.
std::string Printable(std::string_view text);

// While it lives, what is written to stream is passed on with its control characters escaped
// as Printable does, apart from line feeds and tabs.
class PrintableStream : public std::streambuf {
 public:
  explicit PrintableStream(std::ostream& stream);
  ~PrintableStream() override;
  PrintableStream(const PrintableStream&) = delete;
  PrintableStream& operator=(const PrintableStream&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::ostream& stream_;
  std::streambuf* target_;
  bool held_ = false;  // a byte that may begin a control character of two bytes
};

}  // namespace ridirodev::tool

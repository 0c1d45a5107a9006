#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zentomi {

// A strict JSON reader over one text that reads the members it is asked for and skips the others
// without converting them, so a skipped value is accepted whatever it holds (numbers beyond any
// floating-point range, lone surrogate escapes, any depth of nesting). Every call either consumes
// what it read or reports failure; after a failure the position is unspecified.
class JsonScanner {
 public:
  explicit JsonScanner(std::string_view text) : text_(text) {}

  // Blank, tab, line feed and carriage return.
  void skip_white_space();
  bool at_end() const { return position_ == text_.size(); }
  // Consumes `c` when it is the next byte.
  bool consume(char c);
  bool consume_literal(std::string_view literal);
  bool next_is(char c) const { return position_ < text_.size() && text_[position_] == c; }

  // A string's decoded UTF-8 content; a lone surrogate escape fails here.
  std::optional<std::string> read_string();
  // A number's text, checked against the JSON grammar.
  std::optional<std::string_view> read_number();
  // Any one value, checked and not converted.
  bool skip_value();

 private:
  bool scan_string(std::string* decoded);
  bool scan_hex_unit(unsigned& unit);
  bool scan_digits();

  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace zentomi

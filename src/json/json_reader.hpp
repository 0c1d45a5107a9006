#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zentomi {

// A forward-only reader of JSON text for typed reading by hand: the caller walks the records it
// knows and skips everything else. Skipping checks only the grammar, so a value the reader could
// not hold (1e400, a 400-digit integer, a lone "\ud800") may sit in a member nobody reads.
// No call reads outside the text, and nesting costs no stack, whatever the bytes.
//
// Every document read through it follows one rule for repeated names: a member that the document
// reads into a field may be given once per object, and a second one makes the document invalid;
// members it skips may repeat, each one skipped. (A document whose member names are themselves
// its data, like the history's keys, says what a repeated one means.)
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  // The next character after white space (which is consumed), or nothing at the end.
  std::optional<char> peek();
  // Consumes `c` after white space when it comes next.
  bool consume(char c);
  // True when only white space is left.
  bool at_end();

  // A string value, unescaped. Nothing (with the position unspecified) when the next value is not
  // a well-formed string, including escapes that name a lone surrogate.
  std::optional<std::string> read_string();
  // A member name, unescaped like a string, except that an escape naming a lone surrogate reads as
  // U+FFFD: such a name is never one the caller knows, so its member is skipped like any unknown
  // one. Nothing when the string breaks the grammar.
  std::optional<std::string> read_name();
  // A number's text exactly as written, after checking its grammar.
  std::optional<std::string_view> read_number();
  // One of the words true, false, null.
  bool read_literal(std::string_view word);

  // Any one value. A skipped value only has to be well-formed; a checked one must also be one
  // that a typed reading could hold: strings without lone surrogates, floats in range.
  bool skip_value() { return pass_value(false); }
  bool check_value() { return pass_value(true); }

 private:
  // What a string's escapes of lone surrogates do: only their grammar is checked (skipping), they
  // make the string invalid (checking, reading), or they read as U+FFFD (names).
  enum class LoneSurrogates : unsigned char { Passed, Refused, Replaced };

  bool pass_value(bool checked);
  bool pass_string(LoneSurrogates lone, std::string* out);
  void skip_white_space();

  std::string_view text_;
  std::size_t position_ = 0;
};

// How a JSON number reads as a double: nothing when its magnitude is beyond the largest double
// (values too small for a double read as zero with their sign).
std::optional<double> json_number_value(std::string_view number);

// Whether the number is written as an integer (no fraction, no exponent).
bool is_json_integer(std::string_view number);

// The shortest text that reads back as the same double, laid out as "12.0", "7.5", "0.00001",
// "1e16" or "1.5e-7": plain notation from 1e-5 up to (not including) 1e16, whole values ending in
// ".0"; otherwise one digit before the point and a plain exponent.
std::string shortest_float_text(double value);

}  // namespace zentomi

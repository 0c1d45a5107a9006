#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi {

// The scrapers read HTML with plain byte-substring operations; these are the ones they share.
// None of them fails and none reads outside its argument, whatever the bytes.

// First occurrence of `needle` at or after `from`; nothing when absent or `from` is past the end.
std::optional<std::size_t> find_from(std::string_view text, std::string_view needle,
                                     std::size_t from = 0);
std::optional<std::size_t> find_from(std::string_view text, char needle, std::size_t from = 0);

bool contains(std::string_view text, std::string_view needle);

// The text from just after the first `open` at or after `from` up to the next `close` after it.
std::optional<std::string_view> text_between(std::string_view text, std::string_view open,
                                             std::string_view close, std::size_t from = 0);

// The pieces between the occurrences of `marker`, the piece before the first one included (so a
// text without the marker gives one piece). An empty marker gives the whole text.
std::vector<std::string_view> split_at(std::string_view text, std::string_view marker);

// Where a "<div" element whose opening tag ends before `from` closes: the start of the "</div>"
// that balances the "<div" tags opened after `from`; nothing when it never closes.
std::optional<std::size_t> div_end(std::string_view text, std::size_t from);

// Every non-overlapping occurrence, left to right. An empty `from` changes nothing.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// White_Space characters removed at both ends, and throughout, the control characters that are
// not White_Space (C0, DEL, C1) and the bidirectional formatting controls: every text the site
// shows passes through here, and these would be drawn as boxes or reorder nothing we draw.
std::string trim(std::string_view text);

// The seven entities the site uses, in a fixed order of replace-all passes: &quot; &amp; &lt;
// &gt; &apos; &#39; &nbsp; (to an ordinary blank). Anything else passes through unchanged.
std::string decode_entities(std::string_view text);

// Drops tags (from "<" to ">"; a lone ">" is dropped too, an unclosed "<" swallows the rest),
// trims (as trim does), then decodes entities, so an encoded tag survives as text.
std::string strip_tags(std::string_view text);

}  // namespace zentomi

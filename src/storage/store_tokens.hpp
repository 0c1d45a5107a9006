#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentomi {

// The JSON grammar allows two kinds of token that the JSON library refuses: numbers beyond the
// range of a double (1e400, a 400-digit integer) and strings with an unpaired surrogate escape
// ("\ud800"). Where such a token is a value it becomes -1, which every known member refuses and
// an unknown member skips like any other value; where it is the name of a member inside a record
// (or deeper), each unpaired escape becomes \ufffd, which keeps the name unknown. Names of the
// store's own top level keep theirs and still fail. Every other byte is kept, so a document that
// breaks the grammar still fails. nullopt when nothing needs rewriting.
std::optional<std::string> neutralize_unreadable_tokens(std::string_view json);

}  // namespace zentomi

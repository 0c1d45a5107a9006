#pragma once

#include <string_view>

namespace zentomi {

// Names in the order people number things: runs of digits compare by their value ("Chap 2"
// before "Chap 10", "Vol.1 Ch.9" before "Vol.1 Ch.10"), letters without regard to ASCII case.
// Names equal in that sense ("Ch 01" and "Ch 1", "a" and "A") fall back to their bytes, so the
// order is total and the same on every card.
bool natural_less(std::string_view left, std::string_view right);

}  // namespace zentomi

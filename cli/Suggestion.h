#pragma once
#include <string>
#include <vector>

// The candidate a mistyped word most likely meant: the nearest by edit distance (letters
// inserted, deleted, replaced or two neighbours swapped), when it is within a third of the
// word's length; or the only candidate that starts with the word. Empty when none is close.
std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates);

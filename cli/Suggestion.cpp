#include "cli/Suggestion.h"

#include <algorithm>
#include <cstddef>

namespace {

// Optimal string alignment distance: Levenshtein plus the swap of two neighbouring letters,
// the commonest typing slip ("erase" as "earse").
std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates)
{
    if (typed.empty())
        return {};
    std::string nearest;
    std::size_t best = std::max<std::size_t>(1, (typed.size() + 2) / 3) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(typed, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    if (!nearest.empty())
        return nearest;
    std::string prefixed;
    for (const std::string& candidate : candidates) {
        if (candidate.compare(0, typed.size(), typed) != 0)
            continue;
        if (!prefixed.empty())
            return {};
        prefixed = candidate;
    }
    return prefixed;
}

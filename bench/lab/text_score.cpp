#include <algorithm>
#include <cctype>
#include <vector>

#include "lab/lab.h"

namespace kestrel::lab {

std::string normaliseText(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::size_t messageErrors(std::string_view sent, std::string_view received) {
    const std::string s = normaliseText(sent), r = normaliseText(received);
    // Semi-global alignment: the message must be matched whole, the received text may be
    // entered and left anywhere at no cost. Column j holds the cost of matching the
    // message's first i characters ending at received character j.
    std::vector<std::size_t> previous(r.size() + 1, 0), current(r.size() + 1);
    for (std::size_t i = 1; i <= s.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= r.size(); ++j)
            current[j] = std::min({previous[j - 1] + (s[i - 1] == r[j - 1] ? 0 : 1),
                                   previous[j] + 1, current[j - 1] + 1});
        std::swap(previous, current);
    }
    return *std::min_element(previous.begin(), previous.end());
}

double characterErrorRate(std::string_view sent, std::string_view received) {
    const std::size_t n = normaliseText(sent).size();
    return n == 0 ? 0.0 : static_cast<double>(messageErrors(sent, received)) / n;
}

std::size_t printingCharacters(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) n += c != ' ' && c != '\r' && c != '\n';
    return n;
}

}  // namespace kestrel::lab

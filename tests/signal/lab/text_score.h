#pragma once
// Scoring received text against the message that was sent.
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel::lab {

// Upper case, every run of blanks, carriage returns and line feeds made one space, no
// blank at either end: the form in which sent and received texts are compared.
std::string normaliseText(std::string_view text);

// Character errors of the message: the edit distance (substitutions, insertions,
// deletions) between the normalised message and the best-matching stretch of the
// normalised received text. What a decoder prints on the noise before and after the
// message is left out.
std::size_t messageErrors(std::string_view sent, std::string_view received);

// Characters that print something: all but blanks, carriage returns and line feeds.
std::size_t printingCharacters(std::string_view text);

// messageErrors over the number of characters of the normalised message.
double characterErrorRate(std::string_view sent, std::string_view received);

}  // namespace kestrel::lab

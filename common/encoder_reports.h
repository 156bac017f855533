// Reading the numbers out of what the encoder prints on its error stream: the length a probe
// reports and the position a conversion has reached.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace common {

// Leading blanks, an optional sign, then decimal digits up to the first other character.
// A text without a digit gives 0; a value beyond int wraps around.
int IntegerValue(std::string_view text);

// Whole seconds of the first "Duration: hh:mm:ss" in text, fields read by IntegerValue as far as
// the text goes. 0 when there is no "Duration: ".
int DurationSeconds(std::string_view text);

// The text between the first "time=" of chunk and the first "." after it; nullopt when either is
// missing from this chunk.
std::optional<std::string_view> ProgressTextOfChunk(std::string_view chunk);

// Seconds of a progress text as ProgressTextOfChunk cuts it: plain seconds ("51") or clock form
// ("01:02:03", hours of any width). nullopt for a text without a digit or a negative value.
std::optional<int> ProgressSeconds(std::string_view text);

}  // namespace common

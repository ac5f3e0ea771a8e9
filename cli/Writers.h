// exiftool's two line-oriented outputs: -T, a line a file with the selected
// tags' values separated by tabs ("-" for a tag the file lacks), and -p FMT,
// the format's lines with each $TAG, ${TAG} or ${GROUP:TAG} replaced by the
// tag's value ($TAG# its numbers, $$ a "$", $/ a line end). A body line
// naming a tag the file lacks is left out; lines starting #[HEAD] and
// #[TAIL] come before the first and after the last file, #[BODY] lines are
// body lines, #[IF] lines are not printed but the file's body is left out when
// a tag they name is missing, other lines starting with # are comments.
// Also -d's dates written with a strftime format.
#pragma once

#include <memory>
#include <string>

#include "cli/Formats.h"
#include "dialog/ParamsRows.h"

namespace cli {

std::unique_ptr<Formatter> MakeTableFormatter(const Options &options);
std::unique_ptr<Formatter> MakePrintFormatter(const Options &options);

// A date "YYYY:MM:DD HH:MM:SS" (or with "-" in the date and "T" before the
// time), with fractions of a second and a time zone after it when recorded,
// written with `format` (strftime's, with exiftool's %f for the fractions;
// %z is the recorded zone, empty without one). Any other text as it is.
std::string DateText(const std::string &value, const std::string &format);

// Every date value of the view's rows written with `format` (see DateText).
void ApplyDateFormat(params::ImageView &view, const std::string &format);

}  // namespace cli

// exiftool's -if for the simple conditions scripts write, not Perl:
//   $TAG                       true when the tag is there, not empty and not "0"
//   $TAG OP VALUE              OP: == != < <= > >= (as numbers), eq ne (as texts)
//   $TAG =~ /RE/  $TAG !~ /RE/ an ECMAScript regular expression; /RE/i ignores case
// joined by "and", "or" (also && ||), "not" (also !) and parentheses. A TAG is
// a name as on the command line (GROUP:NAME, wildcards), written $TAG or
// ${TAG}; a VALUE a number, a fraction such as 1/100, a quoted text, or
// another $TAG. A comparison naming a tag the file does not hold is false.
// A value is the shown text (with -n its numbers); a number is read from its
// start, "1/160" as 0.00625.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/Record.h"

namespace cli {

class Condition {
public:
    // Empty `error` on success, else why the expression cannot be read.
    static std::unique_ptr<Condition> Parse(const std::string &text, std::string &error);
    virtual ~Condition() = default;
    virtual bool Holds(const std::vector<Field> &fields, bool numeric) const = 0;
};

}  // namespace cli

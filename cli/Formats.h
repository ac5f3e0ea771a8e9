// The three output formats. Each turns one file's view into text for
// standard output (UTF-8); CSV keeps its rows in a temporary file until the
// end, when the header (the union of all files' keys) is known.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Record.h"
#include "dialog/ParamsRows.h"

namespace cli {

struct FileResult {
    std::string Name;  // as given or found (UTF-8)
    const params::ImageView &View;
    const std::vector<Field> &Fields;  // selected fields; filled for JSON, CSV and --tag
};

class Formatter {
public:
    virtual ~Formatter() = default;
    virtual std::string Begin() { return {}; }
    // Appends the file's text to `out` (a buffer the caller reuses).
    virtual void File(const FileResult &result, std::string &out) = 0;
    // Writes what follows the last file. False when the formatter could not
    // give all it was given (`error` says why); a failure of `out` is out's.
    virtual bool End(Output &, std::string &) { return true; }
};

// A field's value as one text: its numbers separated by blanks with
// `numeric` when it has any, else the text it shows.
std::string FieldText(const Field &field, bool numeric);

// `withHeaders`: the text format starts each file's block with "== FILE ==".
std::unique_ptr<Formatter> MakeFormatter(const Options &options, bool withHeaders);

// A text for a terminal: CR LF as LF, control characters escaped,
// UTF-8. Line breaks stay line breaks; those inside values are escaped
// before this is applied.
std::string TerminalText(const std::string &text);
// One value or name for a terminal: every control byte escaped, UTF-8.
std::string TerminalValue(const std::string &text);

}  // namespace cli

#!/usr/bin/env python3
"""exifinfo's values next to exiftool's on every real test file.

Both tools read the same files with numbers instead of display text
(`exifinfo -j -n -G`, `exiftool -j -n -G1`). A row both name alike must hold
the same value: numbers within a small relative tolerance, texts trimmed. A
maker note's group must not list far more rows than exiftool decodes from
the note: a note walked with the wrong byte order or layout gives hundreds
of rows of nothing. Differences that are known and reviewed (a row this
tool names as its product always did, a display convention, a fault being
mended elsewhere) are listed with their reason in accepted.txt; anything
else fails, with the offending values printed.

The keys are checked too: of exiftool's keys in the EXIF directories, IPTC,
XMP, the File, System and JFIF groups and the ICC profile's header and
description, less the tags this tool does not read
(`unread KEY reason` lines), the share that exifinfo gives under the same
key and with the same JSON type (number, text, list, true/false) must reach
each family's threshold (KEY_THRESHOLDS).

Usage: exiftool_differential.py EXIFINFO ACCEPTED FOLDER...
"""
import fnmatch
import json
import math
import os
import re
import subprocess
import sys

# Groups of the main directories, the containers and the derived rows: every
# other group of exifinfo's is a maker note's.
NON_MAKER_GROUPS = {"File", "IFD0", "IFD1", "IFD2", "ExifIFD", "GPS", "InteropIFD", "SubIFD", "SubIFD1",
                    "SubIFD2", "IPTC", "Composite", "MakerNotes"}
# exifinfo's group for the file's own facts; exiftool splits them in two.
FILE_GROUPS = ("File", "System")
# A maker group shows junk when it has more rows than this many times
# exiftool's, plus a margin for the rows exiftool leaves unnamed.
JUNK_FACTOR, JUNK_MARGIN = 2, 25
RELATIVE_TOLERANCE = 1e-3
# The families of exiftool's -G1 groups whose keys are checked, and the share
# of their keys exifinfo must give alike (measured: see the summary line).
KEY_FAMILIES = {
    "EXIF": re.compile(r"^(IFD\d|ExifIFD|GPS|InteropIFD|SubIFD\d*)$"),
    "IPTC": re.compile(r"^IPTC$"),
    "XMP": re.compile(r"^XMP-"),
    "File": re.compile(r"^(File|System|JFIF)$"),
    "ICC": re.compile(r"^(ICC-header|ICC_Profile)$"),
}
KEY_THRESHOLDS = {"EXIF": 0.98, "IPTC": 0.96, "XMP": 0.97, "File": 0.97, "ICC": 0.65}
# exiftool's placeholder for a value it does not show in JSON.
BINARY_PLACEHOLDER = re.compile(r"^\(Binary data \d+ bytes")


class Accepted:
    """The reviewed differences: `value FILE KEY reason`, `rows FILE GROUP
    reason` and `name OURKEY EXIFTOOLKEY reason`, with shell patterns for FILE
    (the file's name), KEY and GROUP."""

    def __init__(self, path):
        self.values, self.rows, self.names, self.unread = [], [], {}, []
        with open(path, encoding="utf-8") as lines:
            for number, line in enumerate(lines, 1):
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                if line.startswith("unread "):
                    fields = line.split(None, 2)
                    if len(fields) < 3:
                        sys.exit(f"{path}:{number}: expected 'unread KEY reason': {line}")
                    self.unread.append(fields[1])
                    continue
                fields = line.split(None, 3)
                if len(fields) < 4 or fields[0] not in ("value", "rows", "name"):
                    sys.exit(f"{path}:{number}: expected 'value|rows|name A B reason': {line}")
                kind, first, second = fields[:3]
                if kind == "value":
                    self.values.append((first, second))
                elif kind == "rows":
                    self.rows.append((first, second))
                else:
                    self.names[first] = second

    def value(self, file, key):
        return any(fnmatch.fnmatchcase(file, f) and fnmatch.fnmatchcase(key, k) for f, k in self.values)

    def is_unread(self, key):
        return any(fnmatch.fnmatchcase(key, k) for k in self.unread)

    def row_count(self, file, group):
        return any(fnmatch.fnmatchcase(file, f) and fnmatch.fnmatchcase(group, g) for f, g in self.rows)


def read_json(command):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    if done.returncode not in (0, 1, 3) or not done.stdout.strip():
        sys.exit(f"{command[0]} failed ({done.returncode})")
    return {os.path.realpath(record["SourceFile"]): record for record in json.loads(done.stdout)}


# The conventions by which the same value is written differently: XMP's
# dates in ISO 8601 form (exiftool writes EXIF's colons), XMP's rationals as
# stored ("1/200"), times as lists of numbers or as "h:m:s", and a value
# neither tool can give (JSON null here, "undef" or "" there).
ISO_DATE = re.compile(r"^(\d{4})-(\d\d)-(\d\d)(?:T(.*))?$")
RATIONAL = re.compile(r"^(-?\d+)/(\d+)$")
NO_VALUE = "undef"


def piece_of(text):
    match = RATIONAL.match(text)
    if match:
        numerator, denominator = int(match.group(1)), int(match.group(2))
        return numerator / denominator if denominator else NO_VALUE
    try:
        return float(text)
    except ValueError:
        return text


def tokens(value):
    """A value as the list of its pieces: JSON arrays, blank-separated and
    colon-separated numbers alike."""
    if value is None:
        return [NO_VALUE]
    if isinstance(value, list):
        return [piece for item in value for piece in tokens(item)]
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return [float(value)]
    text = str(value).strip()
    date = ISO_DATE.match(text)
    if date:
        text = f"{date.group(1)}:{date.group(2)}:{date.group(3)}" + (f" {date.group(4)}" if date.group(4) else "")
    if not text:
        return [NO_VALUE]
    pieces = [piece_of(piece) for piece in text.split()]
    if all(isinstance(piece, float) or piece == NO_VALUE for piece in pieces):
        return pieces
    if re.fullmatch(r"[\d.]+(:[\d.]+)+", text):
        return [float(piece) for piece in text.split(":")]
    return [text]


def same_number(a, b):
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    return abs(a - b) <= RELATIVE_TOLERANCE * max(abs(a), abs(b)) + 1e-9


def same_value(ours, theirs):
    a, b = tokens(ours), tokens(theirs)
    if len(a) != len(b):
        return False
    for x, y in zip(a, b):
        if isinstance(x, float) and isinstance(y, float):
            if not same_number(x, y):
                return False
        elif str(x).strip() != str(y).strip():
            return False
    return True


def split_key(key):
    group, _, name = key.partition(":")
    return group, name


def is_maker_group(group):
    return group and group not in NON_MAKER_GROUPS and not group.startswith("XMP")


def counterpart(key, theirs, accepted):
    """exiftool's key for one of exifinfo's, or none when exiftool shows no
    row of that name."""
    key = accepted.names.get(key, key)
    group, name = split_key(key)
    if group == "File":
        for other in FILE_GROUPS:
            if f"{other}:{name}" in theirs:
                return f"{other}:{name}"
        return None
    if key in theirs:
        return key
    if is_maker_group(group):
        # exiftool splits a maker's note into several groups (CanonCustom,
        # NikonCustom...): the same name in any of them.
        for other in theirs:
            other_group, other_name = split_key(other)
            if other_name == name and other_group.lower().startswith(group.lower()[:4]):
                return other
    return None


def maker_rows(record, group):
    prefix = group.lower()[:4]
    return sum(1 for key in record if is_maker_group(split_key(key)[0])
               and split_key(key)[0].lower().startswith(prefix))


def compare(file, ours, theirs, accepted):
    """The differences that fail, as lines, and the counts of the summary."""
    faults, compared = [], 0
    for key, value in ours.items():
        group, name = split_key(key)
        if not name or re.search(r"-\d+$", name):
            continue  # the second and later rows of a name: exiftool shows one
        other = counterpart(key, theirs, accepted)
        if other is None or BINARY_PLACEHOLDER.match(str(theirs[other])):
            continue
        compared += 1
        if same_value(value, theirs[other]) or accepted.value(file, key):
            continue
        faults.append(f"  {key} = {json.dumps(value)[:120]}   exiftool {other} = {json.dumps(theirs[other])[:120]}")
    groups = {split_key(key)[0] for key in ours if is_maker_group(split_key(key)[0])}
    for group in sorted(groups):
        mine = sum(1 for key in ours if split_key(key)[0] == group)
        reference = maker_rows(theirs, group)
        if mine > JUNK_FACTOR * reference + JUNK_MARGIN and not accepted.row_count(file, group):
            faults.append(f"  {group}: {mine} rows where exiftool decodes {reference} (junk)")
    return faults, compared


def json_type(value):
    if isinstance(value, bool):
        return "boolean"
    if isinstance(value, (int, float)):
        return "number"
    if isinstance(value, list):
        return "list"
    if value is None:
        return "null"
    return "text"


def family_of(key):
    group = split_key(key)[0]
    for family, pattern in KEY_FAMILIES.items():
        if pattern.match(group):
            return family
    return None


def same_type(ours, theirs):
    """exiftool's JSON writes a number of more than 16 decimals as a text: that
    text and a number are alike."""
    if json_type(ours) == json_type(theirs):
        return True
    if json_type(ours) == "number" and isinstance(theirs, str):
        try:
            float(theirs)
            return True
        except ValueError:
            return False
    return False


def key_agreement(ours, theirs, accepted, tally, missing):
    """Counts, per family, exiftool's keys that exifinfo gives with the same
    JSON type; the others go to `missing` (key -> count). A file exifinfo
    cannot read (a kind it has no reader for) is left out."""
    if not ours:
        return
    for key, value in theirs.items():
        family = family_of(key)
        if family is None or accepted.is_unread(key):
            continue
        tally.setdefault(family, [0, 0])
        tally[family][1] += 1
        if key in ours and same_type(ours[key], value):
            tally[family][0] += 1
        else:
            found = "absent" if key not in ours else f"{json_type(ours[key])} for {json_type(value)}"
            missing[(key, found)] = missing.get((key, found), 0) + 1


def report_keys(tally, missing):
    """Prints the share per family and the keys that miss it; false when a
    family is below its threshold."""
    ok = True
    for family, (alike, total) in sorted(tally.items()):
        share = alike / total if total else 1.0
        below = share < KEY_THRESHOLDS[family]
        ok = ok and not below
        print(f"{'FAIL' if below else 'ok':4} keys {family}: {alike} of {total} exiftool keys alike ({share:.1%}, "
              f"threshold {KEY_THRESHOLDS[family]:.0%})")
    for (key, found), count in sorted(missing.items(), key=lambda item: -item[1])[:40]:
        print(f"  {count:4} {key} ({found})")
    return ok


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    exifinfo, accepted = sys.argv[1], Accepted(sys.argv[2])
    files = sorted(os.path.join(folder, name) for folder in sys.argv[3:] for name in os.listdir(folder)
                   if not name.upper().startswith(("README", "SOURCE")) and not name.startswith(".")
                   and not name.endswith(".py"))
    ours = read_json([exifinfo, "-j", "-n", "-G", *files])
    theirs = read_json(["exiftool", "-j", "-n", "-G1", "-q", "-q", *files])
    failed = 0
    tally, missing = {}, {}
    for path in files:
        real = os.path.realpath(path)
        name = os.path.basename(path)
        mine, reference = ours.get(real, {}), theirs.get(real, {})
        faults, compared = compare(name, mine, reference, accepted)
        key_agreement(mine, reference, accepted, tally, missing)
        status = "FAIL" if faults else "ok"
        print(f"{status:4} {name}: {len(mine)} rows, {compared} compared with exiftool's {len(reference)}")
        for line in faults:
            print(line)
        failed += bool(faults)
    print(f"{len(files)} files, {failed} with differences not in {sys.argv[2]}")
    keys_ok = report_keys(tally, missing)
    return 1 if failed or not keys_ok else 0


if __name__ == "__main__":
    sys.exit(main())

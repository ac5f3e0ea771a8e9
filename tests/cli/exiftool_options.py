#!/usr/bin/env python3
"""exifinfo as exiftool's users call it: exiftool's reading options on the
command line, and exiftool's Composite values checked against exiftool's own
reading of the same files.

Usage: exiftool_options.py EXIFINFO DATA_DIR
"""
import csv
import io
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import cli_behaviour
from cli_behaviour import dataset, jpeg_with_iptc

EXIFINFO = DATA = None


def run(*args, stdin=None):
    return subprocess.run([EXIFINFO, *args], input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def text(*args):
    result = run(*args)
    return result.returncode, result.stdout.decode("utf-8")


def sample(name):
    return os.path.join(DATA, "samples", name)


def maker_file(name):
    return os.path.join(DATA, "makers", name)


class OptionsCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="exifinfo-options-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def put(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path


class TagSelection(OptionsCase):
    def test_dash_tag_names_select_rows_in_any_case_with_wildcards_and_groups(self):
        canon = sample("Canon_40D.jpg")
        self.assertEqual(text("-Model", "-MAKE", canon), (0, "Make=Canon\nModel=Canon EOS 40D\n"))
        _, out = text("-G", "-GPS*", sample("DSCN0010.jpg"))
        names = [line.split("=")[0] for line in out.splitlines()]
        self.assertTrue(names and all(":GPS" in name for name in names), names)
        _, out = text("-G", "-IFD0:all", canon)
        self.assertTrue(out and all(line.startswith("IFD0:") for line in out.splitlines()), out)
        _, out = text("-G", "-EXIF:Model", "-Composite:all", canon)
        groups = {line.split(":")[0] for line in out.splitlines()}
        self.assertEqual(groups, {"IFD0", "Composite"})

    def test_exiftool_options_that_are_not_the_tools_stay_unknown_and_short_flags_still_combine(self):
        canon = sample("Canon_40D.jpg")
        # A name in lower case could be exiftool's option as well as a tag.
        for option in ("-ee", "-api", "-x", "-model"):
            with self.subTest(option=option):
                self.assertEqual(run(option, canon).returncode, 2)
        self.assertEqual(run("-Gn", "-t", "Model", canon).stdout, b"IFD0:Model=Canon EOS 40D\n")

    def test_options_without_effect_here_change_nothing_and_G1_is_G(self):
        canon = sample("Canon_40D.jpg")
        plain = run("-G", canon).stdout
        self.assertEqual(run("-a", "-fast", "-fast2", "-S", "-s", "-G1", canon).stdout, plain)
        # -s before a size keeps its old meaning.
        self.assertIn(b"ImageWidth=640\n", run("-s", "640x480", "-t", "ImageWidth", canon).stdout)

    def test_u_shows_the_tags_no_table_names(self):
        fuji = sample("Fujifilm_FinePix_E500.jpg")
        self.assertEqual(run("-T", "-Tag0x*", fuji).stdout, b"\n")
        self.assertEqual(run("-u", "-T", "-Tag0x1023", fuji).stdout, b"1152, 864\n")


class Table(OptionsCase):
    def test_one_line_a_file_in_the_order_asked_with_a_dash_for_a_missing_tag(self):
        files = [sample("Canon_40D.jpg"), sample("DSCN0010.jpg")]
        status, out = text("-T", "-Model", "-Nothing", "-Make", *files)
        self.assertEqual(status, 0)
        self.assertEqual(out, "Canon EOS 40D\t-\tCanon\nCOOLPIX P6000\t-\tNIKON\n")
        self.assertEqual(run("-T", "-j", *files).returncode, 2)


class PrintFormat(OptionsCase):
    def test_tags_are_put_in_and_a_line_naming_a_missing_tag_is_left_out(self):
        canon = sample("Canon_40D.jpg")
        status, out = text("-p", "$Model at ${IFD0:Make}: $$5", "-p", "never $Nothing", "-p", "$FileName", canon)
        self.assertEqual((status, out), (0, "Canon EOS 40D at Canon: $5\nCanon_40D.jpg\n"))

    def test_a_format_file_has_head_tail_comment_and_condition_lines(self):
        fmt = self.put("fmt.txt", b"#[HEAD]begin\n# a comment\n#[IF]$Make\n$Model\n#[TAIL]end\n")
        files = [sample("Canon_40D.jpg"), self.put("bare.jpg", jpeg_with_iptc(dataset(2, 5, b"Title")))]
        self.assertEqual(text("-p", fmt, *files)[1], "begin\nCanon EOS 40D\nend\n")


class DateFormat(OptionsCase):
    def test_dates_are_written_with_the_format_and_d_with_one_character_is_the_separator(self):
        canon = sample("Canon_40D.jpg")
        self.assertEqual(text("-d", "%Y/%m/%d %a %H.%M.%S.%f", "-SubSecDateTimeOriginal", canon)[1],
                         "SubSecDateTimeOriginal=2008/05/30 Fri 15.56.01.00\n")
        self.assertEqual(text("-d", "%Y", "-n", "-DateTimeOriginal", canon)[1], "DateTimeOriginal=2008:05:30 15:56:01\n")
        self.assertEqual(text("-d", ",", "--size", "1x1", "-FileSize", canon)[1], "FileSize=7,77 Kb\n")
        self.assertEqual(text("--decimal", ",", "--size", "1x1", "-FileSize", canon)[1], "FileSize=7,77 Kb\n")


class Extensions(OptionsCase):
    def test_ext_takes_only_and_double_dash_ext_leaves_out_a_folders_files_by_extension(self):
        for name in ("a.JPG", "b.tiff", "c.jpeg"):
            shutil.copyfile(sample("Canon_40D.jpg" if name != "b.tiff" else "Arbitro.tiff"), os.path.join(self.dir, name))
        names = lambda *args: [os.path.basename(l) for l in text("-r", *args, "-p", "$SourceFile", self.dir)[1].split()]
        self.assertEqual(names("-ext", "jpg", "-ext", ".JPEG"), ["a.JPG", "c.jpeg"])
        self.assertEqual(names("--ext", "jpg"), ["b.tiff", "c.jpeg"])


class ArgumentFiles(OptionsCase):
    def test_arguments_are_read_a_line_each_from_a_file_or_standard_input(self):
        canon = sample("Canon_40D.jpg")
        args = self.put("args.txt", f"# options\n  -T \n\n-Model\n{canon}\n".encode())
        self.assertEqual(text("-@", args), (0, "Canon EOS 40D\n"))
        result = run("-@", "-", stdin=f"-Make\n{canon}\n".encode())
        self.assertEqual(result.stdout, b"Make=Canon\n")
        self.assertEqual(run("-@", os.path.join(self.dir, "missing")).returncode, 2)


class Conditions(OptionsCase):
    def test_comparisons_regular_expressions_and_their_combinations_choose_the_files(self):
        files = [sample("Canon_40D.jpg"), sample("DSCN0010.jpg"), sample("Kodak_CX7530.jpg")]
        def models(condition):
            return text("-if", condition, "-T", "-Model", *files)[1].splitlines()
        self.assertEqual(models("$ISOSpeedRatings >= 100"), ["Canon EOS 40D"])
        self.assertEqual(models("$Model =~ /coolpix/i"), ["COOLPIX P6000"])
        self.assertEqual(models("$Make eq 'Canon' or ${Make} eq \"NIKON\""), ["Canon EOS 40D", "COOLPIX P6000"])
        self.assertEqual(models("not $Model =~ /^C/ and $Make"), ["KODAK CX7530 ZOOM DIGITAL CAMERA"])
        # 1/160, 4/300 and 1/250 sec read as fractions, not as their numerators.
        self.assertEqual(models("$ExposureTime < 1/100"), ["Canon EOS 40D", "KODAK CX7530 ZOOM DIGITAL CAMERA"])
        self.assertEqual(models("$Nothing ne 'x'"), [])
        self.assertEqual(run("-if", "$Make eq", files[0]).returncode, 2)
        self.assertEqual(run("-if", "$Model =~ /(/", files[0]).returncode, 2)


class CsvColumns(OptionsCase):
    def test_csv_columns_follow_the_order_the_tags_were_asked(self):
        out = run("-csv", "-Model", "-Make", "-FNumber", sample("Canon_40D.jpg"), sample("DSCN0010.jpg")).stdout
        rows = list(csv.reader(io.StringIO(out.decode())))
        self.assertEqual(rows[0], ["SourceFile", "Model", "Make", "FNumber"])
        self.assertEqual(rows[2][1:], ["COOLPIX P6000", "NIKON", "F5.9"])


def close(ours, theirs):
    """exifinfo's -n value against exiftool's: numbers within a thousandth,
    a list against exiftool's blank-separated numbers, texts alike."""
    if isinstance(ours, list):
        return close(" ".join(str(n) for n in ours), theirs)
    try:
        a = [float(x) for x in str(ours).split()]
        b = [float(x) for x in str(theirs).split()]
    except ValueError:
        return str(ours) == str(theirs)
    return len(a) == len(b) and all(math.isclose(x, y, rel_tol=1e-3, abs_tol=1e-9) for x, y in zip(a, b))


def tiff_directory(entries, start, extra=b""):
    """A little-endian IFD at offset `start` of its TIFF: (tag, type, values)
    rows in tag order, the values that need more than 4 bytes after it."""
    formats = {2: ("s", 1), 3: ("H", 2), 4: ("I", 4), 5: ("II", 8), 10: ("ii", 8)}
    head = struct.pack("<H", len(entries))
    data_at = start + 2 + 12 * len(entries) + 4
    data = b""
    for tag, kind, values in entries:
        code, size = formats[kind]
        if kind == 2:
            raw = values.encode() + b"\0"
        else:
            raw = b"".join(struct.pack("<" + code, *(v if isinstance(v, tuple) else (v,))) for v in values)
        count = len(raw) // (1 if kind == 2 else size)
        if len(raw) <= 4:
            head += struct.pack("<HHI", tag, kind, count) + raw.ljust(4, b"\0")
        else:
            head += struct.pack("<HHII", tag, kind, count, data_at + len(data))
            data += raw + (b"\0" if len(raw) % 2 else b"")
    return head + b"\0\0\0\0" + data


def jpeg_with_exif(ifd0, exif, gps):
    """A JPEG whose APP1 holds IFD0 with `ifd0`, pointing to an EXIF and a
    GPS directory (each a list of rows for tiff_directory)."""
    def size(rows, start):
        return len(tiff_directory(rows, start))
    rows0 = sorted(ifd0 + [(0x8769, 4, [0]), (0x8825, 4, [0])])
    exif_at = 8 + size(rows0, 8)
    gps_at = exif_at + size(exif, exif_at)
    rows0 = sorted(ifd0 + [(0x8769, 4, [exif_at]), (0x8825, 4, [gps_at])])
    tiff = b"II*\0" + struct.pack("<I", 8) + tiff_directory(rows0, 8) + tiff_directory(exif, exif_at) + \
        tiff_directory(gps, gps_at)
    payload = b"Exif\0\0" + tiff
    return b"\xff\xd8\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + b"\xff\xd9"


@unittest.skipUnless(shutil.which("exiftool"), "exiftool is the reference")
class CompositeValues(OptionsCase):
    def values(self, command, path):
        return json.loads(subprocess.run(command + [path], stdout=subprocess.PIPE, check=False).stdout)[0]

    def test_iptc_date_and_time_created_make_one_date_as_exiftool_makes_it(self):
        image = self.put("created.jpg", jpeg_with_iptc(dataset(2, 55, b"20240229") + dataset(2, 60, b"235901-0930")))
        ours = self.values([EXIFINFO, "-j", "-n", "-G", "-DateTimeCreated"], image)
        theirs = self.values(["exiftool", "-j", "-n", "-G1", "-DateTimeCreated"], image)
        self.assertEqual(ours["Composite:DateTimeCreated"], theirs["Composite:DateTimeCreated"])

    def test_apex_values_optics_and_a_gps_time_that_carries_into_the_next_hour_read_as_exiftool_reads_them(self):
        # f/8 and 1/128 s only as APEX values, ISO 100, 50 mm (75 mm on 35 mm
        # film) focused at 10 m; GPS time 14:59:60.0000002.
        image = self.put("apex.jpg", jpeg_with_exif(
            [(0x010F, 2, "Maker")],
            [(0x8827, 3, [100]), (0x9201, 10, [(7, 1)]), (0x9202, 5, [(6, 1)]), (0x9206, 5, [(10, 1)]),
             (0x920A, 5, [(50, 1)]), (0xA405, 3, [75])],
            [(0x0007, 5, [(14, 1), (59, 1), (4294967295, 71582788)]), (0x001D, 2, "2024:01:02")]))
        names = ["Aperture", "ShutterSpeed", "LightValue", "ScaleFactor35efl", "FocalLength35efl",
                 "CircleOfConfusion", "FOV", "HyperfocalDistance", "DOF", "GPSDateTime"]
        selection = [f"-Composite:{name}" for name in names]
        for numeric in ([], ["-n"]):
            ours = self.values([EXIFINFO, "-j", "-G", *numeric, *selection], image)
            theirs = self.values(["exiftool", "-j", "-G1", *numeric, *selection], image)
            for name in names:
                key = f"Composite:{name}"
                with self.subTest(composite=name, numeric=bool(numeric)):
                    self.assertIn(key, ours)
                    mine = ours[key] if numeric else str(ours[key])
                    self.assertTrue(close(mine, theirs[key]) if numeric else mine == str(theirs[key]),
                                    (ours[key], theirs[key]))

    def test_no_composite_is_computed_when_no_selected_tag_can_name_one(self):
        canon = sample("Canon_40D.jpg")
        self.assertEqual(text("-G", "-Model", "-Aperture", canon)[1], "IFD0:Model=Canon EOS 40D\nComposite:Aperture=7.1\n")
        self.assertNotIn("Composite", text("-G", "-Model", canon)[1])


if __name__ == "__main__":
    EXIFINFO, DATA = os.path.abspath(sys.argv[1]), sys.argv[2]
    cli_behaviour.EXIFINFO = EXIFINFO
    unittest.main(argv=sys.argv[:1], verbosity=1)

#!/usr/bin/env python3
"""exifinfo as a user meets it: exit statuses and notes, file kinds, the
machine-readable formats parsed back, folders, and the safety of --export.

Usage: cli_behaviour.py EXIFINFO SAMPLES_DIR
"""
import csv
import io
import json
import os
import re
import resource
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import unittest

EXIFINFO = SAMPLES = None


def run(*args, cwd=None, env=None, preexec_fn=None, stdout=subprocess.PIPE):
    return subprocess.run([EXIFINFO, *args], stdout=stdout, stderr=subprocess.PIPE,
                          cwd=cwd, env=env, preexec_fn=preexec_fn)


def dataset(record, number, value):
    return b"\x1c" + bytes([record, number]) + struct.pack(">H", len(value)) + value


def jpeg_with_iptc(datasets):
    """A JPEG holding only a Photoshop 3.0 segment with IPTC datasets."""
    block = b"Photoshop 3.0\0" + b"8BIM\x04\x04\0\0" + struct.pack(">I", len(datasets)) + datasets
    if len(datasets) % 2:
        block += b"\0"
    return b"\xff\xd8\xff\xed" + struct.pack(">H", len(block) + 2) + block + b"\xff\xd9"


def jpeg_with_xmp(packet, datasets=b""):
    """A JPEG holding an XMP packet, after IPTC datasets when given."""
    payload = b"http://ns.adobe.com/xap/1.0/\0" + packet
    app1 = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
    head = jpeg_with_iptc(datasets)[:-2] if datasets else b"\xff\xd8"
    return head + app1 + b"\xff\xd9"


def xmp_packet(name):
    with open(os.path.join(SAMPLES, "..", "xmp", name), "rb") as f:
        return f.read()


# A caption with a line break, an escape sequence, a zero byte, a quote, a
# backslash and an e-acute (Windows-1252 0xE9).
CAPTION = b'one\ntwo \x1b[31m caf\xe9 "q" back\\slash\x00end'


class ExifinfoCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="exifinfo-test-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def put(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def sample(self, name, as_name=None):
        target = self.path(as_name or name)
        shutil.copyfile(os.path.join(SAMPLES, name), target)
        return target

    def json_of(self, *args):
        result = run("--json", *args)
        return result, json.loads(result.stdout.decode("utf-8"))

    def assert_no_raw_controls(self, output):
        """No C0 control but the line ends, no DEL, no C1 control (UTF-8)."""
        lines = output.replace(b"\r\n", b"\n").replace(b"\n", b"")
        self.assertIsNone(re.search(rb"[\x00-\x1f\x7f]|\xc2[\x80-\x9f]", lines), output)


class ExitStatusesAndNotes(ExifinfoCase):
    def test_files_without_metadata_are_named_on_stderr_with_status_3(self):
        cases = {
            "empty.jpg": (b"", "no EXIF, IPTC or XMP data"),
            "bare.jpg": (b"\xff\xd8\xff\xd9", "no EXIF, IPTC or XMP data"),
            "truncated.jpg": (b"\xff\xd8\xff\xe1\x10\x00Exif", "no EXIF, IPTC or XMP data"),
            "image.png": (b"\x89PNG\r\n\x1a\n" + bytes(32), "no EXIF, IPTC or XMP data"),
            "notes.txt": (b"hello\n", "not a kind of file any reader knows"),
        }
        for name, (data, reason) in cases.items():
            with self.subTest(name=name):
                result = run(self.put(name, data))
                self.assertEqual(result.returncode, 3)
                self.assertIn(f"{name}: {reason}", result.stderr.decode())
                self.assertEqual(result.stdout, b"")

    def test_exiftools_ee_is_an_unknown_option_and_writes_nothing(self):
        image = self.sample("Canon_40D.jpg")
        result = run("-ee", image, cwd=self.dir)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"unknown option '-ee'", result.stderr)
        self.assertEqual(result.stdout, b"")
        self.assertEqual(os.listdir(self.dir), ["Canon_40D.jpg"])

    def test_an_unreadable_file_gives_1_and_the_other_files_are_still_read(self):
        result = run(self.path("missing.jpg"), self.sample("Canon_40D.jpg"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("missing.jpg: no such file", result.stderr.decode())
        self.assertIn(b"Model=Canon EOS 40D\n", result.stdout)

    def test_a_folder_without_recursive_is_an_error_naming_it(self):
        os.mkdir(self.path("photos"))
        result = run(self.path("photos"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("photos: is a folder", result.stderr.decode())

    def test_usage_errors_give_2(self):
        sample = self.sample("Canon_40D.jpg")
        for args in (["--size", "-1x5", sample], ["--size=0x0", sample], ["--decimal", "\x07", sample],
                     ["--export", "", sample], ["--json", "--csv", sample], [], ["--bogus", sample]):
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"exifinfo", result.stderr)

    def test_a_write_error_on_standard_output_is_reported(self):
        with open("/dev/full", "wb") as full:
            result = run(self.sample("Canon_40D.jpg"), stdout=full)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"standard output", result.stderr)

    def test_double_dash_ends_the_options(self):
        self.sample("Canon_40D.jpg", "-x.jpg")
        result = run("--", "-x.jpg", cwd=self.dir)
        self.assertEqual(result.returncode, 0)
        self.assertIn(b"FileName=-x.jpg\n", result.stdout)

    def test_a_tag_that_matched_nothing_is_noted_and_the_status_kept(self):
        result = run("-t", "Modle", "-t", "Model", self.sample("Canon_40D.jpg"))
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout, b"Model=Canon EOS 40D\n")
        self.assertIn(b"--tag Modle: no row of that name", result.stderr)
        self.assertNotIn(b"--tag Model:", result.stderr)

    def test_the_thumbnail_is_written_to_a_file_or_standard_output(self):
        sample = self.sample("Canon_40D.jpg")
        _, files = self.json_of("-n", "-G", "-t", "JPEGInterchangeFormatLength", sample)
        out = run("--thumbnail", "-", sample).stdout
        self.assertEqual(len(out), files[0]["IFD1:ThumbnailLength"])
        self.assertTrue(out.startswith(b"\xff\xd8") and out.endswith(b"\xff\xd9"))
        self.assertEqual(run("--thumbnail", self.path("t.jpg"), sample).returncode, 0)
        with open(self.path("t.jpg"), "rb") as f:
            self.assertEqual(f.read(), out)
        result = run("--thumbnail", "-", self.sample("Arbitro.tiff"))
        self.assertEqual((result.returncode, result.stdout), (3, b""))


class KindByContent(ExifinfoCase):
    def test_jpeg_and_tiff_content_is_read_whatever_the_name(self):
        for source, name, expected in (("Canon_40D.jpg", "photo", b"Model=Canon EOS 40D\n"),
                                       ("Canon_40D.jpg", "IMG.jpeg.bak", b"Model=Canon EOS 40D\n"),
                                       ("Arbitro.tiff", "raw.dng", b"PhotometricInterpretation=RGB\n")):
            with self.subTest(name=name):
                result = run(self.sample(source, name))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(expected, result.stdout)

    def test_standard_input_is_read_as_dash_and_its_kind_found_from_its_bytes(self):
        with open(self.sample("Canon_40D.jpg"), "rb") as f:
            result = subprocess.run([EXIFINFO, "--json", "-t", "Model", "-"], stdin=f,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(json.loads(result.stdout), [{"SourceFile": "-", "Model": "Canon EOS 40D"}])
        with open(self.sample("Arbitro.tiff"), "rb") as f:
            result = subprocess.run([EXIFINFO, "-json", "-"], stdin=f, stdout=subprocess.PIPE)
        self.assertEqual(json.loads(result.stdout)[0]["FileType"], "TIFF")

    def test_standard_input_past_its_limit_is_refused_and_never_held_whole(self):
        # A sparse file one byte past the 128 MiB kept of standard input; the
        # tool may use far less memory for its data than the input's size.
        path = self.path("large-input")
        with open(path, "wb") as f:
            f.write(b"\xff\xd8")
            f.truncate(128 * 1024 * 1024 + 1)

        def little_memory():
            resource.setrlimit(resource.RLIMIT_DATA, (64 << 20, 64 << 20))

        # AddressSanitizer's shadow memory alone passes such a limit.
        with open(EXIFINFO, "rb") as binary:
            sanitized = b"__asan_init" in binary.read()
        with open(path, "rb") as f:
            result = subprocess.run([EXIFINFO, "-"], stdin=f, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    preexec_fn=None if sanitized else little_memory)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"-: standard input holds more than the 128 MiB read of it; not read", result.stderr)


class MachineReadableFormats(ExifinfoCase):
    def test_json_carries_control_and_non_ascii_characters_escaped_and_parses_back(self):
        image = self.put("caf\u00e9.jpg", jpeg_with_iptc(dataset(2, 120, CAPTION) + dataset(2, 5, b"Title")))
        result, files = self.json_of(image)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(files[0]["SourceFile"], image)
        self.assertEqual(files[0]["Caption-Abstract"], CAPTION.decode("cp1252"))
        self.assertEqual(files[0]["ObjectName"], "Title")

    def test_json_escapes_the_c1_characters_that_windows_1252_s_undefined_bytes_become(self):
        image = self.put("c1.jpg", jpeg_with_iptc(dataset(2, 120, b"a\x81\x8d\x8f\x90\x9d\x80b")))
        result, files = self.json_of(image)
        self.assert_no_raw_controls(result.stdout)
        self.assertEqual(files[0]["Caption-Abstract"], "a\x81\x8d\x8f\x90\x9d\u20acb")

    def test_a_file_name_with_control_characters_is_escaped_in_every_format_and_note(self):
        image = self.sample("Canon_40D.jpg", "a\u009b31m\nb.jpg")
        empty = self.put("\u009bempty.jpg", b"")
        shown = os.path.join(self.dir, "a\\xc2\\x9b31m\\nb.jpg")
        text = run(image, empty, "--\x1b[31m")
        self.assert_no_raw_controls(text.stderr)
        self.assertIn(b"--\\x1b[31m", text.stderr)
        text = run(image, empty)
        for output in (text.stdout, text.stderr):
            self.assert_no_raw_controls(output)
        self.assertIn(f"== {shown} ==\n".encode(), text.stdout)
        self.assertIn(b"\\xc2\\x9bempty.jpg: no EXIF, IPTC or XMP data", text.stderr)
        result = run("--csv", image)
        self.assert_no_raw_controls(result.stdout)
        rows = list(csv.DictReader(io.StringIO(result.stdout.decode("utf-8"), newline="")))
        self.assertEqual([row["SourceFile"] for row in rows], [shown])
        result, files = self.json_of(image)
        self.assert_no_raw_controls(result.stdout)
        self.assertEqual(files[0]["SourceFile"], image)

    def test_a_json_source_file_that_is_not_utf8_gives_back_its_bytes_through_surrogate_escapes(self):
        name = os.path.join(os.fsencode(self.dir), b"caf\xe9\xff.jpg")
        shutil.copyfile(os.path.join(SAMPLES, "Canon_40D.jpg"), name)
        result, files = self.json_of(name)
        self.assertIn(b"caf\\udce9\\udcff.jpg", result.stdout)
        self.assertEqual(os.fsencode(files[0]["SourceFile"]), name)

    def test_a_repeated_name_takes_its_group_as_prefix(self):
        _, files = self.json_of(self.sample("DSCN0010.jpg"), self.sample("Arbitro.tiff"))
        nikon, tiff = files
        self.assertEqual(nikon["WhiteBalance"], "Auto")
        self.assertEqual(nikon["MakerNote:WhiteBalance"].strip(), "AUTO")
        self.assertIn("MakerNote:ImageAdjustment-2", nikon)
        self.assertIn("File:ImageWidth", tiff)
        self.assertIn("ImageWidth", tiff)

    def test_csv_quotes_what_needs_it_keeps_one_line_a_file_and_has_the_union_of_names_as_header(self):
        image = self.put("iptc.jpg", jpeg_with_iptc(dataset(2, 120, CAPTION)))
        result = run("--csv", self.sample("DSCN0010.jpg"), image)
        rows = list(csv.DictReader(io.StringIO(result.stdout.decode("utf-8"), newline="")))
        self.assertEqual(len(rows), 2)
        self.assertEqual(rows[0]["ISO"], "64")  # the EXIF directory's (ISOSpeedRatings); the maker's is MakerNote:ISO
        self.assertEqual(rows[1]["Caption-Abstract"], 'one\\ntwo \\x1b[31m caf\u00e9 "q" back\\\\slash\\0end')
        self.assertEqual(result.stdout.count(b"\r\n"), 3)
        self.assertEqual(rows[1]["ISO"], "")

    def test_csv_over_many_files_puts_every_value_under_its_own_column(self):
        # Rows wait in a spool until the header is known: files of different
        # kinds, each with its own keys, must have each value under its key's
        # column, as the text format (Key=value, the same escapes) names it.
        names = sorted(n for n in os.listdir(SAMPLES) if not n.endswith(".txt"))
        os.mkdir(self.path("many"))
        for i in range(120):
            name = names[(i * 7) % len(names)]
            shutil.copyfile(os.path.join(SAMPLES, name), self.path(f"many/{i:03d}-{name}"))
        result = run("--csv", "-n", "-G", "--names=dialog", "-r", self.path("many"))
        rows = list(csv.DictReader(io.StringIO(result.stdout.decode("utf-8"), newline="")))
        self.assertEqual(len(rows), 120)
        for row in rows[:: len(names) - 1]:
            text = run("-n", "-G", row["SourceFile"]).stdout.decode("utf-8")
            expected = dict(line.split("=", 1) for line in text.splitlines())
            self.assertEqual({k: row[k] for k in expected}, expected)
            self.assertEqual([k for k, v in row.items() if v and k not in expected], ["SourceFile"])

    def test_tag_selection_is_case_insensitive_and_works_in_every_format(self):
        sample = self.sample("DSCN0010.jpg")
        self.assertEqual(run("-t", "model", "--tag=MAKE", sample).stdout, b"Make=NIKON\nModel=COOLPIX P6000\n")
        _, files = self.json_of("-t", "whitebalance", sample)
        self.assertEqual(sorted(files[0]), ["MakerNote:WhiteBalance", "SourceFile", "WhiteBalance"])
        _, files = self.json_of("-t", "MakerNote:WhiteBalance", sample)
        self.assertEqual(sorted(files[0]), ["MakerNote:WhiteBalance", "SourceFile"])

    def test_iptc_keywords_are_a_json_list_whose_items_keep_their_commas(self):
        image = self.put("keywords.jpg", jpeg_with_iptc(
            dataset(2, 25, b"sea") + dataset(2, 5, b"Title") + dataset(2, 25, b"Smith, John")))
        _, files = self.json_of(image)
        self.assertEqual(files[0]["Keywords"], ["sea", "Smith, John"])
        self.assertEqual(files[0]["ObjectName"], "Title")
        self.assertIn(b"Keywords=sea,Smith, John\n", run(image).stdout)

    def test_numeric_values_are_json_numbers_and_text_stays_text(self):
        _, files = self.json_of("-n", self.sample("Canon_40D.jpg"))
        canon = files[0]
        self.assertEqual(canon["ExposureTime"], 0.00625)  # 1/160 sec
        self.assertEqual(canon["FNumber"], 7.1)
        self.assertEqual(canon["ExposureProgram"], 1)  # "Manual" as its code
        self.assertEqual(canon["FileSize"], os.path.getsize(self.sample("Canon_40D.jpg")))
        self.assertEqual(canon["Model"], "Canon EOS 40D")
        # The numbers are the quantities the texts show: APEX values as seconds
        # and f-number, a coded undefined value as its bytes, a version as text.
        self.assertAlmostEqual(canon["ShutterSpeedValue"], 2 ** -7.375)
        self.assertAlmostEqual(canon["ApertureValue"], 2 ** (5.625 / 2))
        self.assertEqual(canon["ComponentsConfiguration"], "1 2 3 0")  # as exiftool -n writes it
        self.assertEqual(canon["ExifVersion"], "0221")
        _, files = self.json_of("-n", self.sample("DSCN0010.jpg"))
        self.assertAlmostEqual(files[0]["GPSLatitude"], 43 + 28 / 60 + 2.814 / 3600)
        self.assertEqual(files[0]["FileSource"], 3)
        self.assertEqual(run("-n", "-t", "FNumber", self.sample("Canon_40D.jpg")).stdout, b"FNumber=7.1\n")

    def test_grouped_keys_are_the_same_in_files_whose_bare_keys_differ(self):
        _, files = self.json_of("-G", self.sample("DSCN0010.jpg"), self.sample("Canon_40D.jpg"))
        nikon, canon = files
        # The bare key of the EXIF white balance is "WhiteBalance" beside a maker
        # note's in one file and alone in the other; grouped, it is one key.
        self.assertEqual(nikon["ExifIFD:WhiteBalance"], "Auto")
        self.assertIn("ExifIFD:WhiteBalance", canon)
        self.assertIn("Nikon:WhiteBalance", nikon)
        self.assertIn("File:ImageWidth", canon)
        self.assertEqual(canon["IFD0:Make"], "Canon")
        self.assertIn("IFD1:ThumbnailOffset", canon)
        _, files = self.json_of("-G", self.sample("Canon_DIGITAL_IXUS_400.jpg"))
        self.assertEqual(files[0]["Canon:Macro mode"], "Normal")
        self.assertEqual(run("-json", "-G", "-t", "make", self.sample("Canon_40D.jpg")).returncode, 0)


def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg_with_file_facts(comment):
    """A JPEG with a JFIF header (1.02, dots per inch, 300 by 150), a comment,
    an EXIF block of one entry (Make, big-endian) and a progressive frame
    header of three components sampled 2x2, 1x1, 1x1."""
    jfif = b"JFIF\0" + bytes([1, 2, 1]) + struct.pack(">HH", 300, 150) + b"\0\0"
    make = b"Maker\0"
    tiff = b"MM\0*" + struct.pack(">I", 8) + struct.pack(">H", 1)
    tiff += struct.pack(">HHII", 0x010F, 2, len(make), 8 + 2 + 12 + 4) + struct.pack(">I", 0) + make
    frame = bytes([8]) + struct.pack(">HH", 16, 32) + bytes([3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1])
    return (b"\xff\xd8" + segment(0xE0, jfif) + segment(0xFE, comment) + segment(0xE1, b"Exif\0\0" + tiff)
            + segment(0xC2, frame) + b"\xff\xd9")


def icc_profile(description):
    """An ICC 2 display profile (Lino, RGB, media-relative intent, device IEC
    sRGB) whose one tag is a 'desc' text description."""
    text = description + b"\0"
    desc = b"desc" + b"\0" * 4 + struct.pack(">I", len(text)) + text
    header = (b"Lino" + b"\x02\x10\0\0" + b"mntr" + b"RGB " + b"XYZ " + b"\0" * 12 + b"acsp" + b"MSFT"
              + b"\0" * 4 + b"IEC " + b"sRGB" + b"\0" * 8 + struct.pack(">I", 1))
    header += b"\0" * (124 - len(header))
    table = struct.pack(">I", 1) + b"desc" + struct.pack(">II", 128 + 16, len(desc))
    body = header + table + desc
    return struct.pack(">I", len(body) + 4) + body


class ExiftoolNamesAndForms(ExifinfoCase):
    def test_the_icc_profiles_header_and_description_are_read_from_the_first_app2_chunk(self):
        jpeg = jpeg_with_file_facts(b"c")
        icc = segment(0xE2, b"ICC_PROFILE\0\x01\x01" + icc_profile(b"Display P3"))
        image = self.put("icc.jpg", jpeg[:2] + icc + jpeg[2:])
        _, files = self.json_of("-n", "-G", image)
        facts = files[0]
        self.assertEqual(facts["ICC_Profile:ProfileDescription"], "Display P3")
        self.assertEqual([facts["ICC-header:ProfileClass"], facts["ICC-header:ColorSpaceData"],
                          facts["ICC-header:DeviceManufacturer"], facts["ICC-header:DeviceModel"]],
                         ["mntr", "RGB ", "IEC ", "sRGB"])
        self.assertEqual(facts["ICC-header:RenderingIntent"], 1)
        self.assertEqual(facts["ICC-header:ProfileVersion"], 0x210)
        _, files = self.json_of("-G", image)
        self.assertEqual(files[0]["ICC-header:ProfileClass"], "Display Device Profile")
        self.assertEqual(files[0]["ICC-header:RenderingIntent"], "Media-Relative Colorimetric")
        # The text output and the export do not read the profile.
        self.assertNotIn(b"Display P3", run(image).stdout)


    def test_the_file_facts_are_read_from_the_jpeg_segments_under_exiftools_groups(self):
        image = self.put("facts.jpg", jpeg_with_file_facts(b"made by hand"))
        result, files = self.json_of("-n", "-G", image)
        self.assertEqual(result.returncode, 0, result.stderr)
        facts = files[0]
        self.assertEqual(facts["File:Comment"], "made by hand")
        self.assertNotIn("File:Comment-2", facts)
        self.assertEqual(facts["File:ExifByteOrder"], "MM")
        self.assertEqual(facts["File:EncodingProcess"], 2)
        self.assertEqual(facts["File:BitsPerSample"], 8)
        self.assertEqual(facts["File:ColorComponents"], 3)
        self.assertEqual(facts["File:YCbCrSubSampling"], "2 2")
        self.assertEqual(facts["JFIF:JFIFVersion"], "1 2")
        self.assertEqual([facts["JFIF:ResolutionUnit"], facts["JFIF:XResolution"], facts["JFIF:YResolution"]],
                         [1, 300, 150])
        self.assertEqual(facts["File:MIMEType"], "image/jpeg")
        self.assertEqual(facts["System:Directory"], self.dir)
        self.assertEqual(facts["System:FileSize"], os.path.getsize(image))
        self.assertRegex(facts["System:FileModifyDate"], r"^\d{4}:\d\d:\d\d \d\d:\d\d:\d\d[+-]\d\d:\d\d$")
        _, files = self.json_of("-G", image)
        self.assertEqual(files[0]["File:EncodingProcess"], "Progressive DCT, Huffman coding")
        self.assertEqual(files[0]["JFIF:JFIFVersion"], 1.02)  # "1.02" reads as a number, as in exiftool

    def test_the_comment_is_a_row_after_the_file_rows_in_the_text_and_the_export(self):
        image = self.put("comment.jpg", jpeg_with_file_facts(b"caf\xe9"))
        self.assertIn(b"ImageHeight=16\nComment=caf\xc3\xa9\nMake=Maker\n", run(image).stdout)
        run("--export", self.path("out.txt"), image)
        with open(self.path("out.txt"), "rb") as f:
            self.assertIn(b"ImageHeight=16\r\nComment=caf\xe9\r\nMake=Maker\r\n", f.read())
        _, files = self.json_of("--names=dialog", "-G", image)
        self.assertEqual(files[0]["File:Comment"], "caf\u00e9")
        self.assertNotIn("JFIF:JFIFVersion", files[0])
        # Without EXIF data there are no file rows: the comment is one of the file's facts.
        jpeg = jpeg_with_file_facts(b"alone")
        exif_at = jpeg.index(b"\xff\xe1")
        exif_end = exif_at + 2 + struct.unpack(">H", jpeg[exif_at + 2:exif_at + 4])[0]
        bare = self.put("bare.jpg", jpeg[:exif_at] + jpeg[exif_end:-2] + jpeg_with_iptc(dataset(2, 5, b"T"))[2:])
        _, files = self.json_of("-G", bare)
        self.assertEqual(files[0]["File:Comment"], "alone")
        self.assertEqual(files[0]["System:FileName"], "bare.jpg")

    def test_iptc_dates_and_times_take_exiftools_form_under_n(self):
        image = self.put("dates.jpg", jpeg_with_iptc(
            dataset(2, 55, b"20051214") + dataset(2, 60, b"143947+0100") + dataset(2, 80, b"Ann")))
        _, files = self.json_of("-n", "-G", image)
        self.assertEqual(files[0]["IPTC:DateCreated"], "2005:12:14")
        self.assertEqual(files[0]["IPTC:TimeCreated"], "14:39:47+01:00")
        self.assertEqual(files[0]["IPTC:By-line"], "Ann")
        _, files = self.json_of("-G", image)
        self.assertEqual(files[0]["IPTC:DateCreated"], 20051214)  # as stored; digits read as a number


class TerminalText(ExifinfoCase):
    def test_control_bytes_are_escaped_on_the_terminal_and_dots_in_the_export(self):
        image = self.put("iptc.jpg", jpeg_with_iptc(dataset(2, 120, CAPTION)))
        text = run(image).stdout
        self.assertIn(b'Image caption=one\\ntwo \\x1b[31m caf\xc3\xa9 "q" back\\\\slash\\0end\n', text)
        self.assertEqual(run("--export", self.path("out.txt"), image).returncode, 0)
        with open(self.path("out.txt"), "rb") as f:
            self.assertIn(b'Image caption=one.two .[31m caf\xe9 "q" back\\slash.end\r\n', f.read())

    @unittest.skipUnless(shutil.which("exiftool"), "exiftool writes the test file")
    def test_text_written_by_exiftool_reads_as_written_and_exports_in_windows_1252(self):
        image = self.sample("Canon_40D.jpg", "written.jpg")
        written = subprocess.run(
            ["exiftool", "-q", "-overwrite_original", "-codedcharacterset=UTF8",
             "-ImageDescription=Zo\u00eb \u00c5ngstr\u00f6m", "-XPComment=Gr\u00fc\u00dfe aus \u6771\u4eac",
             "-UserComment=Gr\u00fc\u00dfe aus \u6771\u4eac", "-IPTC:Caption-Abstract=Caf\u00e9 \u2013 Z\u00fcrich",
             image],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(written.returncode, 0, written.stderr)
        _, files = self.json_of(image)
        self.assertEqual(files[0]["ImageDescription"], "Zo\u00eb \u00c5ngstr\u00f6m")
        self.assertEqual(files[0]["XPComment"], "Gr\u00fc\u00dfe aus \u6771\u4eac")  # XPComment
        self.assertEqual(files[0]["UserComment"], "Gr\u00fc\u00dfe aus \u6771\u4eac")
        self.assertEqual(files[0]["Caption-Abstract"], "Caf\u00e9 \u2013 Z\u00fcrich")
        run("--export", self.path("out.txt"), image)
        with open(self.path("out.txt"), "rb") as f:
            exported = f.read()
        self.assertIn(b"ImageDescription=Zo\xeb \xc5ngstr\xf6m\r\n", exported)
        self.assertIn(b"Comments=Gr\xfc\xdfe aus ??\r\n", exported)
        self.assertIn(b"UserComment=Gr\xfc\xdfe aus ??\r\n", exported)
        self.assertIn(b"Image caption=Caf\xe9 \x96 Z\xfcrich\r\n", exported)

    def test_a_utf8_file_name_is_shown_as_itself_and_exported_in_windows_1252(self):
        image = self.sample("Canon_40D.jpg", "caf\u00e9 a\\b.jpg")
        self.assertIn("FileName=caf\u00e9 a\\\\b.jpg\n".encode(), run(image).stdout)
        run("--export", self.path("out.txt"), image)
        with open(self.path("out.txt"), "rb") as f:
            self.assertIn(b"FileName=caf\xe9 a\\b.jpg\r\n", f.read())

    def test_the_decimal_separator_is_a_point_unless_asked(self):
        sample = self.sample("Canon_40D.jpg")
        env = dict(os.environ, LC_ALL="fr_FR.UTF-8")
        self.assertIn(b"FileSize=7.77 Kb\n", run(sample, env=env).stdout)
        self.assertIn(b"FileSize=7,77 Kb\n", run("--decimal=,", sample).stdout)
        self.assertIn(b"FileSize=7.77 Kb\n", run("-d", "C", sample).stdout)

    def test_the_locales_separator_is_taken_whole_even_where_windows_1252_cannot_hold_it(self):
        # Pashto's decimal separator is U+066B, two bytes in UTF-8.
        os.mkdir(self.path("locales"))
        made = subprocess.run(["localedef", "-i", "ps_AF", "-f", "UTF-8", self.path("locales/ps_AF.UTF-8")],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if made.returncode != 0:
            self.skipTest("cannot make the ps_AF.UTF-8 locale")
        env = dict(os.environ, LOCPATH=self.path("locales"), LC_ALL="ps_AF.UTF-8")
        sample = self.sample("Canon_40D.jpg")
        self.assertIn("FileSize=7\u066b77 Kb\n".encode(), run("--decimal", "locale", sample, env=env).stdout)
        # A caption's own bytes stay as they are, the control byte included.
        image = self.put("iptc.jpg", jpeg_with_iptc(dataset(2, 120, b"1\x012 3.4")))
        files = json.loads(run("--json", "--decimal", "locale", self.sample("canon-ixus.jpg"), image, env=env).stdout)
        self.assertEqual(files[0]["FocalLengthIn35mmFormat"], "71\u066b44")
        self.assertEqual(files[1]["Caption-Abstract"], "1\x012 3.4")
        result = run("--decimal", "locale", "--export", self.path("out.txt"), sample, env=env)
        self.assertEqual(result.returncode, 2)
        self.assertFalse(os.path.exists(self.path("out.txt")))


class XmpProperties(ExifinfoCase):
    def test_xmp_rows_follow_the_iptc_rows_in_every_format_bags_as_json_lists(self):
        image = self.put("xmp.jpg", jpeg_with_xmp(xmp_packet("basic.xmp"), dataset(2, 5, b"Title")))
        result = run(image)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(b"\nIPTC\nObject name=Title\n\nXMP\nIptc4xmpCore:CreatorContactInfo/CiEmailWork=e@x\n",
                      result.stdout)
        self.assertIn(b"\ndc:subject=a, b\n", result.stdout)
        _, files = self.json_of(image)
        self.assertEqual(files[0]["Subject"], ["a", "b"])
        self.assertEqual(files[0]["Creator"], "X")  # a list of one item, as exiftool gives it
        self.assertEqual(files[0]["Title"], "T")
        self.assertEqual(list(files[0])[-1], "Rating")
        _, files = self.json_of("--names=dialog", image)
        self.assertEqual(files[0]["dc:subject"], ["a", "b"])
        self.assertEqual(files[0]["dc:creator"], ["X"])
        self.assertEqual(list(files[0])[-1], "xmp:Rating")
        rows = list(csv.DictReader(io.StringIO(run("--csv", image).stdout.decode("utf-8"), newline="")))
        self.assertEqual(rows[0]["Subject"], "a, b")
        self.assertEqual(run("-t", "DC:SUBJECT", image).stdout, b"dc:subject=a, b\n")
        run("--export", self.path("out.txt"), image)
        with open(self.path("out.txt"), "rb") as f:
            self.assertIn(b"\r\nObject name=Title\r\n\r\nXMP\r\n", f.read())

    def test_a_packet_without_properties_is_no_metadata_and_its_notes_reach_stderr_escaped(self):
        rdf = ("<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
               "<rdf:Description xmlns:dc='http://purl.org/dc/elements/1.1/'>"
               "<dc:x rdf:parseType='\u009b31m'/></rdf:Description></rdf:RDF></x:xmpmeta>").encode()
        image = self.put("odd.jpg", jpeg_with_xmp(rdf))
        result = run(image)
        self.assertEqual(result.returncode, 3)
        self.assert_no_raw_controls(result.stderr)
        self.assertIn(b'rdf:parseType="\\xc2\\x9b31m" not read', result.stderr)
        self.assertIn(b"odd.jpg: no EXIF, IPTC or XMP data", result.stderr)
        self.assertEqual(result.stdout, b"")


class Folders(ExifinfoCase):
    def test_recursion_is_sorted_skips_hidden_files_and_folder_links(self):
        os.makedirs(self.path("tree/b/c"))
        self.sample("Canon_40D.jpg", "tree/b/c/deep.jpg")
        self.sample("Canon_40D.jpg", "tree/b/z.jpg")
        self.sample("Canon_40D.jpg", "tree/a.jpg")
        self.sample("Canon_40D.jpg", "tree/noextension")
        self.sample("Canon_40D.jpg", "tree/.hidden.jpg")
        self.put("tree/readme.txt", b"not an image")
        os.symlink(self.path("tree"), self.path("tree/b/loop"))
        os.symlink(self.path("tree/a.jpg"), self.path("tree/link.jpg"))
        result, files = self.json_of("-r", self.path("tree"))
        self.assertEqual(result.returncode, 0, result.stderr)
        names = [os.path.relpath(f["SourceFile"], self.path("tree")) for f in files]
        self.assertEqual(names, ["a.jpg", "b/c/deep.jpg", "b/z.jpg", "link.jpg", "noextension"])

    def test_recursion_names_the_links_to_nothing_and_the_fifos_it_passes_over(self):
        os.makedirs(self.path("tree"))
        self.sample("Canon_40D.jpg", "tree/a.jpg")
        os.symlink(self.path("tree/gone.jpg"), self.path("tree/dangling.jpg"))
        os.mkfifo(self.path("tree/pipe.jpg"))
        result, files = self.json_of("-r", self.path("tree"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual([os.path.basename(f["SourceFile"]) for f in files], ["a.jpg"])
        self.assertIn(b"dangling.jpg: skipped: a symbolic link that leads nowhere", result.stderr)
        self.assertIn(b"pipe.jpg: skipped: a FIFO", result.stderr)

    def test_recursion_reads_every_kind_and_counts_the_files_no_reader_knows(self):
        os.makedirs(self.path("phone"))
        heic = os.path.join(os.path.dirname(SAMPLES), "samples-modern", "IMG_5195.HEIC")
        shutil.copyfile(heic, self.path("phone/IMG_5195.HEIC"))
        for name in ("a.mov", "b.mov", "notes.txt"):
            self.put("phone/" + name, b"not an image")
        result, files = self.json_of("-r", self.path("phone"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual([(os.path.basename(f["SourceFile"]), f["FileType"], f["Make"]) for f in files],
                         [("IMG_5195.HEIC", "HEIC", "Apple")])
        stderr = result.stderr.decode()
        self.assertIn("a.mov: skipped: no reader knows this kind of file", stderr)
        self.assertNotIn("b.mov", stderr)  # each kind named once
        self.assertIn("skipped 3 files that no reader knows: 2 .mov, 1 .txt", stderr)

    def test_folders_deeper_than_64_levels_are_named_and_not_entered(self):
        # A bind mount can make a tree endless without any symbolic link.
        deepest_read = os.path.join(self.path("tree"), *["d"] * 64)
        os.makedirs(os.path.join(deepest_read, "d"))
        self.sample("Canon_40D.jpg", os.path.join(deepest_read, "read.jpg"))
        self.sample("Canon_40D.jpg", os.path.join(deepest_read, "d", "not-read.jpg"))
        result, files = self.json_of("-r", self.path("tree"))
        self.assertEqual(result.returncode, 1)
        self.assertEqual([os.path.basename(f["SourceFile"]) for f in files], ["read.jpg"])
        self.assertIn(b"deeper than 64 folders, not entered", result.stderr)

    def test_a_hidden_file_named_on_the_command_line_is_read(self):
        result = run(self.sample("Canon_40D.jpg", ".hidden.jpg"))
        self.assertEqual(result.returncode, 0)


class ExportSafety(ExifinfoCase):
    def test_export_onto_an_input_under_any_name_is_refused_and_the_input_kept(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        with open(image, "rb") as f:
            original = f.read()
        os.symlink(image, self.path("soft.jpg"))
        os.link(image, self.path("hard.jpg"))
        for target in (image, self.path("soft.jpg"), self.path("hard.jpg"), self.dir + "/./img.jpg"):
            with self.subTest(target=target):
                result = run("--export", target, image)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"is the input file", result.stderr)
                with open(image, "rb") as f:
                    self.assertEqual(f.read(), original)

    def test_a_failed_export_leaves_the_earlier_file_whole(self):
        earlier = self.put("out.txt", b"the earlier export\r\n")

        def small_file_limit():
            # Writes past 1 KiB fail (EFBIG) instead of killing the process.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (1024, 1024))

        result = run("--export", earlier, self.sample("DSCN0010.jpg"), preexec_fn=small_file_limit)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"cannot write", result.stderr)
        with open(earlier, "rb") as f:
            self.assertEqual(f.read(), b"the earlier export\r\n")
        self.assertEqual(sorted(os.listdir(self.dir)), ["DSCN0010.jpg", "out.txt"])

    def special_files(self):
        """A FIFO, a folder, a socket and (as root) a character device, each
        made by a function of its path."""
        def bind_socket(path):
            with socket.socket(socket.AF_UNIX) as s:
                s.bind(path)

        def null_device(path):
            os.mknod(path, stat.S_IFCHR | 0o666, os.makedev(1, 3))

        return {"fifo": os.mkfifo, "folder": os.mkdir, "socket": bind_socket, "device": null_device}

    def test_a_special_file_at_the_target_or_where_a_link_leads_is_refused_and_left_as_it_is(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        for kind, make in self.special_files().items():
            for through_link in (False, True):
                with self.subTest(kind=kind, through_link=through_link):
                    special = self.path(kind + ("-target" if through_link else ""))
                    try:
                        make(special)
                    except PermissionError:
                        self.skipTest(f"cannot make a {kind} here")
                    target = special
                    if through_link:
                        target = self.path(kind + "-link")
                        os.symlink(special, target)
                    before = os.lstat(special)
                    result = run("--export", target, image)
                    self.assertEqual(result.returncode, 2)
                    self.assertIn(b"--export writes only to a regular file or a new name", result.stderr)
                    after = os.lstat(special)
                    self.assertEqual((after.st_ino, after.st_mode, after.st_rdev),
                                     (before.st_ino, before.st_mode, before.st_rdev))
        self.assertEqual([n for n in os.listdir(self.dir) if n.endswith(".tmp")], [])

    def test_export_to_dev_stdout_that_is_a_pipe_is_refused_as_a_fifo(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        result = run("--export", "/dev/stdout", image)  # standard output is a pipe here
        self.assertEqual(result.returncode, 2, result.stderr)
        self.assertIn(b"a FIFO; --export writes only to a regular file or a new name", result.stderr)

    def test_a_symbolic_link_at_the_target_is_followed_and_its_file_replaced(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        os.mkdir(self.path("real"))
        self.put("real/out.txt", b"the earlier export\r\n")
        os.symlink("real/out.txt", self.path("link.txt"))
        result = run("--export", self.path("link.txt"), image)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(os.readlink(self.path("link.txt")), "real/out.txt")
        with open(self.path("real/out.txt"), "rb") as f:
            self.assertTrue(f.read().startswith(b"EXIF\r\nFileName=img.jpg\r\n"))

    def test_a_re_export_keeps_the_mode_and_owner_of_the_earlier_file(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        earlier = self.put("out.txt", b"private\r\n")
        os.chmod(earlier, 0o600)
        owner = (1234, 5678) if os.geteuid() == 0 else (os.getuid(), os.getgid())
        os.chown(earlier, *owner)
        self.assertEqual(run("--export", earlier, image).returncode, 0)
        status = os.stat(earlier)
        self.assertEqual((stat.S_IMODE(status.st_mode), status.st_uid, status.st_gid), (0o600, *owner))

    def test_a_target_name_near_the_file_systems_limit_is_written(self):
        target = self.path("e" * 250 + ".txt")
        result = run("--export", target, self.sample("Canon_40D.jpg", "img.jpg"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(["img.jpg", os.path.basename(target)]))

    @unittest.skipUnless(shutil.which("strace"), "needs strace")
    def test_a_termination_signal_during_the_export_leaves_no_temporary_file(self):
        image = self.sample("Canon_40D.jpg", "img.jpg")
        signals = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGPIPE)

        def default_actions():
            for s in signals:
                signal.signal(s, signal.SIG_DFL)

        for sig in signals:
            with self.subTest(signal=sig.name):
                earlier = self.put("out.txt", b"the earlier export\r\n")
                # strace delivers the signal as the tool flushes the written
                # temporary file to the disk, before the rename: every time
                # at the same point.
                result = subprocess.run(["strace", "-qq", "-o", os.devnull, "-e", "trace=fsync",
                                         "-e", f"inject=fsync:signal={sig.name}",
                                         EXIFINFO, "--export", earlier, image],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=default_actions)
                if result.returncode > 0 and b"ptrace" in result.stderr.lower():
                    self.skipTest("strace may not trace here")
                self.assertEqual(result.returncode, -sig)
                self.assertEqual(sorted(os.listdir(self.dir)), ["img.jpg", "out.txt"])
                with open(earlier, "rb") as f:
                    self.assertEqual(f.read(), b"the earlier export\r\n")


if __name__ == "__main__":
    EXIFINFO, SAMPLES = os.path.abspath(sys.argv[1]), sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=1)

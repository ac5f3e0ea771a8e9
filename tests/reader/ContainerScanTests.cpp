// How a file is opened: the extension decides between a JPEG segment scan and
// a TIFF-structured block; the scan keeps segments up to the start of the
// compressed data and picks the EXIF, IPTC and comment segments among them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"

using namespace testbytes;

namespace {

const std::string SmallTiff() {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Ascii(0x0110, "EOS")});
    return t.Build();
}

std::unique_ptr<exif::TimgData> Open(const std::string &path, bool *result = nullptr) {
    auto img = std::make_unique<exif::TimgData>(exif::BuildAll, params::ReaderParts());
    const bool ok = img->OpenImageFile(path);
    if (result) *result = ok;
    return img;
}

// A segment written by hand: marker, then the given length field and payload.
std::string RawSegment(unsigned marker, unsigned lengthField, const std::string &payload) {
    std::string s = "\xFF";
    s += static_cast<char>(marker);
    s += static_cast<char>((lengthField >> 8) & 0xFF);
    s += static_cast<char>(lengthField & 0xFF);
    return s + payload;
}

std::string ExifPayload(const std::string &tiff) {
    return std::string("Exif\0\0", 6) + tiff;
}

// The payload of kept segment `n` (its bytes after the two length bytes).
std::string PayloadOf(const exif::TimgData &img, int n) {
    return std::string(img.Section(n).Bytes.substr(2));
}

}  // namespace

TEST(ContainerScan, ExtensionIsReadInAnyLetterCase) {
    const std::string jpeg = Jpeg().App0().Exif(SmallTiff()).Build();
    for (const std::string name : {"scan_upper.JPG", "scan_mixed.JpEg", "scan_short.jpe", "scan_lower.jpg"}) {
        bool ok = false;
        const auto img = Open(WriteTempFile(name, jpeg), &ok);
        EXPECT_TRUE(ok) << name;
        EXPECT_TRUE(img->HasExifSegment()) << name;
        EXPECT_EQ(img->ErrorText, "<none>") << name;
    }
    for (const std::string name : {"scan_upper.TIF", "scan_long.Tiff", "scan_raw.NEF"}) {
        bool ok = false;
        const auto img = Open(WriteTempFile(name, SmallTiff()), &ok);
        EXPECT_TRUE(ok) << name;
        ASSERT_NE(img->ExifInfo(), nullptr) << name;
        EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon") << name;
    }
}

TEST(ContainerScan, TheNameDoesNotDecideTheKind) {
    const std::string jpeg = Jpeg().App0().Exif(SmallTiff()).Build();
    for (const std::string &path :
         {WriteTempFile("scan_named.png", jpeg), WriteTempFile("scan_named.jpg.bak", jpeg),
          WriteTempFile("scan_named_jpg", jpeg)}) {
        bool ok = false;
        const auto img = Open(path, &ok);
        EXPECT_TRUE(ok) << path;
        EXPECT_EQ(img->Kind, exif::TFileKind::Jpeg) << path;
        EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon") << path;
    }
    bool ok = true;
    const auto unknown = Open(WriteTempFile("scan_unknown.jpg", "GIF89a"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(unknown->Failure, exif::TReadFailure::UnknownKind);
    EXPECT_EQ(unknown->ErrorText, "Not an EXIF file");
}

TEST(ContainerScan, MissingFileGivesFalseAndNoErrorText) {
    bool ok = true;
    const auto img = Open(WriteTempFile("scan_probe.bin", "") + ".does-not-exist.jpg", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(img->ErrorText, "");
}

TEST(ContainerScan, JpegWithoutStartOfImageIsNotAnExifFile) {
    const std::string noSoi = Jpeg().Exif(SmallTiff()).Build().substr(2);
    bool ok = true;
    const auto img = Open(WriteTempFile("scan_nosoi.jpg", noSoi), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(img->ErrorText, "Not an EXIF file");
    EXPECT_EQ(img->SectionCount, 0);
    EXPECT_FALSE(img->HasExifSegment());

    bool emptyOk = true;
    const auto empty = Open(WriteTempFile("scan_empty.jpg", ""), &emptyOk);
    EXPECT_FALSE(emptyOk);
    EXPECT_EQ(empty->ErrorText, "Not an EXIF file");
}

TEST(ContainerScan, App1AfterApp0IsSectionTwoAndTheScanStopsAtStartOfScan) {
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_app0app1.jpg", Jpeg().App0().Exif(SmallTiff()).Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ExifSection, 2);
    EXPECT_EQ(img->SectionCount, 3);  // APP0, APP1 and the start-of-scan segment
    EXPECT_EQ(img->Section(1).Marker, 0xE0);
    EXPECT_EQ(img->Section(2).Marker, 0xE1);
    EXPECT_EQ(img->Section(3).Marker, 0xDA);
    EXPECT_EQ(img->Section(2).SegmentLength, static_cast<int32_t>(SmallTiff().size() + 8));
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 2);
    EXPECT_FALSE(img->ExifInfo()->FromTiff);
}

TEST(ContainerScan, MetadataIsFoundWhereverItStandsInTheHeader) {
    // Colour-managed exports: JFIF, three ICC chunks, then EXIF.
    const std::string icc = std::string("ICC_PROFILE\0\x01\x03", 14) + std::string(3000, 'p');
    bool ok = false;
    const auto fifth = Open(WriteTempFile("scan_fifth_app1.jpg", Jpeg()
                                                                      .App0()
                                                                      .Segment(0xE2, icc)
                                                                      .Segment(0xE2, icc)
                                                                      .Segment(0xE2, icc)
                                                                      .Exif(SmallTiff())
                                                                      .Build()),
                            &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(fifth->ExifSection, 5);
    EXPECT_EQ(fifth->ExifInfo()->CameraMake, "Canon");

    // An APP13 as the 25th segment, and a comment after it.
    Jpeg late;
    for (int k = 0; k < 24; ++k) late.Dqt();
    const auto img = Open(WriteTempFile("scan_app13_25th.jpg",
                                        late.Segment(0xED, std::string("Photoshop 3.0\0", 14)).Comment("hi").Build()),
                          &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(img->IptcSection, 25);
    EXPECT_EQ(img->CommentSection, 26);
}

TEST(ContainerScan, APhotoshopApp13ReplacesAFirstApp13ThatIsNot) {
    const std::string photoshop = std::string("Photoshop 3.0\0", 14) + "8BIM";
    const auto img = Open(WriteTempFile(
        "scan_two_app13.jpg",
        Jpeg().Segment(0xED, "Adobe_CM").Segment(0xED, photoshop).Segment(0xED, photoshop + "x").Build()));
    EXPECT_EQ(img->IptcSection, 2);
    EXPECT_EQ(PayloadOf(*img, 2), photoshop);
}

TEST(ContainerScan, XmpApp1sAreKeptAndAnyOtherSecondApp1GivesItsSlotBack) {
    const std::string xmp = "http://ns.adobe.com/xap/1.0/" + std::string(1, '\0') + "<x:xmpmeta/>";
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_two_app1.jpg", Jpeg()
                                                                 .App0()
                                                                 .Exif(SmallTiff())
                                                                 .Segment(0xE1, xmp)
                                                                 .Segment(0xE1, xmp + "again")
                                                                 .Segment(0xE1, "other")
                                                                 .Comment("note")
                                                                 .Build()),
                          &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ExifSection, 2);
    EXPECT_EQ(img->XmpSection, 3);
    EXPECT_EQ(img->XmpBlock, "<x:xmpmeta/>");
    EXPECT_EQ(img->LaterXmpBlocks, std::vector<std::string_view>{"<x:xmpmeta/>again"});
    EXPECT_EQ(img->CommentSection, 5);
    EXPECT_EQ(img->Section(5).Marker, 0xFE);
    EXPECT_EQ(PayloadOf(*img, 5), "note");
    EXPECT_EQ(img->SectionCount, 6);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");

    // The first APP1 is taken whatever it holds: XMP alone reads as no entries.
    const auto xmpOnly = Open(WriteTempFile("scan_xmp_only.jpg", Jpeg().Segment(0xE1, xmp).Build()), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(xmpOnly->ExifSection, 1);
    ASSERT_NE(xmpOnly->ExifInfo(), nullptr);
    EXPECT_EQ(xmpOnly->ExifInfo()->EntryCount(), 0);
}

TEST(ContainerScan, LaterExifApp1ReplacesAFirstApp1ThatIsNotExif) {
    const std::string xmp = "http://ns.adobe.com/xap/1.0/" + std::string(1, '\0') + "<x:xmpmeta/>";
    bool ok = false;
    const auto img =
        Open(WriteTempFile("scan_xmp_first.jpg", Jpeg().Segment(0xE1, xmp).Exif(SmallTiff()).Build()), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(img->ExifSection, 2);
    EXPECT_EQ(PayloadOf(*img, 1), xmp);  // still a kept segment
    EXPECT_EQ(img->SectionCount, 3);
    EXPECT_EQ(img->Section(3).Marker, 0xDA);
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 2);

    // Only the first "Exif" APP1 is read; a third APP1 gives its slot back.
    Tiff other;
    other.Dir({Tiff::Ascii(0x010F, "Other")});
    const auto third =
        Open(WriteTempFile("scan_xmp_two_exif.jpg",
                           Jpeg().Segment(0xE1, xmp).Exif(SmallTiff()).Exif(other.Build()).Comment("c").Build()),
             &ok);
    EXPECT_EQ(third->ExifSection, 2);
    EXPECT_EQ(third->CommentSection, 3);
    EXPECT_EQ(third->ExifInfo()->CameraMake, "Canon");

    // An "Exif" APP1 with a wrong byte after the letters takes over too, and
    // then reads as an incorrect header: no entries.
    std::string badHeader = ExifPayload(SmallTiff());
    badHeader[4] = '\x01';
    const auto bad =
        Open(WriteTempFile("scan_xmp_badexif.jpg", Jpeg().Segment(0xE1, xmp).Segment(0xE1, badHeader).Build()), &ok);
    EXPECT_EQ(bad->ExifSection, 2);
    EXPECT_EQ(bad->ExifInfo()->EntryCount(), 0);

    // A first APP1 that begins with "Exif", even a damaged one, is not replaced.
    const auto kept =
        Open(WriteTempFile("scan_badexif_first.jpg", Jpeg().Segment(0xE1, badHeader).Exif(SmallTiff()).Build()), &ok);
    EXPECT_EQ(kept->ExifSection, 1);
    EXPECT_EQ(kept->ExifInfo()->EntryCount(), 0);

    // Far from the first, an "Exif" APP1 still takes over.
    const auto late = Open(WriteTempFile("scan_xmp_late_exif.jpg",
                                         Jpeg().Segment(0xE1, xmp).Dqt().Dqt().Dqt().Dqt().Exif(SmallTiff()).Build()),
                           &ok);
    EXPECT_EQ(late->ExifSection, 6);
    EXPECT_EQ(late->ExifInfo()->CameraMake, "Canon");
}

TEST(ContainerScan, LastCommentWinsAndACommentAloneIsEnough) {
    bool ok = false;
    const auto two =
        Open(WriteTempFile("scan_two_com.jpg", Jpeg().Comment("first").App0().Comment("second").Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(two->CommentSection, 3);
    EXPECT_EQ(PayloadOf(*two, two->CommentSection), "second");

    const auto only = Open(WriteTempFile("scan_com_only.jpg", Jpeg().Comment("just a comment").Build(false)), &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(only->HasExifSegment());
    EXPECT_FALSE(only->HasIptcSegment());
    EXPECT_EQ(only->CommentSection, 1);
    EXPECT_EQ(only->ErrorText, "<none>");
}

TEST(ContainerScan, BadExifHeaderOrByteOrderStillReadsWithNoEntries) {
    std::string badHeader = ExifPayload(SmallTiff());
    badHeader[4] = '\x01';  // position 7 of the segment: must be 0
    std::string badMark = ExifPayload(SmallTiff());
    badMark[6] = 'X';
    badMark[7] = 'X';
    std::string lowerExif = ExifPayload(SmallTiff());
    lowerExif[0] = 'e';
    int i = 0;
    for (const std::string &payload : {badHeader, badMark, lowerExif}) {
        bool ok = false;
        const auto img = Open(WriteTempFile("scan_badheader" + std::to_string(i++) + ".jpg",
                                            Jpeg().Segment(0xE1, payload).Comment("c").Build()),
                              &ok);
        EXPECT_TRUE(ok);
        EXPECT_TRUE(img->HasExifSegment());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(img->ExifInfo()->EntryCount(), 0);
        EXPECT_EQ(img->ExifInfo()->DumpText, "");
        EXPECT_EQ(img->CommentSection, 2);
        EXPECT_EQ(img->ErrorText, "<none>");
    }

    // A byte other than 0 at position 8 (the sixth header byte) is not checked.
    std::string sixth = ExifPayload(SmallTiff());
    sixth[5] = 'x';
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_sixth_byte.jpg", Jpeg().Segment(0xE1, sixth).Build()), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
}

TEST(ContainerScan, BigEndianExifIsReadInItsByteOrder) {
    Tiff t(true);
    t.Dir({Tiff::Ascii(0x010F, "NIKON"), t.Short(0x0112, {6})});
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_motorola.jpg", Jpeg().Exif(t.Build()).Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(img->BigEndian);
    EXPECT_TRUE(img->ExifInfo()->BigEndian);
    ASSERT_EQ(img->ExifInfo()->EntryCount(), 2);
    EXPECT_EQ(img->ExifInfo()->EntryAt(1).Value, "CounterClockwise 90\u00B0");
}

TEST(ContainerScan, FirstDirectoryOffsetZeroMeansRightAfterTheHeader) {
    std::string tiff = SmallTiff();
    tiff.replace(4, 4, std::string(4, '\0'));
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_offset0.jpg", Jpeg().Exif(tiff).Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 2);
}

TEST(ContainerScan, FirstDirectoryIsWhereTheHeaderPoints) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Skipped")});
    t.Dir({Tiff::Ascii(0x010F, "Pointed")});  // the header points here
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_second_dir.jpg", Jpeg().Exif(t.Build()).Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Pointed");
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 1);
}

TEST(ContainerScan, ShortOrTruncatedSegmentEndsTheScan) {
    bool ok = false;
    // A length field of 1 ends the scan: the APP1 behind it is never seen.
    const std::string tooShort = Jpeg().Comment("c").Raw(RawSegment(0xE0, 1, "")).Exif(SmallTiff()).Build();
    const auto a = Open(WriteTempFile("scan_len1.jpg", tooShort), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a->SectionCount, 1);
    EXPECT_FALSE(a->HasExifSegment());

    // Length 2 is an empty segment and the scan goes on.
    const std::string empty = Jpeg().Raw(RawSegment(0xE0, 2, "")).Exif(SmallTiff()).Build();
    const auto b = Open(WriteTempFile("scan_len2.jpg", empty), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(b->ExifSection, 2);

    // An APP1 cut short by the end of the file is not classified.
    const std::string exif = Jpeg().Exif(SmallTiff()).Build(false);
    const auto c = Open(WriteTempFile("scan_cut_app1.jpg", exif.substr(0, exif.size() - 3)), &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(c->HasExifSegment());
    EXPECT_EQ(c->SectionCount, 0);

    const std::string kept = Jpeg().Comment("kept").Build(false) + RawSegment(0xE1, 500, "Exif");
    const auto d = Open(WriteTempFile("scan_cut_after_com.jpg", kept), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(d->SectionCount, 1);
    EXPECT_FALSE(d->HasExifSegment());

    // A file ending inside a length field, or right after a marker.
    const auto e = Open(WriteTempFile("scan_cut_length.jpg", Jpeg().Comment("x").Build(false) + "\xFF\xE1\x01"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(e->SectionCount, 1);
}

TEST(ContainerScan, FillBytesAreSkippedAndTheMarkerNeedsNoFF) {
    bool ok = false;
    const std::string filled = Jpeg().Raw("\xFF\xFF\xFF").Exif(SmallTiff()).Build();
    const auto a = Open(WriteTempFile("scan_fill.jpg", filled), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a->ExifSection, 1);

    // After a segment the next byte that is not 0xFF is the marker.
    const std::string payload = ExifPayload(SmallTiff());
    const std::string bare = RawSegment(0xE1, static_cast<unsigned>(payload.size() + 2), payload).substr(1);
    const auto b = Open(WriteTempFile("scan_bare_marker.jpg", Jpeg().Comment("c").Raw(bare).Build()), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(b->ExifSection, 2);
    EXPECT_EQ(b->ExifInfo()->CameraMake, "Canon");
}

TEST(ContainerScan, NothingAfterStartOfScanOrEndOfImageIsRead) {
    bool ok = true;
    const std::string afterScan = Jpeg().App0().Build() + Jpeg().Exif(SmallTiff()).Build().substr(2);
    const auto a = Open(WriteTempFile("scan_after_sos.jpg", afterScan), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(a->SectionCount, 2);
    EXPECT_EQ(a->Section(2).Marker, 0xDA);
    EXPECT_FALSE(a->HasExifSegment());
}

TEST(ContainerScan, TheHeaderScanIsBoundedInSegmentsAndBytesRead) {
    Jpeg many;
    for (int k = 0; k < exif::TimgData::MaxSections; ++k) many.Dqt();
    const auto img = Open(WriteTempFile("scan_many.jpg", many.Comment("too late").Build()));
    EXPECT_EQ(img->SectionCount, exif::TimgData::MaxSections);
    EXPECT_EQ(img->CommentSection, 0);

    // Segments no reader wants are stepped over, not read: APP1 segments
    // after the EXIF one cost their headers only.
    Jpeg flood;
    flood.Exif(SmallTiff());
    for (int k = 0; k < 100; ++k) flood.Segment(0xE1, std::string(65000, 'x'));
    const std::string file = flood.Comment("end").Build();
    const auto read = Open(WriteTempFile("scan_app1_flood.jpg", file));
    EXPECT_EQ(read->ExifInfo()->CameraMake, "Canon");
    EXPECT_EQ(PayloadOf(*read, read->CommentSection), "end");
    EXPECT_LT(read->FileBytesRead(), file.size() / 3);
}

TEST(ContainerScan, ReopeningStartsFromAnEmptyContainer) {
    Tiff motorola(true);
    motorola.Dir({Tiff::Ascii(0x010F, "NIKON")});
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("scan_reuse1.jpg", Jpeg().App0().Exif(motorola.Build()).Build())));
    EXPECT_TRUE(img.HasExifSegment());
    EXPECT_TRUE(img.BigEndian);
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("scan_reuse2.jpg", Jpeg().Comment("only").Build())));
    EXPECT_FALSE(img.HasExifSegment());
    EXPECT_EQ(img.ExifInfo(), nullptr);
    EXPECT_EQ(img.CommentSection, 1);
    EXPECT_FALSE(img.BigEndian);
}

// ------------------------------------------------------------- TIFF files

TEST(ContainerScan, TiffFirstDirectoryIsWhereTheHeaderPoints) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Image data, not a directory")});
    t.Dir({Tiff::Ascii(0x010F, "Pointed"), Tiff::Ascii(0x0131, "Long software name")});
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_tiff_pointed.tif", t.Build()), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ErrorText, "<none>");
    EXPECT_TRUE(img->HasExifSegment());
    EXPECT_EQ(img->ExifSection, 1);
    EXPECT_EQ(img->SectionCount, 1);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_TRUE(info.FromTiff);
    ASSERT_EQ(info.EntryCount(), 2);
    EXPECT_EQ(info.CameraMake, "Pointed");
    EXPECT_EQ(info.EntryAt(1).Value, "Long software name");
}

TEST(ContainerScan, TiffStoredOffsetBelowEightMeansOffsetEight) {
    for (const char low : {'\0', '\x04', '\x07'}) {
        std::string tiff = SmallTiff();
        tiff.replace(4, 4, std::string(1, low) + std::string(3, '\0'));
        const auto img = Open(WriteTempFile("scan_tiff_low" + std::to_string(int{low}) + ".tif", tiff));
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon") << int{low};
    }
}

TEST(ContainerScan, TiffBlockHoldsTheBytesFromOffsetEight) {
    Tiff t(true);
    t.Dir({Tiff::Ascii(0x0110, "Model")});
    const std::string tiff = t.Build();
    const auto img = Open(WriteTempFile("scan_tiff_block.tiff", tiff));
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->Section(1).Bytes, tiff.substr(8));
    EXPECT_EQ(img->GetBuffer(), tiff.substr(8));
    EXPECT_TRUE(img->ExifInfo()->BigEndian);
    EXPECT_EQ(img->ExifInfo()->CameraModel, "Model");
}

TEST(ContainerScan, TiffValuesEndWithTheFileAndWithTheBlock) {
    // A Make that runs past the end of the file keeps the bytes present.
    Tiff t;
    std::string tiff;
    {
        Tiff probe;
        probe.Dir({Tiff::AtOffset(0x010F, 2, 10, 0)});
        const size_t end = probe.Build().size();
        t.Dir({Tiff::AtOffset(0x010F, 2, 10, end)});
        tiff = t.Build() + "abc";
    }
    const auto img = Open(WriteTempFile("scan_tiff_short.tif", tiff));
    ASSERT_NE(img->ExifInfo(), nullptr);
    ASSERT_EQ(img->ExifInfo()->EntryCount(), 1);
    EXPECT_EQ(img->ExifInfo()->EntryAt(0).Raw, "abc");
    EXPECT_EQ(img->ExifInfo()->EntryAt(0).Value, "abc");
    EXPECT_EQ(img->ExifInfo()->EntryAt(0).RawLength, 3);

    // Values beyond 256000 bytes after the header are read where they lie.
    Tiff big;
    const uint32_t farAway = 8 + 256000;
    big.Dir({Tiff::AtOffset(0x010F, 2, 6, farAway - 2), Tiff::AtOffset(0x0110, 2, 6, farAway + 10)});
    std::string file = big.Build();
    file.resize(farAway + 100, 'z');
    file.replace(farAway - 2, 4, "ABCD");
    const auto bigImg = Open(WriteTempFile("scan_tiff_big.tif", file));
    ASSERT_NE(bigImg->ExifInfo(), nullptr);
    ASSERT_EQ(bigImg->ExifInfo()->EntryCount(), 2);
    EXPECT_EQ(bigImg->ExifInfo()->EntryAt(0).Raw, "ABCDzz");
    EXPECT_EQ(bigImg->ExifInfo()->EntryAt(1).Value, "zzzzzz");
}

TEST(ContainerScan, TiffDirectoryAfterTheImageDataIsRead) {
    // Most writers put the first directory after the strips; here 300000
    // bytes of image data come first.
    constexpr uint32_t imageBytes = 300000;
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Scanner"), t.Long(0x0111, {8})});
    std::string directory = t.Build().substr(8);
    ByteWriter header{false, {}};
    header.Str("II");
    header.U16(42);
    header.U32(8 + imageBytes);
    // The directory's own value offsets were laid out for offset 8.
    std::string file = header.out + std::string(imageBytes, '\x55') + directory;
    ASSERT_EQ(file.compare(8 + imageBytes + 2 + 24 + 4, 8, std::string("Scanner\0", 8)), 0);
    file.replace(8 + imageBytes + 2 + 8, 4, U32Bytes(false, {8 + imageBytes + 2 + 24 + 4}));
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_tiff_dir_far.tif", file), &ok);
    EXPECT_TRUE(ok);
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Scanner");
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "StripOffsets"), "8");
}

TEST(ContainerScan, TiffWithoutByteOrderMarkIsNotAnExifFile) {
    std::string tiff = SmallTiff();
    tiff[0] = 'I';
    tiff[1] = 'M';
    for (const std::string &bytes : {tiff, std::string("I"), std::string()}) {
        bool ok = true;
        const auto img = Open(WriteTempFile("scan_tiff_nomark.tif", bytes), &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(img->ErrorText, "Not an EXIF file");
        EXPECT_FALSE(img->HasExifSegment());
    }
}

TEST(ContainerScan, TiffFailureInTheFirstDirectoryFailsTheRead) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), t.Short(0x9209, {9, 0}), Tiff::Ascii(0x0110, "EOS")});
    bool ok = true;
    const auto img = Open(WriteTempFile("scan_tiff_flash.tif", t.Build()), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(img->ErrorText, "Not an EXIF file");
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 1);
}

TEST(ContainerScan, TiffOfHeaderOnlyHasNoEntries) {
    bool ok = false;
    const auto img = Open(WriteTempFile("scan_tiff_header.tif", std::string("MM\0\x2A", 4)), &ok);
    EXPECT_TRUE(ok);
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 0);
    EXPECT_EQ(img->ErrorText, "<none>");
}

// Segments are read through a buffer of a few kilobytes and those larger than
// it straight from the file: whichever way, every byte arrives in order, and
// a segment cut short by the end of the file still ends the scan.
TEST(ContainerScan, SegmentsOfEverySizeAreReadWhole) {
    auto pattern = [](size_t size, int seed) {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed)) % 251);
        return s;
    };
    const std::string small = pattern(9000, 1), large = pattern(60000, 2), straddling = pattern(20000, 3);
    const std::string jpeg = Jpeg()
                                 .App0()
                                 .Segment(0xE1, small)
                                 .Segment(0xED, large)
                                 .Segment(0xE4, small)
                                 .Comment(straddling)
                                 .Build();
    const auto img = Open(WriteTempFile("scan_sizes.jpg", jpeg));
    ASSERT_GE(img->SectionCount, 5);
    EXPECT_EQ(PayloadOf(*img, 2), small);
    EXPECT_EQ(PayloadOf(*img, 3), large);
    EXPECT_EQ(PayloadOf(*img, 4), small.substr(0, exif::TimgData::SegmentPrefix));  // wanted by no reader
    EXPECT_EQ(PayloadOf(*img, 5), straddling);

    const std::string cut = Jpeg().App0().Exif(SmallTiff()).Segment(0xED, large).Build().substr(0, 40000);
    const auto truncated = Open(WriteTempFile("scan_cut_large.jpg", cut));
    EXPECT_EQ(truncated->SectionCount, 2);
}

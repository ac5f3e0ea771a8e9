// The "EXIF / IPTC" dialog: the EXIF tab (file rows, every EXIF entry, the
// user comment), the IPTC tab and the XMP tab (each hidden when the file has
// none), and the export of all of them to a text file. Its texts are UTF-8,
// as the view model gives them, and so are the file names the host's
// answers give.
//
// It opens at the size and layout it always had; the user may make it larger
// (the grids grow, the size is remembered), filter the rows of every tab at
// once (Ctrl+F, F3), copy rows (Ctrl+C, Ctrl+A, the context menu), read a
// row's whole value (Enter, double click), open the file's GPS position on
// a map, and see the file's thumbnail once the dialog is wider.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/ParamsRows.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"

// What the dialog asks of its host while it is filled and while it exports.
struct TParamsHost {
    int32_t (*ImageWidth)() = nullptr;
    int32_t (*ImageHeight)() = nullptr;
    std::string (*ImageFileName)() = nullptr;
    std::string (*InitialDirectory)() = nullptr;
};

class TParamsForm : public ui::TForm {
public:
    TParamsForm(ui::TApplication &owner, const TParamsHost &host);
    ~TParamsForm();

private:
    // Keeps the common-controls context active while the controls below are
    // created; it must be the first member.
    ui::TCreationScope creationScope_;

public:
    ui::TPageControl PgControl;
    ui::TTabSheet TshExif;
    ui::TTextGrid ExifGrid;
    ui::TLabel Label1;
    ui::TMemo Memo;
    ui::TTabSheet TshIPTC;
    ui::TTextGrid IptcGrid;
    ui::TEdit EdtName;
    ui::TMemo MemData;
    ui::TTabSheet TshXmp;
    ui::TTextGrid XmpGrid;
    ui::TEdit EdtXmpName;  // the current row's name and value, read-only
    ui::TMemo MemXmpData;
    ui::TButton BOk;
    ui::TButton BExport;
    ui::TSaveDialog SaveDialog;

    void FillGrids(const std::string &fileName);
    void FillExifGrid(const params::ExifView &view);
    void FillIptcGrid(const params::IptcView &view);
    void FillXmpGrid(const params::XmpView &view);
    void AddExifRow(int row, const params::GridRow &entryRow);
    static std::string StripQuotes(std::string_view text);
    static std::string FileSizeText(const std::string &fileName);

    void GridDrawCell(ui::TTextGrid &grid, int col, int row, const RECT &rect, ui::TGridDrawState state);
    void IptcGridSelectCell(ui::TTextGrid &grid, int col, int row, bool &canSelect);
    void XmpGridSelectCell(ui::TTextGrid &grid, int col, int row, bool &canSelect);
    void FormKeyPress(wchar_t &key);
    void BOkClick();
    void BExportClick();

    // The layout for a client area of the given size: the default one at
    // the default size, the grids and boxes grown by what the client area
    // has more.
    void FormResize(int clientWidth, int clientHeight);
    bool FormShortcut(ui::TControl &control, WPARAM key);
    void FormContextMenu(ui::TControl &control, POINT at);
    // The filter box, made on first use, and the rows it lets through.
    void ShowFind();
    void ApplyFilter();
    // The selected rows of a grid as "Name=Value" lines (the values alone
    // with `valuesOnly`), CR LF between them, on the clipboard.
    void CopyRows(ui::TTextGrid &grid, bool valuesOnly);
    void OpenRow(ui::TTextGrid &grid, int row);
    std::string RowTip(ui::TTextGrid &grid, int row);
    void MapLinkClick();

    // The export file's bytes from what the dialog shows now.
    std::string ExportText();

    // Colour of the odd rows of the grids: red 238, green 238, blue 255.
    static constexpr COLORREF OddRowColor = 0xFFEEEE;
    // The client area at 96 dots per inch: the default and smallest size.
    static constexpr int DefaultClientWidth = 450;
    static constexpr int DefaultClientHeight = 429;

    // Made on first use (the filter), or only for a file that has a GPS
    // position (the map link).
    std::unique_ptr<ui::TLabel> FindLabel;
    std::unique_ptr<ui::TEdit> FindBox;
    std::unique_ptr<ui::TLink> MapLink;
    // The file's embedded thumbnail, shown beside the EXIF grid once the
    // dialog is wide enough for it; made only for a file that has one.
    std::unique_ptr<ui::TImage> Thumbnail;
    static constexpr int ThumbnailWidth = 160;  // the box it fits in, at 96 dpi
    static constexpr int ThumbnailHeight = 120;
    // The OpenStreetMap address of the file's GPS position; empty without one.
    std::string MapUrl;

private:
    void FormCreate();
    void Relayout();
    void RestoreSize();
    void RememberSize();
    void PlaceMapLink(const std::string &url);
    void PlaceThumbnail(const std::string &jpegBytes);

    TParamsHost host_;
    // The comment as the box was given it: the export takes it from here,
    // not back from the box.
    std::string comment_;
    // The thumbnail's bytes, decoded anew for another resolution.
    std::string thumbnailBytes_;
    int thumbnailDpi_ = 0;
};

// The OpenStreetMap address that centres on a position given in signed
// decimal degrees (the decimal separator "." whatever the locale).
std::string MapUrlOf(std::string_view latitude, std::string_view longitude);

// The dialog of the current run.
extern TParamsForm *ParamsForm;

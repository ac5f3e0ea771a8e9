// The "EXIF / IPTC" dialog: the EXIF tab (file rows, every EXIF entry, the
// user comment), the IPTC tab and the XMP tab (each hidden when the file has
// none), and the export of all of them to a text file. Its texts are UTF-8,
// as the view model gives them, and so are the file names the host's
// answers give.
#pragma once

#include <cstdint>
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

    // The export file's bytes from what the dialog shows now.
    std::string ExportText();

    // Colour of the odd rows of the grids: red 238, green 238, blue 255.
    static constexpr COLORREF OddRowColor = 0xFFEEEE;

private:
    void FormCreate();

    TParamsHost host_;
    // The comment as the box was given it: the export takes it from here,
    // not back from the box.
    std::string comment_;
};

// The dialog of the current run.
extern TParamsForm *ParamsForm;

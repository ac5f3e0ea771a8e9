#include "dialog/ParamsForm.h"

#include <utility>
#include <vector>

TParamsForm *ParamsForm = nullptr;

namespace {

constexpr const char *FormCaption = "EXIF / IPTC";
constexpr const char *FormFontName = "MS Sans Serif";
constexpr int FormFontHeight = -11;  // 8 points at 96 dpi

std::vector<params::GridRow> GridRows(const ui::TTextGrid &grid) {
    std::vector<params::GridRow> rows;
    rows.reserve(static_cast<size_t>(grid.RowCount()));
    for (int r = 0; r < grid.RowCount(); ++r) rows.push_back({grid.Cell(0, r), grid.Cell(1, r)});
    return rows;
}

void SetGridColumns(ui::TTextGrid &grid) {
    grid.SetColWidth(0, 160);
    grid.SetColWidth(1, 212);
}

void FillGrid(ui::TTextGrid &grid, const std::vector<params::GridRow> &rows) {
    grid.SetColCount(2);
    grid.SetRowCount(static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        grid.SetCell(0, static_cast<int>(r), rows[r].Name);
        grid.SetCell(1, static_cast<int>(r), rows[r].Value);
    }
}

// An XMP value's line breaks are LF, as XML reads them; an edit box breaks
// lines at CR LF only.
std::string WithCrLf(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

TParamsForm::TParamsForm(ui::TApplication &owner, const TParamsHost &host)
    : ui::TForm(owner, FormCaption, 364, 200, 450, 429, FormFontName, FormFontHeight),
      PgControl(*this, 12, 12, 426, 370, 0),
      TshExif(PgControl, "EXIF"),
      ExifGrid(TshExif, 12, 12, 395, 250, 0),
      Label1(TshExif, 12, 272, 50, 13, "Comment :"),
      Memo(TshExif, 12, 288, 395, 41, true, 1),
      TshIPTC(PgControl, "IPTC"),
      IptcGrid(TshIPTC, 12, 12, 395, 231, 0),
      EdtName(TshIPTC, 12, 256, 395, 21, 1),
      MemData(TshIPTC, 12, 280, 395, 49, false, 2),
      TshXmp(PgControl, "XMP"),
      XmpGrid(TshXmp, 12, 12, 395, 231, 0),
      EdtXmpName(TshXmp, 12, 256, 395, 21, 1, true),
      MemXmpData(TshXmp, 12, 280, 395, 49, true, 2),
      BOk(*this, 360, 392, 78, 25, "Ok", 1),
      BExport(*this, 12, 392, 78, 25, "Export", 2),
      host_(host) {
    creationScope_.End();
    PgControl.SetActivePage(&TshExif);

    KeyPreview = true;
    OnKeyPress = [this](wchar_t &key) { FormKeyPress(key); };
    auto drawCell = [this](ui::TTextGrid &grid, int col, int row, const RECT &rect, ui::TGridDrawState state) {
        GridDrawCell(grid, col, row, rect, state);
    };
    ExifGrid.OnDrawCell = drawCell;
    IptcGrid.OnDrawCell = drawCell;
    XmpGrid.OnDrawCell = drawCell;
    IptcGrid.OnSelectCell = [this](ui::TTextGrid &grid, int col, int row, bool &canSelect) {
        IptcGridSelectCell(grid, col, row, canSelect);
    };
    XmpGrid.OnSelectCell = [this](ui::TTextGrid &grid, int col, int row, bool &canSelect) {
        XmpGridSelectCell(grid, col, row, canSelect);
    };
    BOk.OnClick = [this] { BOkClick(); };
    BExport.OnClick = [this] { BExportClick(); };

    SaveDialog.DefaultExt = "txt";
    SaveDialog.Filter = "Text (*.txt)|*.txt";
    SaveDialog.Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;

    FormCreate();
}

TParamsForm::~TParamsForm() {
    // The windows go while every control object is still there: a control
    // destroyed on its own would still send notifications to the form.
    DestroyForm();
    // A reference to a freed dialog must not survive it.
    if (ParamsForm == this) ParamsForm = nullptr;
}

void TParamsForm::FormCreate() {
    SetActiveControl(&BOk);
}

void TParamsForm::FillGrids(const std::string &fileName) {
    // Every tab from one read of the file.
    params::ViewRequest request;
    request.ImageWidth = host_.ImageWidth ? host_.ImageWidth() : 0;
    request.ImageHeight = host_.ImageHeight ? host_.ImageHeight() : 0;
    const params::ImageView view = params::BuildImageView(fileName, request);
    FillExifGrid(view.Exif);
    FillIptcGrid(view.Iptc);
    FillXmpGrid(view.Xmp);
}

void TParamsForm::FillExifGrid(const params::ExifView &view) {
    SetGridColumns(ExifGrid);
    ExifGrid.SetColCount(2);
    ExifGrid.SetRowCount(static_cast<int>(view.Rows.size()));
    for (size_t r = 0; r < view.Rows.size(); ++r) AddExifRow(static_cast<int>(r), view.Rows[r]);
    comment_ = view.Comment;
    Memo.SetText(comment_);
}

void TParamsForm::AddExifRow(int row, const params::GridRow &entryRow) {
    ExifGrid.SetCell(0, row, entryRow.Name);
    ExifGrid.SetCell(1, row, entryRow.Value);
}

std::string TParamsForm::StripQuotes(std::string_view text) {
    return params::StripQuotes(text);
}

std::string TParamsForm::FileSizeText(const std::string &fileName) {
    return params::FileSizeText(fileName);
}

void TParamsForm::FillIptcGrid(const params::IptcView &view) {
    SetGridColumns(IptcGrid);
    if (!view.Visible) {
        TshIPTC.SetTabVisible(false);
        return;
    }
    FillGrid(IptcGrid, view.Rows);
    EdtName.SetText(IptcGrid.Cell(0, 0));
    MemData.SetText(IptcGrid.Cell(1, 0));
}

void TParamsForm::FillXmpGrid(const params::XmpView &view) {
    SetGridColumns(XmpGrid);
    if (!view.Visible) {
        TshXmp.SetTabVisible(false);
        return;
    }
    FillGrid(XmpGrid, view.Rows);
    EdtXmpName.SetText(XmpGrid.Cell(0, 0));
    MemXmpData.SetText(WithCrLf(XmpGrid.Cell(1, 0)));
}

void TParamsForm::GridDrawCell(ui::TTextGrid &grid, int col, int row, const RECT &rect, ui::TGridDrawState state) {
    COLORREF back, text;
    if (state.Selected) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        back = row % 2 != 0 ? OddRowColor : GetSysColor(COLOR_WINDOW);
        text = GetSysColor(COLOR_WINDOWTEXT);
    }
    const HDC dc = grid.Canvas();
    if (!dc) return;
    const ui::TBrushHandle brush(CreateSolidBrush(back));
    FillRect(dc, &rect, brush.Get());
    const ui::TSelectObject font(dc, Font());
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
    const std::wstring cell = grid.ShownCell(col, row);
    ExtTextOutW(dc, rect.left + 2, rect.top + 2, ETO_CLIPPED | ETO_OPAQUE, &rect, cell.data(),
                static_cast<UINT>(cell.size()), nullptr);
}

void TParamsForm::IptcGridSelectCell(ui::TTextGrid &, int, int row, bool &canSelect) {
    EdtName.SetText(IptcGrid.Cell(0, row));
    MemData.SetText(IptcGrid.Cell(1, row));
    canSelect = true;
}

void TParamsForm::XmpGridSelectCell(ui::TTextGrid &, int, int row, bool &canSelect) {
    EdtXmpName.SetText(XmpGrid.Cell(0, row));
    MemXmpData.SetText(WithCrLf(XmpGrid.Cell(1, row)));
    canSelect = true;
}

void TParamsForm::FormKeyPress(wchar_t &key) {
    if (key == L'\x1b' || key == L'\r') Close();
}

void TParamsForm::BOkClick() {
    Close();
}

std::string TParamsForm::ExportText() {
    // A hidden tab's grid is left out, as the view model leaves out a
    // block the file does not have.
    const std::vector<params::GridRow> exifRows = GridRows(ExifGrid);
    const std::vector<params::GridRow> iptcRows = GridRows(IptcGrid);
    const std::vector<params::GridRow> xmpRows = GridRows(XmpGrid);
    return params::ExportText(exifRows, comment_, TshIPTC.TabVisible() ? &iptcRows : nullptr,
                              TshXmp.TabVisible() ? &xmpRows : nullptr);
}

void TParamsForm::BExportClick() {
    // The save dialog's controls, like the form's, come from common controls
    // version 6 only while the library's context is active.
    const ui::TActivationScope scope(ui::Application.ActivationContext());
    SaveDialog.InitialDir = host_.InitialDirectory ? host_.InitialDirectory() : std::string();
    SaveDialog.FileName = params::ProposedExportName(host_.ImageFileName ? host_.ImageFileName() : std::string());
    if (!SaveDialog.Execute(Handle)) return;
    ui::SaveBytesToFile(SaveDialog.FileName, ExportText());
}

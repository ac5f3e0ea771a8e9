#include "dialog/ParamsForm.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "exif/TextFormat.h"
#include "ui/ImageDecode.h"
#include "ui/WideText.h"

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

constexpr int NameColumnWidth = 160;
constexpr int ValueColumnWidth = 212;

// Where a control follows the form's growth: its width and height grow with
// it, or its left or top edge moves with it (the other edges stay).
enum TAnchor : unsigned { Fixed = 0, GrowX = 1, GrowY = 2, MoveX = 4, MoveY = 8 };

struct TPlace {
    ui::TControl &(*Control)(TParamsForm &form);
    int Left, Top, Width, Height;  // at 96 dpi, in the default client area
    unsigned Anchors;
};

template <auto Member>
ui::TControl &ControlOf(TParamsForm &form) {
    return form.*Member;
}

// The default layout, one control a line; a tab's controls are placed in
// their page, which grows as the page control does.
// clang-format off
constexpr TPlace Layout[] = {
    {ControlOf<&TParamsForm::PgControl>,   12,  12, 426, 370, GrowX | GrowY},
    {ControlOf<&TParamsForm::ExifGrid>,    12,  12, 395, 250, GrowX | GrowY},
    {ControlOf<&TParamsForm::Label1>,      12, 272,  50,  13, MoveY},
    {ControlOf<&TParamsForm::Memo>,        12, 288, 395,  41, GrowX | MoveY},
    {ControlOf<&TParamsForm::IptcGrid>,    12,  12, 395, 231, GrowX | GrowY},
    {ControlOf<&TParamsForm::EdtName>,     12, 256, 395,  21, GrowX | MoveY},
    {ControlOf<&TParamsForm::MemData>,     12, 280, 395,  49, GrowX | MoveY},
    {ControlOf<&TParamsForm::XmpGrid>,     12,  12, 395, 231, GrowX | GrowY},
    {ControlOf<&TParamsForm::EdtXmpName>,  12, 256, 395,  21, GrowX | MoveY},
    {ControlOf<&TParamsForm::MemXmpData>,  12, 280, 395,  49, GrowX | MoveY},
    {ControlOf<&TParamsForm::BOk>,        360, 392,  78,  25, MoveX | MoveY},
    {ControlOf<&TParamsForm::BExport>,     12, 392,  78,  25, MoveY},
};
// clang-format on

// The controls made later: the filter between Export and Ok, the map link
// on the EXIF page right of the comment's label.
constexpr TPlace FindLabelPlace{nullptr, 102, 398, 28, 13, MoveY};
constexpr TPlace FindBoxPlace{nullptr, 132, 394, 216, 21, GrowX | MoveY};
constexpr TPlace MapLinkPlace{nullptr, 307, 272, 100, 13, MoveX | MoveY};

// The size the user gave the dialog, at 96 dpi.
constexpr const char *WidthSetting = "DialogWidth";
constexpr const char *HeightSetting = "DialogHeight";

enum TMenuCommand : UINT { CopyCommand = 1, CopyValueCommand, SelectAllCommand };

void SetGridColumns(ui::TTextGrid &grid) {
    grid.SetColWidth(0, NameColumnWidth);
    grid.SetColWidth(1, ValueColumnWidth);
}

bool KeyHeld(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

std::wstring Lowered(const std::string &text) {
    std::wstring wide = ui::Wide(text);
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

// The width of a text in the control's font.
int TextWidth(const ui::TControl &control, HFONT font, const std::wstring &text) {
    const ui::TWindowDC dc(control.Handle);
    if (!dc.Get()) return 0;
    const ui::TSelectObject selected(dc.Get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// A composite row's number as the address wants it: its decimal separator
// is the locale's.
std::string WithDecimalPoint(std::string number) {
    const std::string_view separator = exif::DecimalSeparator();
    if (const size_t at = number.find(separator); !separator.empty() && at != std::string::npos)
        number.replace(at, separator.size(), ".");
    return number;
}

const std::string *CompositeValue(const std::vector<params::GridRow> &rows, std::string_view name) {
    for (const params::GridRow &row : rows)
        if (row.Name == name) return &row.Value;
    return nullptr;
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

std::string MapUrlOf(std::string_view latitude, std::string_view longitude) {
    const std::string lat(latitude), lon(longitude);
    return "https://www.openstreetmap.org/?mlat=" + lat + "&mlon=" + lon + "#map=15/" + lat + "/" + lon;
}

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
    // Screen readers name each grid by its tab, the comment box by its label.
    ExifGrid.SetAccessibleName(TshExif.Caption());
    IptcGrid.SetAccessibleName(TshIPTC.Caption());
    XmpGrid.SetAccessibleName(TshXmp.Caption());
    Memo.SetAccessibleName("Comment");
    for (ui::TTextGrid *grid : {&ExifGrid, &IptcGrid, &XmpGrid}) {
        grid->OnOpenRow = [this](ui::TTextGrid &g, int row) { OpenRow(g, row); };
        grid->OnRowTip = [this](ui::TTextGrid &g, int row) { return RowTip(g, row); };
    }
    OnShortcut = [this](ui::TControl &control, WPARAM key) { return FormShortcut(control, key); };
    OnContextMenu = [this](ui::TControl &control, POINT at) { FormContextMenu(control, at); };
    SetMinClientSize(DefaultClientWidth, DefaultClientHeight);
    OnResize = [this](int width, int height) { FormResize(width, height); };
    RestoreSize();
    Relayout();

    SaveDialog.DefaultExt = "txt";
    SaveDialog.Filter = "Text (*.txt)|*.txt";
    SaveDialog.Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;

    FormCreate();
}

TParamsForm::~TParamsForm() {
    RememberSize();
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
    request.WithComposites = true;
    request.WithThumbnail = true;
    const params::ImageView view = params::BuildImageView(fileName, request);
    FillExifGrid(view.Exif);
    FillIptcGrid(view.Iptc);
    FillXmpGrid(view.Xmp);
    const std::string *latitude = CompositeValue(view.Composites, "GPSLatitude");
    const std::string *longitude = CompositeValue(view.Composites, "GPSLongitude");
    if (latitude && longitude) PlaceMapLink(MapUrlOf(WithDecimalPoint(*latitude), WithDecimalPoint(*longitude)));
    if (!view.Thumbnail.empty()) PlaceThumbnail(view.Thumbnail);
    // The columns as wide as the dialog is now.
    Relayout();
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
        back = state.Odd ? OddRowColor : GetSysColor(COLOR_WINDOW);
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

// ---------------------------------------------------------------- size

void TParamsForm::Relayout() {
    RECT client{};
    GetClientRect(Handle, &client);
    FormResize(client.right, client.bottom);
}

void TParamsForm::FormResize(int clientWidth, int clientHeight) {
    const int dx = std::max(clientWidth - Scaled(DefaultClientWidth), 0);
    const int dy = std::max(clientHeight - Scaled(DefaultClientHeight), 0);
    auto place = [&](ui::TControl &control, const TPlace &where) {
        control.SetBounds(Scaled(where.Left) + (where.Anchors & MoveX ? dx : 0),
                          Scaled(where.Top) + (where.Anchors & MoveY ? dy : 0),
                          Scaled(where.Width) + (where.Anchors & GrowX ? dx : 0),
                          Scaled(where.Height) + (where.Anchors & GrowY ? dy : 0));
    };
    for (const TPlace &where : Layout) place(where.Control(*this), where);
    // The label is as wide as its text, which is wider than its place in
    // another font or at another resolution.
    const RECT label = Label1.BoundsRect();
    const int labelWidth = std::max(Scaled(50), TextWidth(Label1, Font(), ui::Wide(Label1.Text())));
    Label1.SetBounds(label.left, label.top, labelWidth, label.bottom - label.top);
    if (FindLabel) place(*FindLabel, FindLabelPlace);
    if (FindBox) place(*FindBox, FindBoxPlace);
    if (MapLink) place(*MapLink, MapLinkPlace);
    // The thumbnail takes its place right of the EXIF grid only out of what
    // the dialog has more than its default width.
    const int thumbnailRoom = Scaled(ThumbnailWidth + 12);
    const bool showThumbnail = Thumbnail && dx >= thumbnailRoom;
    if (showThumbnail) {
        const RECT grid = ExifGrid.BoundsRect();
        ExifGrid.SetBounds(grid.left, grid.top, grid.right - grid.left - thumbnailRoom, grid.bottom - grid.top);
        Thumbnail->SetBounds(grid.right - Scaled(ThumbnailWidth), grid.top, Scaled(ThumbnailWidth),
                             Scaled(ThumbnailHeight));
    }
    if (Thumbnail && thumbnailDpi_ != Dpi()) {
        if (ui::TBitmapHandle picture =
                ui::DecodePictureToFit(thumbnailBytes_, Scaled(ThumbnailWidth), Scaled(ThumbnailHeight)))
            Thumbnail->SetPicture(std::move(picture));
        thumbnailDpi_ = Dpi();
    }
    if (Thumbnail) Thumbnail->SetVisible(showThumbnail);
    PgControl.PlacePages();
    for (ui::TTextGrid *grid : {&ExifGrid, &IptcGrid, &XmpGrid}) {
        grid->SetColWidth(0, Scaled(NameColumnWidth));
        grid->SetColWidth(1, Scaled(ValueColumnWidth) + dx - (grid == &ExifGrid && showThumbnail ? thumbnailRoom : 0));
    }
}

void TParamsForm::RestoreSize() {
    const int width = ui::ReadUserSetting(WidthSetting, DefaultClientWidth);
    const int height = ui::ReadUserSetting(HeightSetting, DefaultClientHeight);
    if (width <= DefaultClientWidth && height <= DefaultClientHeight) return;
    const RECT at = BoundsRect();
    SetClientBounds(at.left, at.top, Scaled(std::max(width, DefaultClientWidth)),
                    Scaled(std::max(height, DefaultClientHeight)));
    // A size kept from a larger screen, or a place now beyond the screen's
    // edge, is brought back inside the screen's work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(Handle, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT work = monitor.rcWork;
    RECT r = BoundsRect();
    const LONG w = std::min(r.right - r.left, work.right - work.left);
    const LONG h = std::min(r.bottom - r.top, work.bottom - work.top);
    const LONG left = std::max(work.left, std::min(r.left, work.right - w));
    const LONG top = std::max(work.top, std::min(r.top, work.bottom - h));
    SetWindowPos(Handle, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TParamsForm::RememberSize() {
    if (!Handle) return;
    RECT client{};
    GetClientRect(Handle, &client);
    const int width = MulDiv(client.right, 96, Dpi());
    const int height = MulDiv(client.bottom, 96, Dpi());
    if (width <= DefaultClientWidth && height <= DefaultClientHeight) {
        ui::DeleteUserSetting(WidthSetting);
        ui::DeleteUserSetting(HeightSetting);
        return;
    }
    ui::WriteUserSetting(WidthSetting, width);
    ui::WriteUserSetting(HeightSetting, height);
}

// ---------------------------------------------------------------- keys and menu

bool TParamsForm::FormShortcut(ui::TControl &control, WPARAM key) {
    const bool ctrl = KeyHeld(VK_CONTROL), alt = KeyHeld(VK_MENU);
    if ((key == 'F' && (ctrl || alt)) || key == VK_F3) {
        ShowFind();
        return true;
    }
    if (key == 'M' && alt && MapLink) {
        MapLink->SetFocus();
        return true;
    }
    if (FindBox && &control == FindBox.get() && key == VK_ESCAPE && !FindBox->Text().empty()) {
        FindBox->SetText("");
        return true;
    }
    if (MapLink && &control == MapLink.get() && key == VK_RETURN) {
        MapLinkClick();
        return true;
    }
    if (control.Kind() != ui::TControlKind::TextGrid) return false;
    auto &grid = static_cast<ui::TTextGrid &>(control);
    if (ctrl && key == 'C') {
        CopyRows(grid, false);
        return true;
    }
    if (ctrl && key == 'A') {
        grid.SelectAll();
        return true;
    }
    if (key == VK_RETURN && !ctrl && !alt && grid.ItemOf(grid.Row()) >= 0) {
        OpenRow(grid, grid.Row());
        return true;
    }
    return false;
}

void TParamsForm::FormContextMenu(ui::TControl &control, POINT at) {
    if (control.Kind() != ui::TControlKind::TextGrid) return;
    auto &grid = static_cast<ui::TTextGrid &>(control);
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: under the current row, or the grid's corner.
        RECT row{};
        row.left = LVIR_BOUNDS;
        const int item = grid.ItemOf(grid.Row());
        if (item >= 0 &&
            SendMessageW(grid.Handle, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)))
            at = POINT{row.left + Scaled(8), row.bottom};
        else
            at = POINT{Scaled(8), Scaled(8)};
        ClientToScreen(grid.Handle, &at);
    }
    const UINT chosen = ui::ChooseFromMenu(
        Handle, at,
        {{CopyCommand, "&Copy\tCtrl+C"}, {CopyValueCommand, "Copy &value"}, {SelectAllCommand, "Select &all\tCtrl+A"}});
    if (chosen == CopyCommand) CopyRows(grid, false);
    if (chosen == CopyValueCommand) CopyRows(grid, true);
    if (chosen == SelectAllCommand) grid.SelectAll();
}

// ---------------------------------------------------------------- find

void TParamsForm::ShowFind() {
    if (!FindBox) {
        const ui::TActivationScope scope(ui::Application.ActivationContext());
        FindLabel = std::make_unique<ui::TLabel>(*this, 0, 0, 0, 0, "&Find:");
        FindBox = std::make_unique<ui::TEdit>(*this, 0, 0, 0, 0, 3);
        FindBox->SetCueText("Find a tag or value");
        FindBox->SetAccessibleName("Find");
        FindBox->OnChange = [this] { ApplyFilter(); };
        // The label just before the box: it names the box to a screen reader.
        const HWND before = GetWindow(FindBox->Handle, GW_HWNDPREV);
        SetWindowPos(FindLabel->Handle, before ? before : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Relayout();
    }
    FindBox->SetFocus();
    SendMessageW(FindBox->Handle, EM_SETSEL, 0, -1);
}

void TParamsForm::ApplyFilter() {
    const std::wstring needle = FindBox ? Lowered(FindBox->Text()) : std::wstring();
    for (ui::TTextGrid *grid : {&ExifGrid, &IptcGrid, &XmpGrid}) {
        if (needle.empty()) {
            grid->SetFilter({});
            continue;
        }
        grid->SetFilter([&](int row) {
            return Lowered(grid->Cell(0, row)).find(needle) != std::wstring::npos ||
                   Lowered(grid->Cell(1, row)).find(needle) != std::wstring::npos;
        });
    }
}

// ---------------------------------------------------------------- rows

void TParamsForm::CopyRows(ui::TTextGrid &grid, bool valuesOnly) {
    // A line a row: as the grid and the export show them, each control
    // character (a line break too) as "."; the values alone whole, their
    // line breaks kept.
    std::string text;
    for (const int row : grid.SelectedRows()) {
        if (!text.empty()) text += "\r\n";
        if (valuesOnly)
            text += WithCrLf(grid.Cell(1, row));
        else
            text += ui::Utf8(grid.ShownCell(0, row)) + '=' + ui::Utf8(grid.ShownCell(1, row));
    }
    ui::CopyTextToClipboard(Handle, text);
}

void TParamsForm::OpenRow(ui::TTextGrid &grid, int row) {
    ui::ShowTextBox(Handle, grid.Cell(0, row), grid.Cell(1, row));
}

std::string TParamsForm::RowTip(ui::TTextGrid &grid, int row) {
    // Only a value the column cuts; the text starts 2 pixels into its cell.
    const std::wstring shown = grid.ShownCell(1, row);
    if (TextWidth(grid, Font(), shown) + Scaled(4) <= grid.ColWidth(1)) return {};
    return grid.Cell(1, row);
}

// ---------------------------------------------------------------- map

void TParamsForm::PlaceMapLink(const std::string &url) {
    MapUrl = url;
    try {
        const ui::TActivationScope scope(ui::Application.ActivationContext());
        MapLink = std::make_unique<ui::TLink>(TshExif, 0, 0, 0, 0, "Show on map", url, 2);
    } catch (const ui::EUiError &) {
        // No link control without common controls version 6: no link.
        MapLink.reset();
        return;
    }
    MapLink->OnClick = [this] { MapLinkClick(); };
    Relayout();
}

void TParamsForm::MapLinkClick() {
    if (MapUrl.empty()) return;
    ShellExecuteW(Handle, L"open", ui::Wide(MapUrl).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// ---------------------------------------------------------------- thumbnail

void TParamsForm::PlaceThumbnail(const std::string &jpegBytes) {
    ui::TBitmapHandle picture = ui::DecodePictureToFit(jpegBytes, Scaled(ThumbnailWidth), Scaled(ThumbnailHeight));
    if (!picture) return;
    thumbnailBytes_ = jpegBytes;
    thumbnailDpi_ = Dpi();
    const ui::TActivationScope scope(ui::Application.ActivationContext());
    Thumbnail = std::make_unique<ui::TImage>(TshExif, 0, 0, 0, 0);
    Thumbnail->SetPicture(std::move(picture));
    Thumbnail->SetAccessibleName("Thumbnail");
    Relayout();
}

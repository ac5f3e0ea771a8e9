// Part and state numbers of the platform's visual-style API for the elements
// this library draws, and the element values of the two element classes it
// names: each class numbers its elements part by part, value 0 meaning "any
// part" and value 1 the class's root, then one value per state of each part.
#pragma once

namespace tmschema {

// Edit class: the text field (seven states), then the caret.
constexpr int EP_EDITTEXT = 1;
constexpr int EP_CARET = 2;
constexpr int ETS_NORMAL = 1;

// Tab class: the parts the tab control draws, ending with its pane and the
// body that textures the pages.
constexpr int TABP_TABITEM = 1;
constexpr int TABP_PANE = 9;
constexpr int TABP_BODY = 10;

// EnableThemeDialogTexture: the tab-page texture, enabled.
constexpr unsigned DialogTextureEnableTab = 6;

// The first element value of each part of a class, part 1 first. Values run
// on from 2; a part's value count is the distance to the next part's first.
struct TPartRange {
    int Part;
    int FirstValue;
};

constexpr TPartRange EditParts[] = {
    {EP_EDITTEXT, 2},
    {EP_CARET, 9},
};

// clang-format off
constexpr TPartRange TabParts[] = {
    {TABP_TABITEM, 2},
    {2, 7},
    {3, 12},
    {4, 17},
    {5, 22},
    {6, 27},
    {7, 32},
    {8, 37},
    {TABP_PANE, 42},
    {TABP_BODY, 43},
};
// clang-format on

// The edit class's text field in its normal state, the one element the
// library draws (around client-edge controls).
constexpr int EditTextNormal = 2;
// The tab class's body, drawn over a page's client area by the alternative
// page drawing.
constexpr int TabBody = 43;

}  // namespace tmschema

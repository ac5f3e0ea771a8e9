// The visual-style manager: when the host asks for visual styles, it takes
// over one form and draws it and its controls with the platform's styles.
// For now a stand-in that leaves the form's look as it is.
#pragma once

#include "ui/Application.h"
#include "ui/Controls.h"

class TThemeManager {
public:
    explicit TThemeManager(ui::TApplication &owner);
    TThemeManager(const TThemeManager &) = delete;
    TThemeManager &operator=(const TThemeManager &) = delete;
    ~TThemeManager();

    void TakeOverForm(ui::TForm &form);
    ui::TForm *Form() const { return form_; }

private:
    ui::TForm *form_ = nullptr;
};

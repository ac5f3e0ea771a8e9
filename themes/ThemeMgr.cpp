#include "themes/ThemeMgr.h"

TThemeManager::TThemeManager(ui::TApplication &) {}

TThemeManager::~TThemeManager() = default;

void TThemeManager::TakeOverForm(ui::TForm &form) {
    form_ = &form;
}

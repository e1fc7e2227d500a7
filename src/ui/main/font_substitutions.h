#pragma once

namespace kelvara::ui {

// Maps the window's Windows font names ("黑体", "微软雅黑", "宋体") to installed CJK
// families of the same kind. Fonts keep the design name as their family; Qt resolves
// it through the substitution. Safe to call more than once.
void registerFontSubstitutions();

} // namespace kelvara::ui

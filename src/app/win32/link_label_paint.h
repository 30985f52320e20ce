// The link label's GDI painting: the gradient background and one painting of a plan.
#pragma once

#include <windows.h>

#include "app/link_label_state.h"

namespace tessaly::app::win32 {

// Fills rect left to right from start to end in at most bands solid bands.
void PaintGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end,
                   int bands = kGradientBands);

// The brushes and font one painting uses; null brushes fill nothing.
struct PaintTools {
    HFONT font = nullptr;
    HBRUSH customBrush = nullptr;
    HBRUSH systemBrush = nullptr;
};

// Paints plan onto target over client (origin at 0,0), through a memory bitmap unless
// the plan paints straight onto the window.
void PaintPlanOn(HDC target, const RECT& client, const PaintPlan& plan, const PaintTools& tools);

}  // namespace tessaly::app::win32

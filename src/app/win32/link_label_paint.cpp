#include "app/win32/link_label_paint.h"

#include "app/win32/link_label_gdi.h"

namespace tessaly::app::win32 {
namespace {

void FillBackground(HDC dc, const RECT& client, const PaintPlan& plan, const PaintTools& tools) {
    switch (plan.fill) {
        case BackgroundFill::kGradient:
            PaintGradient(dc, client, plan.gradientStart, plan.gradientEnd);
            break;
        case BackgroundFill::kCustomBrush:
            if (tools.customBrush != nullptr) {
                ::FillRect(dc, &client, tools.customBrush);
            }
            break;
        case BackgroundFill::kSystemBrush:
            if (tools.systemBrush != nullptr) {
                ::FillRect(dc, &client, tools.systemBrush);
            }
            break;
        case BackgroundFill::kNone:
            break;
    }
}

void DrawLabelText(HDC dc, const RECT& client, const PaintPlan& plan) {
    const int length = static_cast<int>(plan.text.size());
    if (plan.rotated) {
        // Rotated text turns about the middle of the control, on its baseline.
        const UINT oldAlign = ::SetTextAlign(dc, kRotatedTextAlign);
        POINT oldOrigin{};
        ::SetViewportOrgEx(dc, (client.right - client.left) / 2, (client.bottom - client.top) / 2,
                           &oldOrigin);
        ::TextOutA(dc, 0, 0, plan.text.c_str(), length);
        ::SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        ::SetTextAlign(dc, oldAlign);
        return;
    }
    RECT rect = client;
    ::DrawTextA(dc, plan.text.c_str(), length, &rect, plan.drawFlags);
    if (plan.raised) {
        ::SetTextColor(dc, plan.raisedColour);
        rect = client;
        ::OffsetRect(&rect, plan.raisedDx, plan.raisedDy);
        ::DrawTextA(dc, plan.text.c_str(), length, &rect, plan.drawFlags);
    }
}

void PaintOnSurface(HDC dc, const RECT& client, const PaintPlan& plan, const PaintTools& tools) {
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, plan.textColour);
    {
        SelectedObject font(dc, tools.font);
        FillBackground(dc, client, plan, tools);
        DrawLabelText(dc, client, plan);
    }
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
}

}  // namespace

void PaintGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, int bands) {
    const auto list =
        GradientBands(Rect{rect.left, rect.top, rect.right, rect.bottom}, start, end, bands);
    if (list.empty()) {
        return;
    }
    SelectedObject pen(dc, ::GetStockObject(NULL_PEN));
    for (const GradientBand& band : list) {
        GdiObject<HBRUSH> brush(::CreateSolidBrush(band.colour));
        if (!brush) {
            continue;
        }
        SelectedObject selected(dc, brush.Get());
        // With the null pen a rectangle leaves out its right and bottom edges: one more
        // each way fills the band exactly.
        ::Rectangle(dc, band.rect.left, band.rect.top, band.rect.right + 1, band.rect.bottom + 1);
    }
}

void PaintPlanOn(HDC target, const RECT& client, const PaintPlan& plan, const PaintTools& tools) {
    if (!plan.doubleBuffer) {
        PaintOnSurface(target, client, plan, tools);
        return;
    }
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDc memory(target);
    GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(target, width, height));
    if (memory.Get() == nullptr || !bitmap) {
        // No memory for a second surface: paint straight onto the target.
        PaintOnSurface(target, client, plan, tools);
        return;
    }
    SelectedObject selected(memory.Get(), bitmap.Get());
    PaintOnSurface(memory.Get(), client, plan, tools);
    ::BitBlt(target, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace tessaly::app::win32

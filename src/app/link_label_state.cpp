#include "app/link_label_state.h"

namespace tessaly::app {
namespace {

LabelActions Repaint() {
    LabelActions a;
    a.repaint = true;
    return a;
}

LabelActions RebuildAndRepaint() {
    LabelActions a;
    a.rebuildFont = true;
    a.repaint = true;
    return a;
}

// A gradient channel in 8.8 fixed point.
struct Channel {
    int value;
    int step;
};

Channel MakeChannel(int start, int end, int divisor) {
    return Channel{start * 256, (end - start) * 256 / divisor};
}

}  // namespace

std::vector<GradientBand> GradientBands(const Rect& rect, Colour start, Colour end, int bands) {
    const int width = rect.right - rect.left;
    if (width < bands) {
        bands = width;
    }
    std::vector<GradientBand> out;
    if (bands <= 0) {
        return out;
    }
    // bands is at least 1 here: a single band divides by one.
    const int divisor = bands;
    Channel r = MakeChannel(RedOf(start), RedOf(end), divisor);
    Channel g = MakeChannel(GreenOf(start), GreenOf(end), divisor);
    Channel b = MakeChannel(BlueOf(start), BlueOf(end), divisor);
    const int bandWidth = width / divisor;
    out.reserve(static_cast<std::size_t>(bands));
    int left = rect.left;
    for (int i = 0; i < bands; ++i) {
        const int right = (i == bands - 1) ? rect.right : left + bandWidth;
        out.push_back(GradientBand{Rect{left, rect.top, right, rect.bottom},
                                   MakeColour(r.value / 256, g.value / 256, b.value / 256)});
        left = right;
        r.value += r.step;
        g.value += g.step;
        b.value += b.step;
    }
    return out;
}

unsigned LayoutFlags(std::uint32_t style, std::string_view text) {
    unsigned flags;
    switch (style & kSsTypeMask) {
        case kSsCenter:
            flags = kDtCenter | kDtWordBreak;
            break;
        case kSsRight:
            flags = kDtRight | kDtWordBreak;
            break;
        case kSsLeftNoWordWrap:
            flags = kDtLeft;
            break;
        default:
            flags = kDtLeft | kDtWordBreak;
            break;
    }
    if (text.find('\t') != std::string_view::npos) {
        flags |= kDtExpandTabs;
    }
    // A vertically centred static shows one centred line unless the text breaks lines
    // itself; it replaces every flag above.
    if (style & kSsCenterImage) {
        flags = kDtCenter;
        if (text.find("\r\n") == std::string_view::npos) {
            flags |= kDtVCenter | kDtSingleLine;
        }
    }
    return flags;
}

std::int32_t PointFontHeight(int tenths, int logPixelsY) {
    // Rounded to the nearest pixel, halves away from zero, as MulDiv rounds.
    const long long scaled = static_cast<long long>(tenths) * logPixelsY;
    const long long pixels = scaled >= 0 ? (scaled + 360) / 720 : (scaled - 360) / 720;
    return static_cast<std::int32_t>(pixels > 0 ? -pixels : pixels);
}

LinkLabelState::LinkLabelState(Colour windowTextColour) : textColour_(windowTextColour) {}

LabelActions LinkLabelState::SetBackground(Colour colour, Colour gradientEnd, bool gradient) {
    backgroundColour_ = colour;
    gradientEndColour_ = gradientEnd;
    gradient_ = gradient;
    LabelActions a = Repaint();
    a.deleteCustomBrush = true;
    a.createCustomBrush = !gradient;
    hasCustomBrush_ = !gradient;
    customBrushColour_ = colour;
    return a;
}

LabelActions LinkLabelState::SetTextColor(Colour colour) {
    textColour_ = colour;
    return Repaint();
}

LabelActions LinkLabelState::SetText(std::string_view text) {
    text_.assign(text);
    return Repaint();
}

LabelActions LinkLabelState::SetBold(bool bold) {
    font_.weight = bold ? 700 : 400;
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetFaceName(std::string_view name, std::uint8_t charSet) {
    font_.charSet = charSet;
    font_.faceName.assign(name.substr(0, kMaxFaceNameLength));
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetUnderline(bool underline) {
    font_.underline = underline ? 1 : 0;
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetItalic(bool italic) {
    font_.italic = italic ? 1 : 0;
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetPointSize(int points) {
    LabelActions a = RebuildAndRepaint();
    a.pointFontTenths = points * 10;
    return a;
}

void LinkLabelState::SetFontSize(std::int32_t height, std::int32_t width) {
    font_.height = height;
    font_.width = width;
}

LabelActions LinkLabelState::SetSunken(bool sunken) {
    LabelActions a;
    (sunken ? a.style.addExStyle : a.style.removeExStyle) = kWsExStaticEdge;
    a.style.frameRedraw = true;
    return a;
}

LabelActions LinkLabelState::SetBorder(bool border) {
    LabelActions a;
    (border ? a.style.addStyle : a.style.removeStyle) = kWsBorder;
    a.style.frameRedraw = true;
    return a;
}

LabelActions LinkLabelState::SetTransparent(bool transparent) {
    transparent_ = transparent;
    // The extended style is added either way; the flag alone decides the painting.
    LabelActions a = Repaint();
    a.style.addExStyle = kWsExTransparent;
    return a;
}

LabelActions LinkLabelState::Flash(bool on, BlinkKind kind) {
    LabelActions a;
    a.killTimer = blinkRunning_;
    if (on) {
        blinkPhase_ = 0;
        blinkRunning_ = true;
        a.setTimer = true;
        blinkKind_ = kind;
    }
    return a;
}

LabelActions LinkLabelState::FlashText(bool on) {
    LabelActions a = Flash(on, BlinkKind::kText);
    if (!on) {
        blinkKind_ = BlinkKind::kNone;
    }
    return a;
}

LabelActions LinkLabelState::FlashBackground(bool on) {
    return Flash(on, BlinkKind::kBackground);
}

LabelActions LinkLabelState::SetLinkKind(bool on, LinkKind kind, bool notifyParent) {
    linkKind_ = on ? kind : LinkKind::kNone;
    notifyParent_ = notifyParent;
    LabelActions a;
    (on ? a.style.addStyle : a.style.removeStyle) = kSsNotify;
    return a;
}

LabelActions LinkLabelState::SetLink(bool on, bool notifyParent) {
    return SetLinkKind(on, LinkKind::kLink, notifyParent);
}

LabelActions LinkLabelState::SetMailLink(bool on, bool notifyParent) {
    return SetLinkKind(on, LinkKind::kMail, notifyParent);
}

LabelActions LinkLabelState::SetLinkCursor(std::uintptr_t cursor) {
    cursor_ = cursor;
    return {};
}

LabelActions LinkLabelState::Set3DText(bool on, int direction) {
    raised_ = on;
    raisedDirection_ = direction;
    return Repaint();
}

LabelActions LinkLabelState::SetRotation(int degrees, bool rotated) {
    font_.escapement = degrees * 10;
    font_.orientation = degrees * 10;
    rotated_ = rotated;
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetHighlightColor(Colour colour) {
    highlightColour_ = colour;
    return Repaint();
}

LabelActions LinkLabelState::SetLogFont(const FontDescription& font) {
    font_ = font;
    if (font_.faceName.size() > kMaxFaceNameLength) {
        font_.faceName.resize(kMaxFaceNameLength);
    }
    return RebuildAndRepaint();
}

LabelActions LinkLabelState::SetLinkTarget(std::string_view target) {
    linkTarget_.assign(target);
    return {};
}

LabelActions LinkLabelState::OnTimer() {
    blinkPhase_ = blinkPhase_ == 0 ? 1 : 0;
    return Repaint();
}

LabelActions LinkLabelState::OnSysColorChange() {
    LabelActions a = Repaint();
    a.recreateSystemBrush = true;
    return a;
}

ClickAction LinkLabelState::OnLeftButtonDown(std::string_view windowText) const {
    ClickAction click;
    if (notifyParent_) {
        click.kind = ClickAction::Kind::kNotifyParent;
    } else if (linkKind_ == LinkKind::kLink) {
        click.kind = ClickAction::Kind::kShellExecute;
        click.verb = "open";
        click.file = linkTarget_.empty() ? std::string(windowText) : linkTarget_;
    } else if (linkKind_ == LinkKind::kMail) {
        click.kind = ClickAction::Kind::kShellExecute;
        click.file = "mailto:" + std::string(windowText);
    }
    return click;
}

PaintPlan LinkLabelState::PlanPaint(std::uint32_t style, std::string_view windowText) {
    if (text_ == kNoTextMarker) {
        text_.assign(windowText);
    }
    PaintPlan plan;
    plan.text = text_;
    plan.doubleBuffer = !transparent_;
    if (transparent_) {
        plan.fill = BackgroundFill::kNone;
    } else if (gradient_) {
        plan.fill = BackgroundFill::kGradient;
    } else if (hasCustomBrush_) {
        plan.fill = BackgroundFill::kCustomBrush;
    } else {
        plan.fill = BackgroundFill::kSystemBrush;
    }
    plan.gradientStart = backgroundColour_;
    plan.gradientEnd = gradientEndColour_;
    // A blinking text vanishes in its dark phase: drawn in the custom brush's colour.
    plan.textColour =
        (blinkPhase_ == 0 && blinkKind_ == BlinkKind::kText) ? CustomBrushColour() : textColour_;
    plan.drawFlags = LayoutFlags(style, plan.text);
    plan.rotated = rotated_;
    plan.raised = raised_ && !rotated_;
    plan.raisedColour = highlightColour_;
    plan.raisedDx = raisedDirection_ != 0 ? 1 : -1;
    plan.raisedDy = plan.raisedDx;
    return plan;
}

}  // namespace tessaly::app

// The self-painting link label as data: its stored fields, what each setter and each
// window message asks of the window (rebuild the font, repaint, change a style, start or
// stop the blink timer), the layout flags of its text, the colours of one painting and
// the bands of a horizontal gradient. The Win32 control in app/win32/link_label.h does
// the window and GDI work these values describe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::app {

// A colour as Windows stores it: 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr Colour kWhite = 0x00FFFFFF;
inline constexpr Colour kBlack = 0x00000000;

// Stored text that means "no text set": the first painting replaces it by the window's
// own text. Compared exactly, case included.
inline constexpr std::string_view kNoTextMarker = "LEGEREGEL";

// Window styles, extended styles and text layout flags the label uses (Win32 values).
inline constexpr std::uint32_t kSsCenter = 0x1;
inline constexpr std::uint32_t kSsRight = 0x2;
inline constexpr std::uint32_t kSsLeftNoWordWrap = 0xC;
inline constexpr std::uint32_t kSsTypeMask = 0x1F;
inline constexpr std::uint32_t kSsNotify = 0x100;
inline constexpr std::uint32_t kSsCenterImage = 0x200;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsExTransparent = 0x00000020;
inline constexpr std::uint32_t kWsExStaticEdge = 0x00020000;

inline constexpr unsigned kDtLeft = 0x0;
inline constexpr unsigned kDtCenter = 0x1;
inline constexpr unsigned kDtRight = 0x2;
inline constexpr unsigned kDtVCenter = 0x4;
inline constexpr unsigned kDtWordBreak = 0x10;
inline constexpr unsigned kDtSingleLine = 0x20;
inline constexpr unsigned kDtExpandTabs = 0x40;

// Text alignment of rotated text: TA_LEFT | TA_BASELINE.
inline constexpr unsigned kRotatedTextAlign = 24;

// The notification code a click sends to the parent in WM_NOTIFY.
inline constexpr unsigned kLinkClickedNotify = 0x8200;

inline constexpr unsigned kBlinkTimerId = 1;
inline constexpr unsigned kBlinkIntervalMs = 500;
inline constexpr int kGradientBands = 100;

enum class LinkKind : int { kNone = 0, kLink = 1, kMail = 2 };
enum class BlinkKind : int { kNone = 0, kText = 1, kBackground = 2 };

// The font as LOGFONTA describes it; the face name holds at most 31 characters.
struct FontDescription {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;

    bool operator==(const FontDescription&) const = default;
};

inline constexpr std::size_t kMaxFaceNameLength = 31;

// Style bits to add and remove, with or without a frame redraw (SWP_FRAMECHANGED).
struct StyleChange {
    std::uint32_t addStyle = 0;
    std::uint32_t removeStyle = 0;
    std::uint32_t addExStyle = 0;
    std::uint32_t removeExStyle = 0;
    bool frameRedraw = false;

    bool Any() const { return addStyle | removeStyle | addExStyle | removeExStyle; }
    bool operator==(const StyleChange&) const = default;
};

// What the window has to do after a setter or a message changed the state, in this
// order: make the point font, stop the blink timer, restyle, replace the brushes,
// start the blink timer, rebuild the font, repaint.
struct LabelActions {
    int pointFontTenths = 0;  // non-zero: make a point font of this size, then SetFontSize
    bool killTimer = false;
    StyleChange style;
    bool deleteCustomBrush = false;
    bool createCustomBrush = false;  // a solid brush of the background colour
    bool recreateSystemBrush = false;
    bool setTimer = false;  // kBlinkTimerId every kBlinkIntervalMs
    bool rebuildFont = false;
    bool repaint = false;

    bool operator==(const LabelActions&) const = default;
};

// What a left click does.
struct ClickAction {
    enum class Kind { kNothing, kNotifyParent, kShellExecute };
    Kind kind = Kind::kNothing;
    std::string verb;  // empty: no verb
    std::string file;

    bool operator==(const ClickAction&) const = default;
};

// How one painting fills the background.
enum class BackgroundFill { kNone, kGradient, kCustomBrush, kSystemBrush };

// Everything one painting needs besides the device context.
struct PaintPlan {
    std::string text;
    bool doubleBuffer = true;  // false when transparent: paint straight onto the window
    BackgroundFill fill = BackgroundFill::kSystemBrush;
    Colour gradientStart = 0;
    Colour gradientEnd = 0;
    Colour textColour = 0;
    unsigned drawFlags = 0;
    bool rotated = false;
    bool raised = false;  // 3-D text: a second drawing in the highlight colour
    Colour raisedColour = 0;
    int raisedDx = 0;
    int raisedDy = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Rect&) const = default;
};

struct GradientBand {
    Rect rect;  // the band exactly: right and bottom edges excluded
    Colour colour = 0;

    bool operator==(const GradientBand&) const = default;
};

// The bands of a left-to-right gradient over rect from start to end. A rect narrower
// than the band count gets one band per pixel; width 0 gives none. Each channel moves
// in 8.8 fixed point by (end - start) * 256 / bands per band; the last band reaches the
// right edge.
std::vector<GradientBand> GradientBands(const Rect& rect, Colour start, Colour end,
                                        int bands = kGradientBands);

// DrawText flags for a static control's style and its text.
unsigned LayoutFlags(std::uint32_t style, std::string_view text);

// Font height of a point size in tenths of a point on a device of logPixelsY dots per
// inch: negative, so that it selects by character height.
std::int32_t PointFontHeight(int tenths, int logPixelsY);

class LinkLabelState {
  public:
    // windowTextColour: the system window-text colour, read once by the caller.
    explicit LinkLabelState(Colour windowTextColour);

    // The font of the window the label is bound to.
    void BindFont(const FontDescription& font) { font_ = font; }

    LabelActions SetBackground(Colour colour, Colour gradientEnd, bool gradient);
    LabelActions SetTextColor(Colour colour);
    LabelActions SetText(std::string_view text);
    std::string GetText() const { return text_; }
    void CopyText(std::string& out) const { out = text_; }
    LabelActions SetBold(bool bold);
    LabelActions SetFaceName(std::string_view name, std::uint8_t charSet);
    LabelActions SetUnderline(bool underline);
    LabelActions SetItalic(bool italic);
    LabelActions SetPointSize(int points);
    // Height and width of the point font SetPointSize asked for.
    void SetFontSize(std::int32_t height, std::int32_t width);
    LabelActions SetSunken(bool sunken);
    LabelActions SetBorder(bool border);
    LabelActions SetTransparent(bool transparent);
    LabelActions FlashText(bool on);
    LabelActions FlashBackground(bool on);
    LabelActions SetLink(bool on, bool notifyParent);
    LabelActions SetLinkCursor(std::uintptr_t cursor);
    LabelActions Set3DText(bool on, int direction);
    LabelActions SetRotation(int degrees, bool rotated);
    LabelActions SetHighlightColor(Colour colour);
    LabelActions SetLogFont(const FontDescription& font);
    LabelActions SetMailLink(bool on, bool notifyParent);
    LabelActions SetLinkTarget(std::string_view target);

    // Messages.
    LabelActions OnTimer();
    LabelActions OnSysColorChange();
    // True when the label sets its own cursor.
    bool OnSetCursor() const { return cursor_ != 0; }
    ClickAction OnLeftButtonDown(std::string_view windowText) const;

    // The first painting replaces the marker by the window text; the plan's text is a
    // copy of the stored text after that.
    PaintPlan PlanPaint(std::uint32_t style, std::string_view windowText);

    // The colour of the custom brush, black when there is none.
    Colour CustomBrushColour() const { return hasCustomBrush_ ? customBrushColour_ : kBlack; }

    Colour TextColour() const { return textColour_; }
    Colour HighlightColour() const { return highlightColour_; }
    Colour BackgroundColour() const { return backgroundColour_; }
    Colour GradientEndColour() const { return gradientEndColour_; }
    bool Gradient() const { return gradient_; }
    bool HasCustomBrush() const { return hasCustomBrush_; }
    const FontDescription& Font() const { return font_; }
    int BlinkPhase() const { return blinkPhase_; }
    bool BlinkRunning() const { return blinkRunning_; }
    BlinkKind Blink() const { return blinkKind_; }
    LinkKind Link() const { return linkKind_; }
    bool NotifyParent() const { return notifyParent_; }
    bool Transparent() const { return transparent_; }
    bool Raised() const { return raised_; }
    int RaisedDirection() const { return raisedDirection_; }
    bool Rotated() const { return rotated_; }
    std::uintptr_t Cursor() const { return cursor_; }
    const std::string& LinkTarget() const { return linkTarget_; }

  private:
    LabelActions Flash(bool on, BlinkKind kind);
    LabelActions SetLinkKind(bool on, LinkKind kind, bool notifyParent);

    Colour textColour_;
    Colour highlightColour_ = kWhite;
    bool hasCustomBrush_ = false;
    Colour customBrushColour_ = 0;
    FontDescription font_;
    int blinkPhase_ = 0;
    bool blinkRunning_ = false;
    LinkKind linkKind_ = LinkKind::kNone;
    bool transparent_ = false;
    bool raised_ = false;
    bool notifyParent_ = false;
    bool rotated_ = false;
    BlinkKind blinkKind_ = BlinkKind::kNone;
    std::uintptr_t cursor_ = 0;
    int raisedDirection_ = 0;
    bool gradient_ = false;
    Colour gradientEndColour_ = 0;
    Colour backgroundColour_ = 0;
    std::string linkTarget_;
    std::string text_{kNoTextMarker};
};

}  // namespace tessaly::app

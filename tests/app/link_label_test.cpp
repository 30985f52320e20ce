// The link label's state: defaults, setters and the actions they ask for, the marker
// text and the first painting, layout flags, blinking, clicks and gradient bands.
#include "app/link_label_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tessaly::app {
namespace {

constexpr Colour kWindowText = MakeColour(0x10, 0x20, 0x30);

LabelActions RepaintOnly() {
    LabelActions a;
    a.repaint = true;
    return a;
}

LabelActions RebuildRepaint() {
    LabelActions a;
    a.rebuildFont = true;
    a.repaint = true;
    return a;
}

TEST(LinkLabelState, Defaults) {
    const LinkLabelState s(kWindowText);
    EXPECT_EQ(s.TextColour(), kWindowText);
    EXPECT_EQ(s.HighlightColour(), kWhite);
    EXPECT_FALSE(s.HasCustomBrush());
    EXPECT_EQ(s.CustomBrushColour(), kBlack);
    EXPECT_EQ(s.BlinkPhase(), 0);
    EXPECT_FALSE(s.BlinkRunning());
    EXPECT_EQ(s.Blink(), BlinkKind::kNone);
    EXPECT_EQ(s.Link(), LinkKind::kNone);
    EXPECT_FALSE(s.Transparent());
    EXPECT_FALSE(s.Raised());
    EXPECT_FALSE(s.NotifyParent());
    EXPECT_FALSE(s.Rotated());
    EXPECT_EQ(s.Cursor(), 0u);
    EXPECT_EQ(s.RaisedDirection(), 0);
    EXPECT_FALSE(s.Gradient());
    EXPECT_EQ(s.GradientEndColour(), 0u);
    EXPECT_EQ(s.BackgroundColour(), 0u);
    EXPECT_EQ(s.LinkTarget(), "");
    EXPECT_EQ(s.GetText(), "LEGEREGEL");
    EXPECT_FALSE(s.OnSetCursor());
}

// --- Setters: the state they leave and the actions they ask for ---

struct SetterCase {
    const char* name;
    std::function<LabelActions(LinkLabelState&)> call;
    LabelActions expected;
    std::function<void(const LinkLabelState&)> check;
};

LabelActions With(LabelActions a, const std::function<void(LabelActions&)>& f) {
    f(a);
    return a;
}

std::vector<SetterCase> SetterCases() {
    return {
        {"SetBackgroundSolid",
         [](LinkLabelState& s) { return s.SetBackground(0x123456, 0x654321, false); },
         With(RepaintOnly(),
              [](LabelActions& a) { a.deleteCustomBrush = a.createCustomBrush = true; }),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.BackgroundColour(), 0x123456u);
             EXPECT_EQ(s.GradientEndColour(), 0x654321u);
             EXPECT_FALSE(s.Gradient());
             EXPECT_TRUE(s.HasCustomBrush());
             EXPECT_EQ(s.CustomBrushColour(), 0x123456u);
         }},
        {"SetBackgroundGradient",
         [](LinkLabelState& s) { return s.SetBackground(0x123456, 0x654321, true); },
         With(RepaintOnly(), [](LabelActions& a) { a.deleteCustomBrush = true; }),
         [](const LinkLabelState& s) {
             EXPECT_TRUE(s.Gradient());
             EXPECT_FALSE(s.HasCustomBrush());
             EXPECT_EQ(s.CustomBrushColour(), kBlack);
         }},
        {"SetTextColor", [](LinkLabelState& s) { return s.SetTextColor(0xFF); }, RepaintOnly(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.TextColour(), 0xFFu); }},
        {"SetText", [](LinkLabelState& s) { return s.SetText("Hallo"); }, RepaintOnly(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.GetText(), "Hallo"); }},
        {"SetBoldOn", [](LinkLabelState& s) { return s.SetBold(true); }, RebuildRepaint(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Font().weight, 700); }},
        {"SetBoldOff", [](LinkLabelState& s) { return s.SetBold(false); }, RebuildRepaint(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Font().weight, 400); }},
        {"SetFaceName", [](LinkLabelState& s) { return s.SetFaceName("Arial", 238); },
         RebuildRepaint(),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Font().faceName, "Arial");
             EXPECT_EQ(s.Font().charSet, 238);
         }},
        {"SetFaceNameLong",
         [](LinkLabelState& s) { return s.SetFaceName(std::string(40, 'x'), 0); }, RebuildRepaint(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Font().faceName, std::string(31, 'x')); }},
        {"SetUnderline", [](LinkLabelState& s) { return s.SetUnderline(true); }, RebuildRepaint(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Font().underline, 1); }},
        {"SetItalic", [](LinkLabelState& s) { return s.SetItalic(true); }, RebuildRepaint(),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Font().italic, 1); }},
        {"SetPointSize", [](LinkLabelState& s) { return s.SetPointSize(12); },
         With(RebuildRepaint(), [](LabelActions& a) { a.pointFontTenths = 120; }),
         [](const LinkLabelState&) {}},
        {"SetSunkenOn", [](LinkLabelState& s) { return s.SetSunken(true); },
         With({},
              [](LabelActions& a) {
                  a.style = {0, 0, kWsExStaticEdge, 0, true};
              }),
         [](const LinkLabelState&) {}},
        {"SetSunkenOff", [](LinkLabelState& s) { return s.SetSunken(false); },
         With({},
              [](LabelActions& a) {
                  a.style = {0, 0, 0, kWsExStaticEdge, true};
              }),
         [](const LinkLabelState&) {}},
        {"SetBorderOn", [](LinkLabelState& s) { return s.SetBorder(true); },
         With({},
              [](LabelActions& a) {
                  a.style = {kWsBorder, 0, 0, 0, true};
              }),
         [](const LinkLabelState&) {}},
        {"SetBorderOff", [](LinkLabelState& s) { return s.SetBorder(false); },
         With({},
              [](LabelActions& a) {
                  a.style = {0, kWsBorder, 0, 0, true};
              }),
         [](const LinkLabelState&) {}},
        {"SetTransparentOn", [](LinkLabelState& s) { return s.SetTransparent(true); },
         With(RepaintOnly(), [](LabelActions& a) { a.style.addExStyle = kWsExTransparent; }),
         [](const LinkLabelState& s) { EXPECT_TRUE(s.Transparent()); }},
        {"SetTransparentOffStillAddsTheStyle",
         [](LinkLabelState& s) { return s.SetTransparent(false); },
         With(RepaintOnly(), [](LabelActions& a) { a.style.addExStyle = kWsExTransparent; }),
         [](const LinkLabelState& s) { EXPECT_FALSE(s.Transparent()); }},
        {"SetLinkNotify", [](LinkLabelState& s) { return s.SetLink(true, true); },
         With({}, [](LabelActions& a) { a.style.addStyle = kSsNotify; }),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Link(), LinkKind::kLink);
             EXPECT_TRUE(s.NotifyParent());
         }},
        {"SetLinkOff", [](LinkLabelState& s) { return s.SetLink(false, false); },
         With({}, [](LabelActions& a) { a.style.removeStyle = kSsNotify; }),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Link(), LinkKind::kNone); }},
        {"SetMailLink", [](LinkLabelState& s) { return s.SetMailLink(true, false); },
         With({}, [](LabelActions& a) { a.style.addStyle = kSsNotify; }),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Link(), LinkKind::kMail);
             EXPECT_FALSE(s.NotifyParent());
         }},
        {"SetLinkCursor",
         [](LinkLabelState& s) { return s.SetLinkCursor(0x1234); },
         {},
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Cursor(), 0x1234u);
             EXPECT_TRUE(s.OnSetCursor());
         }},
        {"Set3DText", [](LinkLabelState& s) { return s.Set3DText(true, 1); }, RepaintOnly(),
         [](const LinkLabelState& s) {
             EXPECT_TRUE(s.Raised());
             EXPECT_EQ(s.RaisedDirection(), 1);
         }},
        {"SetRotation", [](LinkLabelState& s) { return s.SetRotation(90, true); }, RebuildRepaint(),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Font().escapement, 900);
             EXPECT_EQ(s.Font().orientation, 900);
             EXPECT_TRUE(s.Rotated());
         }},
        {"SetHighlightColor", [](LinkLabelState& s) { return s.SetHighlightColor(0xABCDEF); },
         RepaintOnly(), [](const LinkLabelState& s) { EXPECT_EQ(s.HighlightColour(), 0xABCDEFu); }},
        {"SetLogFont",
         [](LinkLabelState& s) {
             FontDescription f;
             f.height = -13;
             f.weight = 400;
             f.faceName = "Tahoma";
             return s.SetLogFont(f);
         },
         RebuildRepaint(),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Font().height, -13);
             EXPECT_EQ(s.Font().faceName, "Tahoma");
         }},
        {"SetLinkTarget",
         [](LinkLabelState& s) { return s.SetLinkTarget("x:/y"); },
         {},
         [](const LinkLabelState& s) { EXPECT_EQ(s.LinkTarget(), "x:/y"); }},
        {"FlashTextFirst", [](LinkLabelState& s) { return s.FlashText(true); },
         With({}, [](LabelActions& a) { a.setTimer = true; }),
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Blink(), BlinkKind::kText);
             EXPECT_TRUE(s.BlinkRunning());
             EXPECT_EQ(s.BlinkPhase(), 0);
         }},
        {"FlashBackgroundFirst", [](LinkLabelState& s) { return s.FlashBackground(true); },
         With({}, [](LabelActions& a) { a.setTimer = true; }),
         [](const LinkLabelState& s) { EXPECT_EQ(s.Blink(), BlinkKind::kBackground); }},
        {"FlashTextOffNeverStarted",
         [](LinkLabelState& s) { return s.FlashText(false); },
         {},
         [](const LinkLabelState& s) {
             EXPECT_EQ(s.Blink(), BlinkKind::kNone);
             EXPECT_FALSE(s.BlinkRunning());
         }},
    };
}

TEST(LinkLabelState, SettersStoreAndAskForTheirActions) {
    for (const SetterCase& c : SetterCases()) {
        SCOPED_TRACE(c.name);
        LinkLabelState s(kWindowText);
        EXPECT_EQ(c.call(s), c.expected);
        c.check(s);
    }
}

TEST(LinkLabelState, PointSizeTakesTheMadeFontsSize) {
    LinkLabelState s(kWindowText);
    const LabelActions a = s.SetPointSize(10);
    s.SetFontSize(PointFontHeight(a.pointFontTenths, 96), 0);
    EXPECT_EQ(s.Font().height, -13);
    EXPECT_EQ(s.Font().width, 0);
}

TEST(LinkLabelState, PointFontHeights) {
    const struct {
        int tenths, dpi, height;
    } cases[] = {{80, 96, -11},  {90, 96, -12}, {100, 96, -13}, {120, 96, -16},
                 {80, 120, -13}, {0, 96, 0},    {-100, 96, -13}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tenths);
        EXPECT_EQ(PointFontHeight(c.tenths, c.dpi), c.height);
    }
}

TEST(LinkLabelState, SetterChainKeepsEveryValue) {
    LinkLabelState s(kWindowText);
    s.SetBold(true);
    s.SetItalic(true);
    s.SetUnderline(true);
    s.SetFaceName("Courier New", 0);
    s.SetRotation(45, false);
    s.SetTextColor(0x0000FF);
    s.SetText("Chained");
    EXPECT_EQ(s.Font().weight, 700);
    EXPECT_EQ(s.Font().italic, 1);
    EXPECT_EQ(s.Font().underline, 1);
    EXPECT_EQ(s.Font().faceName, "Courier New");
    EXPECT_EQ(s.Font().escapement, 450);
    EXPECT_FALSE(s.Rotated());
    EXPECT_EQ(s.TextColour(), 0x0000FFu);
    EXPECT_EQ(s.GetText(), "Chained");
    // A whole description replaces the pieces.
    s.SetLogFont(FontDescription{});
    EXPECT_EQ(s.Font(), FontDescription{});
}

TEST(LinkLabelState, BindFontKeepsTheWindowsFont) {
    LinkLabelState s(kWindowText);
    FontDescription f;
    f.height = 16;
    f.weight = 700;
    f.faceName = "System";
    s.BindFont(f);
    EXPECT_EQ(s.Font(), f);
}

// --- The marker text and the first painting ---

TEST(LinkLabelState, MarkerIsReplacedByTheCaptionAtTheFirstPainting) {
    LinkLabelState s(kWindowText);
    EXPECT_EQ(s.GetText(), "LEGEREGEL");
    EXPECT_EQ(s.PlanPaint(0, "Caption").text, "Caption");
    EXPECT_EQ(s.GetText(), "Caption");
    // Later paintings keep the stored text whatever the window says.
    EXPECT_EQ(s.PlanPaint(0, "Other").text, "Caption");
    std::string copy;
    s.CopyText(copy);
    EXPECT_EQ(copy, "Caption");
}

TEST(LinkLabelState, MarkerVersusSetTexts) {
    const struct {
        const char* set;  // nullptr: nothing set
        const char* caption;
        const char* painted;
    } cases[] = {
        {nullptr, "Caption", "Caption"},
        {"", "Caption", ""},  // an empty text is a text, not the marker
        {"Mine", "Caption", "Mine"},
        {"LEGEREGEL", "Caption", "Caption"},
        {"legeregel", "Caption", "legeregel"},  // the marker is case-sensitive
        {"LEGEREGEL ", "Caption", "LEGEREGEL "},
        {nullptr, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set ? c.set : "(none)");
        LinkLabelState s(kWindowText);
        if (c.set) {
            s.SetText(c.set);
        }
        EXPECT_EQ(s.PlanPaint(0, c.caption).text, c.painted);
        EXPECT_EQ(s.GetText(), c.painted);
    }
}

TEST(LinkLabelState, SetTextAfterThePaintingWins) {
    LinkLabelState s(kWindowText);
    s.PlanPaint(0, "Caption");
    s.SetText("New");
    EXPECT_EQ(s.PlanPaint(0, "Caption").text, "New");
    s.SetText(kNoTextMarker);
    EXPECT_EQ(s.PlanPaint(0, "Caption 2").text, "Caption 2");
}

// --- Layout flags ---

TEST(LinkLabelState, LayoutFlags) {
    const struct {
        std::uint32_t style;
        const char* text;
        unsigned flags;
    } cases[] = {
        {0x0, "a", kDtLeft | kDtWordBreak},
        {kSsCenter, "a", kDtCenter | kDtWordBreak},
        {kSsRight, "a", kDtRight | kDtWordBreak},
        {kSsLeftNoWordWrap, "a", kDtLeft},
        {0x3, "a", kDtLeft | kDtWordBreak},                     // an icon static: the default
        {0xB, "a", kDtLeft | kDtWordBreak},                     // SS_SIMPLE
        {0x50000000 | kSsRight, "a", kDtRight | kDtWordBreak},  // window style bits ignored
        {kSsNotify | kSsCenter, "a", kDtCenter | kDtWordBreak},
        {0x0, "a\tb", kDtLeft | kDtWordBreak | kDtExpandTabs},
        {kSsRight, "a\tb", kDtRight | kDtWordBreak | kDtExpandTabs},
        {kSsLeftNoWordWrap, "\t", kDtLeft | kDtExpandTabs},
        {kSsCenterImage, "a", kDtCenter | kDtVCenter | kDtSingleLine},
        {kSsCenterImage | kSsRight, "a", kDtCenter | kDtVCenter | kDtSingleLine},
        {kSsCenterImage, "a\r\nb", kDtCenter},
        {kSsCenterImage, "a\nb", kDtCenter | kDtVCenter | kDtSingleLine},
        {kSsCenterImage, "a\tb", kDtCenter | kDtVCenter | kDtSingleLine},
        {kSsCenterImage, "a\tb\r\n", kDtCenter},
        {0x0, "", kDtLeft | kDtWordBreak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.style << " " << c.text);
        EXPECT_EQ(LayoutFlags(c.style, c.text), c.flags);
    }
}

TEST(LinkLabelState, PlanUsesTheLayoutOfTheStoredText) {
    LinkLabelState s(kWindowText);
    s.SetText("x\ty");
    EXPECT_EQ(s.PlanPaint(kSsCenter, "caption").drawFlags,
              kDtCenter | kDtWordBreak | kDtExpandTabs);
}

// --- Painting plan: fill, blink colour, 3-D text ---

TEST(LinkLabelState, BackgroundFill) {
    LinkLabelState s(kWindowText);
    PaintPlan p = s.PlanPaint(0, "");
    EXPECT_EQ(p.fill, BackgroundFill::kSystemBrush);
    EXPECT_TRUE(p.doubleBuffer);
    s.SetBackground(0x00FF00, 0x0000FF, false);
    EXPECT_EQ(s.PlanPaint(0, "").fill, BackgroundFill::kCustomBrush);
    s.SetBackground(0x00FF00, 0x0000FF, true);
    p = s.PlanPaint(0, "");
    EXPECT_EQ(p.fill, BackgroundFill::kGradient);
    EXPECT_EQ(p.gradientStart, 0x00FF00u);
    EXPECT_EQ(p.gradientEnd, 0x0000FFu);
    s.SetTransparent(true);
    p = s.PlanPaint(0, "");
    EXPECT_EQ(p.fill, BackgroundFill::kNone);
    EXPECT_FALSE(p.doubleBuffer);
}

TEST(LinkLabelState, BlinkPhases) {
    const struct {
        const char* name;
        bool text;         // FlashText, else FlashBackground
        bool customBrush;  // a solid background set before
        int timerTicks;
        int phase;
        Colour colour;
    } cases[] = {
        {"text dark phase, no brush", true, false, 0, 0, kBlack},
        {"text dark phase, brush", true, true, 0, 0, 0x00C0C0},
        {"text light phase", true, true, 1, 1, 0x0000FF},
        {"text dark again", true, true, 2, 0, 0x00C0C0},
        {"background blink keeps the text", false, true, 0, 0, 0x0000FF},
        {"background blink, next phase", false, true, 1, 1, 0x0000FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkLabelState s(kWindowText);
        s.SetTextColor(0x0000FF);
        if (c.customBrush) {
            s.SetBackground(0x00C0C0, 0, false);
        }
        c.text ? s.FlashText(true) : s.FlashBackground(true);
        for (int i = 0; i < c.timerTicks; ++i) {
            EXPECT_EQ(s.OnTimer(), RepaintOnly());
        }
        EXPECT_EQ(s.BlinkPhase(), c.phase);
        EXPECT_EQ(s.PlanPaint(0, "t").textColour, c.colour);
    }
}

TEST(LinkLabelState, FlashingAgainStopsTheTimerFirst) {
    LinkLabelState s(kWindowText);
    s.FlashText(true);
    s.OnTimer();
    LabelActions restart = s.FlashText(true);
    EXPECT_TRUE(restart.killTimer);
    EXPECT_TRUE(restart.setTimer);
    EXPECT_EQ(s.BlinkPhase(), 0);

    const LabelActions off = s.FlashText(false);
    EXPECT_TRUE(off.killTimer);
    EXPECT_FALSE(off.setTimer);
    EXPECT_EQ(s.Blink(), BlinkKind::kNone);
    EXPECT_EQ(s.PlanPaint(0, "").textColour, kWindowText);

    // Turning the background blink off stops the timer and leaves the kind alone.
    s.FlashText(true);
    const LabelActions bgOff = s.FlashBackground(false);
    EXPECT_TRUE(bgOff.killTimer);
    EXPECT_FALSE(bgOff.setTimer);
    EXPECT_EQ(s.Blink(), BlinkKind::kText);
}

TEST(LinkLabelState, RaisedText) {
    const struct {
        bool on;
        int direction;
        bool rotated;
        bool raised;
        int offset;
    } cases[] = {
        {false, 0, false, false, -1}, {true, 0, false, true, -1}, {true, 1, false, true, 1},
        {true, -3, false, true, 1},   {true, 1, true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.on << c.direction << c.rotated);
        LinkLabelState s(kWindowText);
        s.SetHighlightColor(0x808080);
        s.Set3DText(c.on, c.direction);
        s.SetRotation(0, c.rotated);
        const PaintPlan p = s.PlanPaint(0, "t");
        EXPECT_EQ(p.raised, c.raised);
        EXPECT_EQ(p.rotated, c.rotated);
        EXPECT_EQ(p.raisedColour, 0x808080u);
        EXPECT_EQ(p.raisedDx, c.offset);
        EXPECT_EQ(p.raisedDy, c.offset);
    }
}

TEST(LinkLabelState, SysColorChangeRecreatesTheSystemBrushOnly) {
    LinkLabelState s(kWindowText);
    LabelActions a = RepaintOnly();
    a.recreateSystemBrush = true;
    EXPECT_EQ(s.OnSysColorChange(), a);
    EXPECT_EQ(s.TextColour(), kWindowText);
}

// --- Clicks ---

TEST(LinkLabelState, Clicks) {
    using Kind = ClickAction::Kind;
    const struct {
        const char* name;
        int kind;  // 0 none, 1 link, 2 mail
        bool notify;
        const char* target;
        ClickAction expected;
    } cases[] = {
        {"plain", 0, false, "", {Kind::kNothing, "", ""}},
        {"plain notifying", 0, true, "", {Kind::kNotifyParent, "", ""}},
        {"link notifying", 1, true, "t", {Kind::kNotifyParent, "", ""}},
        {"mail notifying", 2, true, "", {Kind::kNotifyParent, "", ""}},
        {"link to the text", 1, false, "", {Kind::kShellExecute, "open", "Caption"}},
        {"link to a target", 1, false, "x:/y", {Kind::kShellExecute, "open", "x:/y"}},
        {"mail", 2, false, "ignored", {Kind::kShellExecute, "", "mailto:Caption"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkLabelState s(kWindowText);
        if (c.kind == 1) {
            s.SetLink(true, c.notify);
        } else if (c.kind == 2) {
            s.SetMailLink(true, c.notify);
        } else {
            s.SetLink(false, c.notify);
        }
        s.SetLinkTarget(c.target);
        s.SetText("Stored");  // a click uses the window text, not the stored one
        EXPECT_EQ(s.OnLeftButtonDown("Caption"), c.expected);
    }
}

// --- Gradient bands ---

TEST(LinkLabelState, GradientBandCounts) {
    const struct {
        int width;
        std::size_t bands;
        int firstWidth;
        int lastWidth;
    } cases[] = {
        {0, 0, 0, 0},     {1, 1, 1, 1},      {50, 50, 1, 1},
        {100, 100, 1, 1}, {250, 100, 2, 52}, {-5, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const Rect r{10, 5, 10 + c.width, 25};
        const auto bands = GradientBands(r, kBlack, kWhite);
        ASSERT_EQ(bands.size(), c.bands);
        if (bands.empty()) {
            continue;
        }
        EXPECT_EQ(bands.front().rect.left, 10);
        EXPECT_EQ(bands.front().rect.right - bands.front().rect.left, c.firstWidth);
        EXPECT_EQ(bands.back().rect.right, r.right);
        EXPECT_EQ(bands.back().rect.right - bands.back().rect.left, c.lastWidth);
        for (std::size_t i = 0; i < bands.size(); ++i) {
            EXPECT_EQ(bands[i].rect.top, 5);
            EXPECT_EQ(bands[i].rect.bottom, 25);
            if (i > 0) {
                EXPECT_EQ(bands[i].rect.left, bands[i - 1].rect.right);
            }
        }
    }
}

TEST(LinkLabelState, GradientChannelSteps) {
    const struct {
        const char* name;
        int width;
        Colour start, end;
        std::size_t index;
        Colour colour;
    } cases[] = {
        // 255 * 256 / 100 = 652 per band
        {"first band is the start", 100, kBlack, kWhite, 0, kBlack},
        {"band 1", 100, kBlack, kWhite, 1, MakeColour(2, 2, 2)},
        {"band 50", 100, kBlack, kWhite, 50, MakeColour(127, 127, 127)},
        {"last band stops short", 100, kBlack, kWhite, 99, MakeColour(252, 252, 252)},
        // Falling channel: -255 * 256 / 100 = -652 (truncated toward zero)
        {"falling", 100, kWhite, kBlack, 99, MakeColour(2, 2, 2)},
        // Mixed channels over 50 bands: red up 200, green down 100, blue still
        {"mixed band 0", 50, MakeColour(0, 200, 7), MakeColour(200, 100, 7), 0,
         MakeColour(0, 200, 7)},
        {"mixed band 10", 50, MakeColour(0, 200, 7), MakeColour(200, 100, 7), 10,
         MakeColour(40, 180, 7)},
        {"mixed band 49", 50, MakeColour(0, 200, 7), MakeColour(200, 100, 7), 49,
         MakeColour(196, 102, 7)},
        {"one pixel", 1, MakeColour(9, 8, 7), kWhite, 0, MakeColour(9, 8, 7)},
        // 3 * 256 / 100 = 7: band 37 is 259 / 256 = 1
        {"small step", 250, kBlack, MakeColour(3, 0, 0), 37, MakeColour(1, 0, 0)},
        {"small step early", 250, kBlack, MakeColour(3, 0, 0), 36, kBlack},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bands = GradientBands(Rect{0, 0, c.width, 10}, c.start, c.end);
        ASSERT_LT(c.index, bands.size());
        EXPECT_EQ(bands[c.index].colour, c.colour);
    }
}

TEST(LinkLabelState, GradientWithFewerBands) {
    const auto bands = GradientBands(Rect{0, 0, 10, 4}, kBlack, MakeColour(30, 0, 0), 3);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0], (GradientBand{Rect{0, 0, 3, 4}, MakeColour(0, 0, 0)}));
    EXPECT_EQ(bands[1], (GradientBand{Rect{3, 0, 6, 4}, MakeColour(10, 0, 0)}));
    EXPECT_EQ(bands[2], (GradientBand{Rect{6, 0, 10, 4}, MakeColour(20, 0, 0)}));
}

}  // namespace
}  // namespace tessaly::app

// The link label on real windows under Wine: a parent window of the test's own class
// records the notifications, a static child is subclassed, and paintings into memory
// bitmaps are read back pixel by pixel.
#include "app/win32/link_label.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace tessaly::app::win32 {
namespace {

constexpr int kLabelId = 1234;
constexpr int kWidth = 200;
constexpr int kHeight = 40;
constexpr char kParentClass[] = "TessalyLinkLabelTestParent";

struct NotifyRecord {
    int count = 0;
    WPARAM wParam = 0;
    NMHDR header{};
};
NotifyRecord g_notify;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        ++g_notify.count;
        g_notify.wParam = wParam;
        g_notify.header = *reinterpret_cast<const NMHDR*>(lParam);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// A memory bitmap of the label's size, filled with one colour first.
class Canvas {
  public:
    explicit Canvas(COLORREF fill) {
        ScreenDc screen;
        dc_ = ::CreateCompatibleDC(screen.Get());
        bitmap_ = ::CreateCompatibleBitmap(screen.Get(), kWidth, kHeight);
        old_ = ::SelectObject(dc_, bitmap_);
        const RECT all{0, 0, kWidth, kHeight};
        GdiObject<HBRUSH> brush(::CreateSolidBrush(fill));
        ::FillRect(dc_, &all, brush.Get());
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    RECT Client() const { return RECT{0, 0, kWidth, kHeight}; }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }
    int Count(COLORREF colour, int fromX = 0, int toX = kWidth) const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = fromX; x < toX; ++x) {
                n += At(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

class LinkLabelWindow : public testing::Test {
  protected:
    void SetUp() override {
        static const bool registered = [] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = ParentProc;
            cls.hInstance = ::GetModuleHandleA(nullptr);
            cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            cls.lpszClassName = kParentClass;
            return ::RegisterClassA(&cls) != 0;
        }();
        ASSERT_TRUE(registered);
        g_notify = NotifyRecord{};
        parent_ =
            ::CreateWindowExA(0, kParentClass, "Link label test", WS_OVERLAPPEDWINDOW, 0, 0, 320,
                              200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        if (parent_ != nullptr) {
            ::DestroyWindow(parent_);
        }
    }

    HWND MakeStatic(DWORD style, const char* caption) {
        return ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | style, 10, 10,
                                 kWidth, kHeight, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    }
    void Show() {
        ::ShowWindow(parent_, SW_SHOWNOACTIVATE);
        ::UpdateWindow(parent_);
        Pump();
    }
    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // A pixel of the window as the screen shows it.
    static COLORREF ScreenPixel(HWND window, int x, int y) {
        const HDC dc = ::GetDC(window);
        const COLORREF colour = ::GetPixel(dc, x, y);
        ::ReleaseDC(window, dc);
        return colour;
    }
    static std::string TextOf(HWND window) {
        char buffer[256] = {};
        ::GetWindowTextA(window, buffer, sizeof(buffer));
        return buffer;
    }

    HWND parent_ = nullptr;
};

TEST_F(LinkLabelWindow, AttachKeepsTheMarkerUntilTheFirstPainting) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    ASSERT_NE(control, nullptr);
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    EXPECT_EQ(label.Window(), control);
    EXPECT_NE(label.Font(), nullptr);
    EXPECT_EQ(label.GetText(), "LEGEREGEL");
    Show();
    EXPECT_EQ(label.GetText(), "Caption");
    std::string copy;
    label.CopyText(copy).SetBold(true);
    EXPECT_EQ(copy, "Caption");
}

TEST_F(LinkLabelWindow, SetTextChangesOnlyTheStoredText) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    Show();
    EXPECT_EQ(label.SetText("Neu").SetBackground(RGB(0, 0, 255)).GetText(), "Neu");
    EXPECT_EQ(ScreenPixel(control, kWidth - 1, 0), RGB(0, 0, 255));
    EXPECT_EQ(TextOf(control), "Caption");
    // The window's text changes without touching the stored one, and asks for a painting.
    ::SetWindowTextA(control, "Other");
    EXPECT_EQ(TextOf(control), "Other");
    EXPECT_EQ(label.GetText(), "Neu");
    RECT update{};
    EXPECT_TRUE(::GetUpdateRect(control, &update, FALSE));
    Pump();
    // The label painted over what the static drew inside WM_SETTEXT.
    EXPECT_EQ(ScreenPixel(control, kWidth - 1, 0), RGB(0, 0, 255));
    EXPECT_EQ(ScreenPixel(control, 0, kHeight - 1), RGB(0, 0, 255));
}

TEST_F(LinkLabelWindow, EraseBackgroundLeavesTheBackground) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    Canvas canvas(RGB(0, 255, 0));
    EXPECT_EQ(::SendMessageA(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0),
              TRUE);
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 255, 0));
}

TEST_F(LinkLabelWindow, NotifyingClickSendsWmNotifyToTheParent) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetLink(true, true);
    EXPECT_NE(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY, 0);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(g_notify.count, 1);
    EXPECT_EQ(g_notify.wParam, static_cast<WPARAM>(kLabelId));
    EXPECT_EQ(g_notify.header.hwndFrom, control);
    EXPECT_EQ(g_notify.header.idFrom, static_cast<UINT_PTR>(kLabelId));
    EXPECT_EQ(g_notify.header.code, 0x8200u);
}

TEST_F(LinkLabelWindow, PlainClickNotifiesNobody) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetLink(false, false);
    EXPECT_EQ(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY, 0);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(g_notify.count, 0);
}

TEST_F(LinkLabelWindow, StyleSetters) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetSunken(true).SetBorder(true).SetTransparent(false);
    EXPECT_NE(::GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    EXPECT_NE(::GetWindowLongA(control, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_NE(::GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    label.SetSunken(false).SetBorder(false);
    EXPECT_EQ(::GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    EXPECT_EQ(::GetWindowLongA(control, GWL_STYLE) & WS_BORDER, 0);
}

TEST_F(LinkLabelWindow, CursorTimerAndFonts) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    Show();
    const HCURSOR cross = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
    label.SetLinkCursor(cross);
    EXPECT_EQ(::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    label.FlashText(true);
    EXPECT_EQ(label.State().BlinkPhase(), 0);
    ::SendMessageA(control, WM_TIMER, kBlinkTimerId, 0);
    EXPECT_EQ(label.State().BlinkPhase(), 1);
    label.FlashText(false);

    label.SetFaceName("Arial", ANSI_CHARSET).SetPointSize(12).SetItalic(true).SetUnderline(true);
    EXPECT_LT(label.State().Font().height, 0);
    EXPECT_EQ(label.State().Font().faceName, "Arial");
    LOGFONTA made{};
    ASSERT_NE(::GetObjectA(label.Font(), sizeof(made), &made), 0);
    EXPECT_EQ(made.lfItalic, 1);
    EXPECT_EQ(made.lfUnderline, 1);
    EXPECT_EQ(made.lfHeight, label.State().Font().height);
    label.SetLogFont(made).SetRotation(90, true).Set3DText(true, 1).SetHighlightColor(RGB(1, 2, 3));
    ::SendMessageA(control, WM_SYSCOLORCHANGE, 0, 0);
    Pump();
}

TEST_F(LinkLabelWindow, RightAlignedTextPaintsOnTheRight) {
    const HWND control = MakeStatic(SS_RIGHT, "Hi");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetBackground(RGB(0, 0, 255)).SetTextColor(RGB(255, 0, 0)).SetBold(true);
    Show();
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ScreenPixel(control, 0, 0), RGB(0, 0, 255));
    Canvas canvas(RGB(0, 255, 0));
    label.PaintOn(canvas.Dc(), canvas.Client());
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Count(RGB(0, 255, 0)), 0);
    EXPECT_GT(canvas.Count(RGB(255, 0, 0), kWidth / 2), 0);
    EXPECT_EQ(canvas.Count(RGB(255, 0, 0), 0, kWidth / 2), 0);
}

TEST_F(LinkLabelWindow, TextPixelsTakeTheTextColour) {
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetText("Text").SetTextColor(RGB(255, 0, 0)).SetBold(true);
    Canvas canvas(RGB(0, 255, 0));
    label.PaintOn(canvas.Dc(), canvas.Client());
    EXPECT_GT(canvas.Count(RGB(255, 0, 0), 0, kWidth / 2), 0);
    EXPECT_EQ(canvas.Count(RGB(0, 255, 0)), 0);  // the system brush covered it all
    EXPECT_EQ(canvas.At(kWidth - 1, kHeight - 1), ::GetSysColor(COLOR_BTNFACE));

    // In the dark blink phase the text takes the custom brush's colour and vanishes.
    label.SetBackground(RGB(0, 0, 255)).FlashText(true);
    Canvas dark(RGB(0, 255, 0));
    label.PaintOn(dark.Dc(), dark.Client());
    EXPECT_EQ(dark.Count(RGB(255, 0, 0)), 0);
    EXPECT_EQ(dark.Count(RGB(0, 0, 255)), kWidth * kHeight);
    label.FlashText(false);
}

TEST_F(LinkLabelWindow, GradientAndTransparentBackgrounds) {
    const HWND control = MakeStatic(SS_LEFT, "");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    label.SetBackground(RGB(0, 0, 0), RGB(255, 255, 255), true);
    Canvas gradient(RGB(0, 255, 0));
    label.PaintOn(gradient.Dc(), gradient.Client());
    // 200 pixels in 100 bands of 2: band 99 is 252 in every channel.
    EXPECT_EQ(gradient.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(gradient.At(2, kHeight - 1), RGB(2, 2, 2));
    EXPECT_EQ(gradient.At(kWidth - 1, kHeight - 1), RGB(252, 252, 252));
    EXPECT_EQ(gradient.Count(RGB(0, 255, 0)), 0);

    label.SetTransparent(true);
    Canvas clear(RGB(0, 255, 0));
    label.PaintOn(clear.Dc(), clear.Client());
    EXPECT_EQ(clear.Count(RGB(0, 255, 0)), kWidth * kHeight);
}

TEST_F(LinkLabelWindow, DestroyingTheWindowDetaches) {
    const HWND control = MakeStatic(SS_CENTER | SS_CENTERIMAGE, "Caption");
    LinkLabel label;
    ASSERT_TRUE(label.Attach(control));
    LinkLabel second;
    EXPECT_FALSE(second.Attach(control));
    EXPECT_TRUE(label.Attach(control));
    Show();
    ::DestroyWindow(control);
    EXPECT_EQ(label.Window(), nullptr);
    EXPECT_FALSE(label.Attach(nullptr));
}

// Memory for one object at an address that does not fit in 32 bits, where the system has
// one: a window that kept a pointer in a 32-bit slot would lose its upper half.
class HighMemory {
  public:
    explicit HighMemory(std::size_t size) {
        if constexpr (sizeof(void*) == 8) {
            for (std::uint64_t at = std::uint64_t{1} << 36; at != 0 && base_ == nullptr; at <<= 1) {
                base_ = ::VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT,
                                       PAGE_READWRITE);
            }
        } else {
            base_ = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~HighMemory() {
        if (base_ != nullptr)
            ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    HighMemory(const HighMemory&) = delete;
    HighMemory& operator=(const HighMemory&) = delete;
    void* Get() const { return base_; }

  private:
    void* base_ = nullptr;
};

TEST_F(LinkLabelWindow, PointerKeptInTheWindowSurvivesARoundTrip) {
    HighMemory memory(sizeof(LinkLabel));
    ASSERT_NE(memory.Get(), nullptr);
    if (sizeof(void*) == 8) {
        EXPECT_GT(reinterpret_cast<std::uintptr_t>(memory.Get()), std::uintptr_t{0xFFFFFFFFu});
    }
    const HWND control = MakeStatic(SS_LEFT, "Caption");
    const LONG_PTR systemProc = ::GetWindowLongPtrA(control, GWLP_WNDPROC);
    struct Destroy {
        void operator()(LinkLabel* l) const { l->~LinkLabel(); }
    };
    const std::unique_ptr<LinkLabel, Destroy> label(new (memory.Get()) LinkLabel);
    ASSERT_TRUE(label->Attach(control));
    EXPECT_EQ(::GetWindowLongPtrA(control, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(label.get()));
    // The subclassed procedure finds the label through the window: it paints the label's
    // colour, and a second label cannot take the window over.
    label->SetBackground(RGB(0, 0, 255));
    Show();
    EXPECT_EQ(ScreenPixel(control, kWidth - 1, kHeight - 1), RGB(0, 0, 255));
    LinkLabel other;
    EXPECT_FALSE(other.Attach(control));
    label->Detach();
    EXPECT_EQ(::GetWindowLongPtrA(control, GWLP_USERDATA), 0);
    EXPECT_EQ(::GetWindowLongPtrA(control, GWLP_WNDPROC), systemProc);
}

}  // namespace
}  // namespace tessaly::app::win32

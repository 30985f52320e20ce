#include "platform/recording_printer.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tessaly::platform {

namespace {

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

// Day of the week of a Gregorian date, 0 = Sunday.
int DayOfWeek(int y, int m, int d) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3)
        y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + offsets[(m - 1) % 12] + d) % 7;
}

}  // namespace

Hdc RecordingPrinter::PrintDlgA(Hwnd owner) {
    ++dialogsShown_;
    lastOwner_ = owner;
    if (!printer_ || printer_->cancel)
        return 0;
    dcOpen_ = true;
    return kPrinterDc;
}

int RecordingPrinter::GetDeviceCaps(Hdc dc, int index) {
    if (!Valid(dc))
        return 0;
    if (index == kHorzRes)
        return static_cast<int>(printer_->width);
    if (index == kVertRes)
        return static_cast<int>(printer_->height);
    if (index == kLogPixelsY)
        return static_cast<int>(printer_->dotsPerInch);
    return 0;
}

int RecordingPrinter::SetMapMode(Hdc dc, int) {
    return Valid(dc) ? kMmText : 0;
}

int RecordingPrinter::StartDocA(Hdc dc, const char* documentName) {
    if (!Valid(dc))
        return 0;
    if (printer_->startDocError != 0) {
        lastError_ = printer_->startDocError;
        return kSpError;
    }
    document_ = documentName != nullptr ? documentName : "";
    return 1;
}

int RecordingPrinter::StartPage(Hdc dc) {
    if (!Valid(dc))
        return 0;
    page_ = PrintedPage{};
    page_->width = static_cast<int>(printer_->width);
    page_->height = static_cast<int>(printer_->height);
    page_->documentName = document_;
    return 1;
}

int RecordingPrinter::EndPage(Hdc dc) {
    if (!Valid(dc) || !page_)
        return 0;
    pages_.push_back(std::move(*page_));
    page_.reset();
    return 1;
}

int RecordingPrinter::EndDoc(Hdc dc) {
    return Valid(dc) ? 1 : 0;
}

bool RecordingPrinter::DeleteDC(Hdc dc) {
    if (!Valid(dc))
        return false;
    dcOpen_ = false;
    currentFontHeight_ = 0;
    return true;
}

unsigned RecordingPrinter::GetTextAlign(Hdc dc) {
    return Valid(dc) ? align_ : 0;
}

unsigned RecordingPrinter::SetTextAlign(Hdc dc, unsigned align) {
    if (!Valid(dc))
        return 0;
    const unsigned previous = align_;
    align_ = align;
    return previous;
}

GdiObject RecordingPrinter::AddObject(bool font, int size) {
    objects_.push_back(Object{font, size});
    ++liveObjects_;
    return static_cast<GdiObject>(objects_.size());
}

GdiObject RecordingPrinter::CreatePen(int, int width, std::uint32_t) {
    return AddObject(false, width);
}

GdiObject RecordingPrinter::CreateFontA(int height, const char*) {
    return height > 0 ? AddObject(true, height) : 0;
}

GdiObject RecordingPrinter::SelectObject(Hdc dc, GdiObject object) {
    if (!Valid(dc) || object == 0 || object > objects_.size())
        return 0;
    const Object& selected = objects_[object - 1];
    if (selected.font)
        currentFontHeight_ = selected.size;
    else
        currentPenWidth_ = selected.size;
    return object;
}

bool RecordingPrinter::DeleteObject(GdiObject object) {
    if (object == 0 || object > objects_.size())
        return false;
    --liveObjects_;
    return true;
}

bool RecordingPrinter::MoveToEx(Hdc dc, int x, int y) {
    if (!Valid(dc))
        return false;
    x_ = x;
    y_ = y;
    return true;
}

bool RecordingPrinter::LineTo(Hdc dc, int x, int y) {
    if (!Valid(dc))
        return false;
    if (page_)
        page_->lines.push_back({x_, y_, x, y, currentPenWidth_});
    x_ = x;
    y_ = y;
    return true;
}

bool RecordingPrinter::TextOutA(Hdc dc, int x, int y, const char* text, int length) {
    if (!Valid(dc) || text == nullptr || length < 0)
        return false;
    if (page_)
        page_->texts.push_back(
            {x, y, std::string(text, static_cast<std::size_t>(length)), FontHeight()});
    return true;
}

bool RecordingPrinter::GetTextExtentPoint32A(Hdc dc, const char*, int length, int* width,
                                             int* height) {
    if (!Valid(dc) || length < 0 || width == nullptr || height == nullptr)
        return false;
    // A chosen font has characters half as wide as its cell is tall.
    const long long charWidth =
        currentFontHeight_ > 0 ? std::max(1, currentFontHeight_ / 2) : CharWidth();
    *width = static_cast<int>(std::min<long long>(charWidth * length, INT_MAX));
    *height = FontHeight();
    return true;
}

int RecordingPrinter::FontHeight() const {
    if (currentFontHeight_ > 0)
        return currentFontHeight_;
    if (printer_ && printer_->fontHeight > 0)
        return static_cast<int>(printer_->fontHeight);
    return CharWidth();
}

void ReadLocalDate(SystemTime& time) {
    time = SystemTime{};
    const std::time_t now = std::time(nullptr);
    // The C library's own broken-down time, copied at once.
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return;
    time.year = static_cast<std::uint16_t>(local->tm_year + 1900);
    time.month = static_cast<std::uint16_t>(local->tm_mon + 1);
    time.day = static_cast<std::uint16_t>(local->tm_mday);
    time.dayOfWeek = static_cast<std::uint16_t>(local->tm_wday);
}

void RecordingPrinter::GetLocalTime(SystemTime& time) {
    if (!date_) {
        ReadLocalDate(time);
        return;
    }
    time = SystemTime{};
    time.year = date_->year;
    time.month = date_->month;
    time.day = date_->day;
    time.dayOfWeek = static_cast<std::uint16_t>(DayOfWeek(time.year, time.month, time.day));
}

int RecordingPrinter::GetDateFormatA(const SystemTime& time, const char* picture, char* out,
                                     int size) {
    return FormatDateEnglish(time, picture, out, size);
}

int FormatDateEnglish(const SystemTime& time, const char* picture, char* out, int size) {
    if (picture == nullptr || time.month < 1 || time.month > 12)
        return 0;
    // English (United States): d, dd, M, MM, MMMM, yy, yyyy; other characters as they are.
    std::string text;
    for (const char* p = picture; *p != '\0';) {
        std::size_t run = 1;
        while (p[run] == *p)
            ++run;
        char field[16] = {};
        if (*p == 'd') {
            std::snprintf(field, sizeof field, run >= 2 ? "%02u" : "%u", time.day);
        } else if (*p == 'M') {
            if (run >= 4) {
                text += kMonths[time.month - 1];
            } else if (run == 3) {
                text += std::string(kMonths[time.month - 1]).substr(0, 3);
            } else {
                std::snprintf(field, sizeof field, run == 2 ? "%02u" : "%u", time.month);
            }
        } else if (*p == 'y') {
            std::snprintf(field, sizeof field, run >= 4 ? "%04u" : "%02u",
                          run >= 4 ? time.year : time.year % 100u);
        } else {
            text.append(run, *p);
        }
        text += field;
        p += run;
    }
    const int needed = static_cast<int>(text.size()) + 1;
    if (out == nullptr || size == 0)
        return needed;
    if (size < needed)
        return 0;
    std::memcpy(out, text.c_str(), static_cast<std::size_t>(needed));
    return needed;
}

}  // namespace tessaly::platform

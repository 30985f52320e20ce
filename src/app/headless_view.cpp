#include "app/headless_view.h"

namespace tessaly::app {

void HeadlessView::SetText(int controlId, std::string_view text) {
    fields_[controlId] = std::string(text);
}

std::string HeadlessView::GetText(int controlId) {
    const auto it = fields_.find(controlId);
    return it == fields_.end() ? std::string() : it->second;
}

void HeadlessView::SelectDriveItem(int index) {
    selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
}

int HeadlessView::MessageBox(std::string_view text, std::string_view caption, unsigned style) {
    messages_.push_back({std::string(caption), std::string(text)});
    if ((style & 0xF) != kMbOkCancel)
        return kIdOk;
    return continueAfterUsbWarning_ ? kIdOk : kIdCancel;
}

std::uintptr_t HeadlessView::SetTimer(unsigned, unsigned) {
    if (closed_)
        return 0;
    timer_ = nextTimer_++;
    return timer_;
}

void HeadlessView::KillTimer(std::uintptr_t timer) {
    if (timer == timer_)
        timer_ = 0;
}

void HeadlessView::Close() {
    // WM_CLOSE: the window's close handler runs once, then the window is gone.
    if (closed_ || closing_ || dialog_ == nullptr)
        return;
    closing_ = true;
    dialog_->OnClose();
    closing_ = false;
}

void HeadlessView::BeginStep() {
    messages_.clear();
    dialogs_.clear();
}

}  // namespace tessaly::app

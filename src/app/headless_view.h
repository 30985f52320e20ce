// The main window without a window system, as the headless runner and the tests
// see it: every field text, the drive list, the message boxes and dialogs of a step,
// the poll timer and whether the window has closed. The one question the program
// asks (the USB warning) gets the answer given at construction.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "app/main_view.h"

namespace tessaly::app {

class HeadlessView : public MainView {
  public:
    explicit HeadlessView(bool continueAfterUsbWarning = true)
        : continueAfterUsbWarning_(continueAfterUsbWarning) {
        for (int id : kValueFieldIds)
            fields_[id] = "";
    }
    void Attach(MainDialog* dialog) { dialog_ = dialog; }

    // Every value field of the main window starts with its (empty) caption.
    // MainView
    void SetText(int controlId, std::string_view text) override;
    void SetTextColor(int, std::uint32_t) override {}
    std::string GetText(int controlId) override;
    void AddDriveItem(std::string_view text) override { items_.emplace_back(text); }
    void SelectDriveItem(int index) override;
    int SelectedDriveItem() override { return selected_; }
    int MessageBox(std::string_view text, std::string_view caption, unsigned style) override;
    // A stand-in window handle: the dialogs it opens have an owner to record.
    std::uintptr_t WindowHandle() override { return kWindowHandle; }
    std::string ApplicationName() override { return "tessaly"; }
    void ShowAboutDialog() override { dialogs_.emplace_back("about"); }
    void ShowAspiWarningDialog() override { dialogs_.emplace_back("aspi-warning"); }
    std::uintptr_t SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(std::uintptr_t timer) override;
    void Close() override;
    void DestroyWindow() override { closed_ = true; }
    void EndDialog(int) override { closed_ = true; }

    static constexpr std::uintptr_t kWindowHandle = 0x10010;

    // What a step shows.
    struct Message {
        std::string caption;
        std::string text;
    };
    void BeginStep();
    void RecordDialog(const char* name) { dialogs_.emplace_back(name); }
    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<std::string>& Dialogs() const { return dialogs_; }
    const std::vector<std::string>& Items() const { return items_; }
    int Selected() const { return selected_; }
    const std::map<int, std::string>& Fields() const { return fields_; }
    bool TimerRunning() const { return timer_ != 0; }
    bool Closed() const { return closed_; }

  private:
    MainDialog* dialog_ = nullptr;
    bool continueAfterUsbWarning_;
    std::map<int, std::string> fields_;
    std::vector<std::string> items_;
    int selected_ = -1;
    std::vector<Message> messages_;
    std::vector<std::string> dialogs_;
    std::uintptr_t timer_ = 0;
    std::uintptr_t nextTimer_ = 1;
    bool closed_ = false;
    bool closing_ = false;
};

}  // namespace tessaly::app

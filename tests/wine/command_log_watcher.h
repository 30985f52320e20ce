// Follows a command log while the program runs, each line with a time in milliseconds:
// the time the line was first seen (the virtual wnaspi32.dll's log, flushed line by
// line, so within the polling step of when the program sent the command), or the time
// the line carries at its start (the preloaded library's log: "<ms> 0:1 00 ...", taken
// off the text).
#pragma once

#include <windows.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::wine_test {

class LogWatcher {
  public:
    struct Line {
        long long ms = 0;
        std::string text;
    };
    enum class Times { kSeen, kStamped };

    LogWatcher(std::string path, Times times) : path_(std::move(path)), times_(times) {
        thread_ = std::thread([this] { Run(); });
    }
    ~LogWatcher() {
        stop_ = true;
        thread_.join();
    }

    std::vector<Line> Lines() {
        ReadNew();
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

    // Milliseconds on the clock the lines' times use.
    long long Now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

  private:
    void Run() {
        while (!stop_) {
            ReadNew();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    Line Parse(std::string text, long long seen) const {
        if (times_ == Times::kSeen)
            return Line{seen, std::move(text)};
        std::size_t digits = 0;
        while (digits < text.size() && digits < 18 &&
               std::isdigit(static_cast<unsigned char>(text[digits]))) {
            ++digits;
        }
        if (digits == 0 || digits >= text.size() || text[digits] != ' ')
            return Line{-1, std::move(text)};  // no time: a line the test will not match
        return Line{std::stoll(text.substr(0, digits)), text.substr(digits + 1)};
    }

    void ReadNew() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::ifstream file(path_, std::ios::binary);
        if (!file)
            return;
        file.seekg(static_cast<std::streamoff>(offset_));
        std::string chunk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const long long now = Now();
        std::size_t start = 0;
        for (std::size_t end; (end = chunk.find('\n', start)) != std::string::npos;
             start = end + 1) {
            // The DLL writes in text mode: "\r\n" ends each line.
            std::size_t stop = end;
            if (stop > start && chunk[stop - 1] == '\r')
                --stop;
            lines_.push_back(Parse(chunk.substr(start, stop - start), now));
        }
        offset_ += start;  // an unfinished line is read again next time
    }

    std::string path_;
    Times times_;
    std::mutex mutex_;
    std::vector<Line> lines_;
    std::size_t offset_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tessaly::wine_test

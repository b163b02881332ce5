#pragma once
// A serial device in memory: records what the component asks of it and reports
// the line events a test pushes.
#include "update/CommInt.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace gwtest {

class FakeCommDevice : public gw::CommDevice {
public:
    bool IsCharacterDevice() const override { return characterDevice; }
    int GetLineSettings(gw::CommLineSettings& s) override {
        s = settings;
        return getError;
    }
    int SetLineSettings(const gw::CommLineSettings& s) override {
        if (setError)
            return setError;
        settings = s;
        ++setCount;
        return 0;
    }
    int SetTimeouts(const gw::CommTimeouts& t) override {
        if (timeoutsError)
            return timeoutsError;
        timeouts = t;
        return 0;
    }
    int SetQueueSizes(std::int32_t r, std::int32_t w) override {
        readQueue = r;
        writeQueue = w;
        return queueError;
    }
    int Escape(int code) override {
        if (escapeError)
            return escapeError;
        escapes.push_back(code);
        return 0;
    }
    int SetEventMask(std::uint32_t mask) override {
        eventMask = mask;
        return 0;
    }
    int WaitEvent(std::uint32_t& events) override {
        std::unique_lock lock(m_);
        ++waits;
        cv_.notify_all();
        cv_.wait(lock, [&] { return cancelled_ || !pending_.empty() || lost_ != 0; });
        events = 0;
        if (!cancelled_ && lost_ != 0)
            return lost_;
        if (!cancelled_ && !pending_.empty()) {
            events = pending_.front();
            pending_.pop_front();
        }
        return 0;
    }
    void CancelWait() override {
        std::lock_guard lock(m_);
        cancelled_ = true;
        cv_.notify_all();
    }
    int ClearError(gw::CommStatus& s) override {
        s = status;
        status.Errors = 0;
        return 0;
    }
    int Purge() override {
        Log(closed ? "purge after close" : "purge");
        return 0;
    }
    void Close() override {
        closed = true;
        Log("close");
    }

    // Reports `events` to the waiting monitoring thread.
    void Push(std::uint32_t events) {
        std::lock_guard lock(m_);
        pending_.push_back(events);
        cv_.notify_all();
    }
    // The device goes away: every wait from now on fails with `error`.
    void Vanish(int error) {
        std::lock_guard lock(m_);
        lost_ = error;
        cv_.notify_all();
    }
    // Waits until the monitoring thread has entered WaitEvent `n` times.
    bool WaitForWaits(int n) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return waits >= n; });
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(m_);
        return calls_;
    }

    bool characterDevice = true;
    int getError = 0, setError = 0, timeoutsError = 0, queueError = 0, escapeError = 0;
    gw::CommLineSettings settings;
    int setCount = 0;
    gw::CommTimeouts timeouts;
    std::int32_t readQueue = 0, writeQueue = 0;
    std::vector<int> escapes;
    std::uint32_t eventMask = 0;
    gw::CommStatus status;
    bool closed = false;
    int waits = 0;

private:
    void Log(const std::string& s) {
        std::lock_guard lock(m_);
        calls_.push_back(s);
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::uint32_t> pending_;
    bool cancelled_ = false;
    int lost_ = 0;
    std::vector<std::string> calls_;
};

// Hands out one fake device per open and keeps it for inspection.
class FakeCommDevices : public gw::CommDeviceLayer {
public:
    std::shared_ptr<gw::CommDevice> Open(const std::string& name, int& error) override {
        opened.push_back(name);
        if (openError) {
            error = openError;
            return nullptr;
        }
        last = std::make_shared<FakeCommDevice>();
        if (prepare)
            prepare(*last);
        return last;
    }

    int openError = 0;
    std::function<void(FakeCommDevice&)> prepare;
    std::shared_ptr<FakeCommDevice> last;
    std::vector<std::string> opened;
};

// Stands in for the user-interface thread: tasks posted by the monitoring
// thread wait here until the test runs them.
class TaskQueue {
public:
    gw::CommEventPoster Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard lock(m_);
            tasks_.push_back(std::move(task));
            cv_.notify_all();
        };
    }
    // Waits for a task; false when none came within the time.
    bool WaitForTask(std::chrono::milliseconds within = std::chrono::seconds(5)) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, within, [&] { return !tasks_.empty(); });
    }
    // Runs one waiting task; false when none is waiting.
    bool RunOne() {
        std::function<void()> task;
        {
            std::lock_guard lock(m_);
            if (tasks_.empty())
                return false;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        return true;
    }
    // Runs tasks as they come until `done` holds or the time is up.
    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds within = std::chrono::seconds(5)) {
        const auto end = std::chrono::steady_clock::now() + within;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            if (WaitForTask(std::chrono::milliseconds(20)))
                RunOne();
        }
        return true;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> tasks_;
};

} // namespace gwtest

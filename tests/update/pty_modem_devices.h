#pragma once
// The platform's serial devices, except that a device without modem lines (a
// pseudo-terminal) takes DTR and RTS changes as a virtual port would, and
// remembers them. Lets the wizard's Connect succeed on a pseudo-terminal.
#include "update/CommInt.h"

#include <atomic>
#include <cerrno>

namespace gwtest {

class PtyModemDevices : public gw::CommDeviceLayer {
public:
    std::shared_ptr<gw::CommDevice> Open(const std::string& name, int& error) override {
        auto inner = gw::PosixCommDevices()->Open(name, error);
        if (!inner)
            return nullptr;
        return std::make_shared<Device>(std::move(inner), this);
    }

    std::atomic<bool> dtr{false};
    std::atomic<bool> rts{false};
    std::atomic<int> opens{0};

private:
    class Device : public gw::CommDevice {
    public:
        Device(std::shared_ptr<gw::CommDevice> inner, PtyModemDevices* owner)
            : inner_(std::move(inner)), owner_(owner) {
            ++owner_->opens;
        }
        bool IsCharacterDevice() const override { return inner_->IsCharacterDevice(); }
        int GetLineSettings(gw::CommLineSettings& s) override { return inner_->GetLineSettings(s); }
        int SetLineSettings(const gw::CommLineSettings& s) override {
            return inner_->SetLineSettings(s);
        }
        int SetTimeouts(const gw::CommTimeouts& t) override { return inner_->SetTimeouts(t); }
        int SetQueueSizes(std::int32_t r, std::int32_t w) override {
            return inner_->SetQueueSizes(r, w);
        }
        int Escape(int code) override {
            const int e = inner_->Escape(code);
            if (e != ENOTTY)
                return e;
            switch (code) {
            case gw::SETDTR:
                owner_->dtr = true;
                return 0;
            case gw::CLRDTR:
                owner_->dtr = false;
                return 0;
            case gw::SETRTS:
                owner_->rts = true;
                return 0;
            case gw::CLRRTS:
                owner_->rts = false;
                return 0;
            default:
                return e;
            }
        }
        int SetEventMask(std::uint32_t m) override { return inner_->SetEventMask(m); }
        int WaitEvent(std::uint32_t& ev) override { return inner_->WaitEvent(ev); }
        void CancelWait() override { inner_->CancelWait(); }
        int ClearError(gw::CommStatus& s) override { return inner_->ClearError(s); }
        int Purge() override { return inner_->Purge(); }
        void Close() override {
            inner_->Close();
            owner_->dtr = false;
        }

    private:
        std::shared_ptr<gw::CommDevice> inner_;
        PtyModemDevices* owner_;
    };
};

} // namespace gwtest

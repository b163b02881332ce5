#include "update/CommInt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace gw {

std::uint32_t BaudRateValue(TBaudrate b) {
    static constexpr std::uint32_t kRates[] = {110,    300,    600,    1200,    2400,   4800,
                                               9600,   14400,  19200,  38400,   56000,  57600,
                                               115200, 128000, 256000, 1500000, 3000000};
    return kRates[static_cast<int>(b)];
}

std::uint32_t EventBit(TCommEventType e) {
    switch (e) {
    case evBreak:
        return EV_BREAK;
    case evCts:
        return EV_CTS;
    case evDsr:
        return EV_DSR;
    case evError:
        return EV_ERR;
    case evRing:
        return EV_RING;
    case evRlsd:
        return EV_RLSD;
    case evRxChar:
        return EV_RXCHAR;
    case evRxFlag:
        return EV_RXFLAG;
    case evTxEmpty:
        return EV_TXEMPTY;
    }
    return 0;
}

std::uint32_t EventMask(TCommEventTypes events) {
    std::uint32_t mask = 0;
    for (int e = evBreak; e <= evTxEmpty; ++e)
        if (events.Contains(static_cast<TCommEventType>(e)))
            mask |= EventBit(static_cast<TCommEventType>(e));
    return mask;
}

std::string DevicePathForName(const std::string& name) {
    if (!name.empty() && name[0] == '/')
        return name;
    if (name.size() > 3 && std::tolower(static_cast<unsigned char>(name[0])) == 'c' &&
        std::tolower(static_cast<unsigned char>(name[1])) == 'o' &&
        std::tolower(static_cast<unsigned char>(name[2])) == 'm' && name.size() <= 6 &&
        std::all_of(name.begin() + 3, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        const int n = std::stoi(name.substr(3));
        if (n >= 1)
            return "/dev/ttyS" + std::to_string(n - 1);
    }
    return "/dev/" + name;
}

namespace {

// Names under `folder` that start with `prefix`, in natural order (ttyUSB2
// before ttyUSB10).
std::vector<std::string> DevicesIn(const std::string& folder, const std::string& prefix) {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return found;
}

} // namespace

std::vector<std::string> SerialPortNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 10; ++i)
        names.push_back("COM" + std::to_string(i));
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (auto& p : DevicesIn("/dev", prefix))
            names.push_back(p);
    auto byId = DevicesIn("/dev/serial/by-id", "");
    std::sort(byId.begin(), byId.end());
    names.insert(names.end(), byId.begin(), byId.end());
    return names;
}

// ---------------------------------------------------------------------------
// TCommEventChars

void TCommEventChars::Set(std::uint8_t& field, std::uint8_t c) {
    if (field == c)
        return;
    field = c;
    Changed();
}

void TCommEventChars::Assign(const TCommEventChars& other) {
    if (&other == this)
        return;
    xon_ = other.xon_;
    xoff_ = other.xoff_;
    error_ = other.error_;
    eof_ = other.eof_;
    evt_ = other.evt_;
    Changed();
}

void TCommEventChars::Changed() {
    if (owner_)
        owner_->ApplyLineSettings();
}

// ---------------------------------------------------------------------------
// TCommEventThread

struct CommMonitorState {
    std::mutex m;
    std::condition_variable cv;
    bool stop = false;
    TCustomComm* owner = nullptr;
    std::uint64_t completed = 0; // the last dispatch that has run
    bool purged = false;         // monitoring thread only
    std::atomic<bool> running{true};
};

TCommEventThread::TCommEventThread(TCustomComm* owner, std::shared_ptr<CommDevice> device,
                                   TCommEventTypes events, CommEventPoster poster)
    : state_(std::make_shared<CommMonitorState>()), device_(std::move(device)),
      poster_(std::move(poster)) {
    state_->owner = owner;
    device_->SetEventMask(EventMask(events));
    thread_ = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread() {
    StopMonitoring();
    Join();
}

void TCommEventThread::StopMonitoring() {
    {
        std::lock_guard lock(state_->m);
        state_->stop = true;
        state_->owner = nullptr;
        state_->cv.notify_all();
    }
    device_->CancelWait();
}

void TCommEventThread::Join() {
    if (!thread_.joinable())
        return;
    // A handler that closes the port runs on this thread when there is no
    // poster: it cannot wait for itself.
    if (thread_.get_id() == std::this_thread::get_id()) {
        // Purge now, while the device is still open; the loop ends after the
        // handler returns and must not purge a closed device.
        device_->Purge();
        state_->purged = true;
        thread_.detach();
    } else {
        thread_.join();
    }
}

void TCommEventThread::Execute() {
    const auto state = state_; // keeps the state alive if this object goes first
    const auto device = device_;
    const auto poster = poster_; // a handler may end this object's life (see Join)
    std::uint64_t posted = 0;
    for (;;) {
        {
            std::lock_guard lock(state->m);
            if (state->stop)
                break;
        }
        std::uint32_t events = 0;
        const int error = device->WaitEvent(events);
        std::unique_lock lock(state->m);
        if (state->stop)
            break;
        if (error != 0) {
            // The device is gone (unplugged, for instance): tell the owner once
            // and end; nothing more will come from it. The owner closes it.
            TCustomComm* owner = state->owner;
            lock.unlock();
            if (!poster) {
                owner->DeviceLost(error);
            } else {
                poster([state, error] {
                    TCustomComm* o;
                    {
                        std::lock_guard l(state->m);
                        if (state->stop)
                            return; // closed meanwhile: the loss is old news
                        o = state->owner;
                    }
                    o->DeviceLost(error);
                });
            }
            break;
        }
        if (events == 0)
            continue;
        if (!poster) {
            TCustomComm* owner = state->owner;
            lock.unlock();
            owner->DispatchEvents(events);
            continue;
        }
        const std::uint64_t id = ++posted;
        lock.unlock();
        poster([state, events, id] {
            TCustomComm* owner;
            {
                std::lock_guard l(state->m);
                if (state->stop)
                    return;
                owner = state->owner;
            }
            owner->DispatchEvents(events);
            {
                std::lock_guard l(state->m);
                state->completed = id;
                state->cv.notify_all();
            }
        });
        lock.lock();
        state->cv.wait(lock, [&] { return state->stop || state->completed == id; });
        if (state->stop)
            break;
    }
    if (!state->purged)
        device->Purge();
    state->running = false;
}

bool TCommEventThread::Running() const {
    return state_->running;
}

// ---------------------------------------------------------------------------
// TCustomComm

TCustomComm::TCustomComm(std::shared_ptr<CommDeviceLayer> devices) : devices_(std::move(devices)) {}

TCustomComm::~TCustomComm() {
    ClosePort();
}

void TCustomComm::CheckPortClosed() const {
    if (PortIsOpen())
        throw ECommError(kMsgPortAlreadyOpen, -1);
}

std::shared_ptr<CommDevice> TCustomComm::CreatePortHandle() {
    int error = 0;
    auto device = devices_->Open(deviceName_, error);
    if (!device)
        throw ECommError(kMsgDeviceAccess, error);
    if (!device->IsCharacterDevice()) {
        device->Close();
        throw ECommError(kMsgInvalidHandle, -1);
    }
    return device;
}

void TCustomComm::OpenPort() {
    CheckPortClosed();
    device_ = CreatePortHandle();
    eventThread_ = std::make_unique<TCommEventThread>(this, device_, monitorEvents_, poster_);
    ApplyTimeouts();
    ApplyLineSettings();
    if (int e = device_->SetQueueSizes(readBufSize_, writeBufSize_))
        throw ECommError(kMsgBuffers, e);
}

void TCustomComm::ClosePort() {
    if (!PortIsOpen())
        return;
    // The thread purges the queues on its way out, so it must end before the
    // device is closed.
    if (eventThread_) {
        eventThread_->StopMonitoring();
        eventThread_->Join();
        eventThread_.reset();
    }
    device_->Close();
    device_.reset();
}

void TCustomComm::EscapeFunction(int code) {
    if (!PortIsOpen())
        throw ECommError(kMsgPortNotOpen, -1);
    if (int e = device_->Escape(code))
        throw ECommError(kMsgEscape, e);
}

void TCustomComm::SetDtrLine(bool on) {
    EscapeFunction(on ? SETDTR : CLRDTR);
}

void TCustomComm::ApplyTimeouts() {
    if (!PortIsOpen())
        return;
    CommTimeouts t;
    t.ReadIntervalTimeout = kMaxTimeout; // a read returns at once with what has arrived
    if (int e = device_->SetTimeouts(t))
        throw ECommError(kMsgTimeouts, e);
}

void TCustomComm::ApplyFlowControl(CommLineSettings& dcb) const {
    switch (flowControl_) {
    case fcNone: {
        CommLineSettings cleared = dcb;
        cleared.fBinary = true;
        cleared.fParity = cleared.fOutxCtsFlow = cleared.fOutxDsrFlow = false;
        cleared.fDtrControl = DTR_CONTROL_DISABLE;
        cleared.fDsrSensitivity = cleared.fTXContinueOnXoff = false;
        cleared.fOutX = cleared.fInX = cleared.fErrorChar = cleared.fNull = false;
        cleared.fRtsControl = RTS_CONTROL_DISABLE;
        cleared.fAbortOnError = false;
        dcb = cleared;
        break;
    }
    case fcCTS:
        dcb.fOutxCtsFlow = true;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        break;
    case fcDTR:
        dcb.fOutxDsrFlow = true;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        break;
    case fcSoftware:
        dcb.fOutX = dcb.fInX = true;
        break;
    case fcDefault:
        break;
    }
}

void TCustomComm::ApplyLineSettings() {
    if (!PortIsOpen())
        return;
    CommLineSettings dcb;
    if (int e = device_->GetLineSettings(dcb))
        throw ECommError(kMsgDcb, e);
    dcb.BaudRate = BaudRateValue(baudRate_);
    dcb.Parity = static_cast<std::uint8_t>(parity_);
    dcb.StopBits = static_cast<std::uint8_t>(stopbits_);
    dcb.ByteSize = static_cast<std::uint8_t>(4 + databits_);
    dcb.XonChar = eventChars_.XonChar();
    dcb.XoffChar = eventChars_.XoffChar();
    dcb.ErrorChar = eventChars_.ErrorChar();
    dcb.EofChar = eventChars_.EofChar();
    dcb.EvtChar = eventChars_.EvtChar();
    dcb.XonLim = static_cast<std::uint16_t>(readBufSize_ / 4);
    dcb.XoffLim = static_cast<std::uint16_t>(readBufSize_ / 4);
    ApplyFlowControl(dcb);
    dcb.fParity = options_.Contains(coParityCheck);
    dcb.fDsrSensitivity = options_.Contains(coDsrSensitivity);
    dcb.fTXContinueOnXoff = options_.Contains(coIgnoreXOff);
    dcb.fErrorChar = options_.Contains(coErrorChar);
    dcb.fNull = options_.Contains(coNullStrip);
    if (int e = device_->SetLineSettings(dcb))
        throw ECommError(kMsgDcb, e);
}

void TCustomComm::DispatchEvents(std::uint32_t mask) {
    if (!PortIsOpen())
        return;
    CommStatus status;
    device_->ClearError(status);
    if ((mask & EV_BREAK) && OnBreak)
        OnBreak(this);
    if ((mask & EV_CTS) && OnCts)
        OnCts(this);
    if ((mask & EV_DSR) && OnDsr)
        OnDsr(this);
    if ((mask & EV_ERR) && OnError)
        OnError(this, status.Errors);
    if ((mask & EV_RING) && OnRing)
        OnRing(this);
    if ((mask & EV_RLSD) && OnRlsd)
        OnRlsd(this);
    if ((mask & EV_RXCHAR) && OnRxChar && status.InQueue > 0)
        OnRxChar(this, status.InQueue);
    if ((mask & EV_RXFLAG) && OnRxFlag)
        OnRxFlag(this);
    if ((mask & EV_TXEMPTY) && OnTxEmpty)
        OnTxEmpty(this);
}

void TCustomComm::DeviceLost(int code) {
    if (!PortIsOpen())
        return;
    if (OnDeviceLost)
        OnDeviceLost(this, ECommError(kMsgDeviceLost, code));
}

void TCustomComm::SetDeviceLayer(std::shared_ptr<CommDeviceLayer> devices) {
    CheckPortClosed();
    devices_ = std::move(devices);
}

void TCustomComm::SetDeviceName(const std::string& v) {
    if (v == deviceName_)
        return;
    CheckPortClosed();
    deviceName_ = v;
}

void TCustomComm::SetReadBufSize(int v) {
    if (v == readBufSize_)
        return;
    CheckPortClosed();
    readBufSize_ = v;
}

void TCustomComm::SetWriteBufSize(int v) {
    if (v == writeBufSize_)
        return;
    CheckPortClosed();
    writeBufSize_ = v;
}

void TCustomComm::SetMonitorEvents(TCommEventTypes v) {
    if (v == monitorEvents_)
        return;
    CheckPortClosed();
    monitorEvents_ = v;
}

} // namespace gw

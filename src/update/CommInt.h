#pragma once
// The serial port component: owns one serial device, applies its line settings,
// drives DTR and reports line events through a monitoring thread of its own.
// The device itself sits behind a small interface (CommDevice) so the component
// runs the same on a real port, a pseudo-terminal or a fake in tests.
#include "common/errors.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace gw {

// ---------------------------------------------------------------------------
// Errors

inline constexpr const char* kMsgPortAlreadyOpen = "Port already assigned (open)";
inline constexpr const char* kMsgDeviceAccess = "Error accessing specified device";
inline constexpr const char* kMsgInvalidHandle = "Invalid device handle, access denied";
inline constexpr const char* kMsgBuffers = "Error initializing Read/Write Buffers";
inline constexpr const char* kMsgTimeouts = "Error updating CommTimeouts";
inline constexpr const char* kMsgDcb = "Error updating DataControlBlock";
inline constexpr const char* kMsgPortNotOpen = "Port not open, unable to complete operation";
inline constexpr const char* kMsgEscape = "EscapeCommFunction failure";
// Reported through OnDeviceLost, with the system error the device gave.
inline constexpr const char* kMsgDeviceLost = "Device no longer available";

// ---------------------------------------------------------------------------
// Enumerations

enum TBaudrate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    br1500000,
    br3000000
};
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits { sb10, sb15, sb20 };
enum TDatabits { da4, da5, da6, da7, da8 };
enum TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum TCommEventType {
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};

// Bits per second of a TBaudrate.
std::uint32_t BaudRateValue(TBaudrate b);

// Communication event bits (the values the device layer reports).
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;

std::uint32_t EventBit(TCommEventType e);

// Device error flags, as the device layer reports them with the queue status.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;

// Extended functions of EscapeFunction.
inline constexpr int SETXOFF = 1;
inline constexpr int SETXON = 2;
inline constexpr int SETRTS = 3;
inline constexpr int CLRRTS = 4;
inline constexpr int SETDTR = 5;
inline constexpr int CLRDTR = 6;
inline constexpr int SETBREAK = 8;
inline constexpr int CLRBREAK = 9;

// A small set over one of the enumerations above.
template <class E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items)
            Include(e);
    }
    constexpr bool Contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
    constexpr void Include(E e) { bits_ |= 1u << static_cast<unsigned>(e); }
    constexpr void Exclude(E e) { bits_ &= ~(1u << static_cast<unsigned>(e)); }
    constexpr bool Empty() const { return bits_ == 0; }
    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    std::uint32_t bits_ = 0;
};

using TCommEventTypes = EnumSet<TCommEventType>;
using TCommOptions = EnumSet<TCommOption>;

inline constexpr TCommEventTypes kAllCommEvents{evBreak, evCts,    evDsr,    evError,  evRing,
                                                evRlsd,  evRxChar, evRxFlag, evTxEmpty};

std::uint32_t EventMask(TCommEventTypes events);

// ---------------------------------------------------------------------------
// The device layer

// The device's control block: line settings and flow-control flags.
inline constexpr std::uint8_t DTR_CONTROL_DISABLE = 0;
inline constexpr std::uint8_t DTR_CONTROL_ENABLE = 1;
inline constexpr std::uint8_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr std::uint8_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint8_t RTS_CONTROL_ENABLE = 1;
inline constexpr std::uint8_t RTS_CONTROL_HANDSHAKE = 2;

struct CommLineSettings {
    std::uint32_t BaudRate = 9600;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    std::uint8_t ByteSize = 8;

    bool fBinary = true;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    std::uint8_t fDtrControl = DTR_CONTROL_ENABLE;
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    std::uint8_t fRtsControl = RTS_CONTROL_ENABLE;
    bool fAbortOnError = false;

    std::uint16_t XonLim = 2048;
    std::uint16_t XoffLim = 512;
    std::uint8_t XonChar = 17;
    std::uint8_t XoffChar = 19;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;

    friend bool operator==(const CommLineSettings&, const CommLineSettings&) = default;
};

inline constexpr std::uint32_t kMaxTimeout = 0xFFFFFFFFu;

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

struct CommStatus {
    std::uint32_t Errors = 0;  // CE_ flags
    std::uint32_t InQueue = 0; // bytes waiting to be read
    std::uint32_t OutQueue = 0;
};

// One open device. Every operation returns 0 or the system error number.
// WaitEvent runs on the monitoring thread, CancelWait on any thread; the rest
// on the owner's thread (never at the same time as a dispatch, which the
// monitoring thread waits for).
class CommDevice {
public:
    virtual ~CommDevice() = default;
    virtual bool IsCharacterDevice() const = 0;
    virtual int GetLineSettings(CommLineSettings& s) = 0;
    virtual int SetLineSettings(const CommLineSettings& s) = 0;
    virtual int SetTimeouts(const CommTimeouts& t) = 0;
    virtual int SetQueueSizes(std::int32_t readSize, std::int32_t writeSize) = 0;
    virtual int Escape(int code) = 0;
    virtual int SetEventMask(std::uint32_t mask) = 0;
    // Blocks until one of the events of the mask happens (reported in `events`)
    // or CancelWait is called (`events` 0). Once cancelled, it returns at once.
    // An error means the device is gone (hung up, unplugged, the other side of
    // a pseudo-terminal closed): the monitoring thread reports it and ends.
    virtual int WaitEvent(std::uint32_t& events) = 0;
    virtual void CancelWait() = 0;
    // Reads and clears the error flags; reports the queue status.
    virtual int ClearError(CommStatus& status) = 0;
    // Aborts pending transfers and clears both queues.
    virtual int Purge() = 0;
    virtual void Close() = 0;
};

// Opens devices by name; nullptr and the system error number when it cannot.
class CommDeviceLayer {
public:
    virtual ~CommDeviceLayer() = default;
    virtual std::shared_ptr<CommDevice> Open(const std::string& name, int& error) = 0;
};

// The platform's devices (POSIX termios).
std::shared_ptr<CommDeviceLayer> PosixCommDevices();

// The path a device name opens: "COMn" (any case) is /dev/ttyS(n-1), a name that
// starts with "/" is a path, any other name is looked up in /dev.
std::string DevicePathForName(const std::string& name);

// "COM1" to "COM10", then the serial adapters present (/dev/ttyUSB*,
// /dev/ttyACM*, /dev/serial/by-id/*).
std::vector<std::string> SerialPortNames();

// Hands a task to the user-interface thread, which runs it later. The component
// waits for the task itself, so the handoff stays synchronous.
using CommEventPoster = std::function<void(std::function<void()> task)>;

// ---------------------------------------------------------------------------
// The component

class TCustomComm;

class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* owner = nullptr) : owner_(owner) {}
    TCommEventChars(const TCommEventChars&) = delete;
    TCommEventChars& operator=(const TCommEventChars&) = delete;

    // Copies all five characters.
    void Assign(const TCommEventChars& other);

    std::uint8_t XonChar() const { return xon_; }
    std::uint8_t XoffChar() const { return xoff_; }
    std::uint8_t ErrorChar() const { return error_; }
    std::uint8_t EofChar() const { return eof_; }
    std::uint8_t EvtChar() const { return evt_; }
    void SetXonChar(std::uint8_t c) { Set(xon_, c); }
    void SetXoffChar(std::uint8_t c) { Set(xoff_, c); }
    void SetErrorChar(std::uint8_t c) { Set(error_, c); }
    void SetEofChar(std::uint8_t c) { Set(eof_, c); }
    void SetEvtChar(std::uint8_t c) { Set(evt_, c); }

private:
    void Set(std::uint8_t& field, std::uint8_t c);
    void Changed();

    TCustomComm* owner_;
    std::uint8_t xon_ = 17;
    std::uint8_t xoff_ = 19;
    std::uint8_t error_ = 0;
    std::uint8_t eof_ = 0;
    std::uint8_t evt_ = 0;
};

// What the monitoring thread and the tasks it posts share; outlives both.
struct CommMonitorState;

// The monitoring thread of one open device: waits for the chosen events and
// hands each mask to the owner's DispatchEvents on the user-interface thread.
class TCommEventThread {
public:
    TCommEventThread(TCustomComm* owner, std::shared_ptr<CommDevice> device, TCommEventTypes events,
                     CommEventPoster poster);
    ~TCommEventThread(); // stops and joins
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Asks the thread to stop and wakes it; a dispatch not yet run is dropped.
    void StopMonitoring();
    // Waits for the thread to end (it purges the queues on its way out).
    void Join();
    // False once the thread has left its loop (stopped, or the device is gone).
    bool Running() const;

private:
    void Execute();

    std::shared_ptr<CommMonitorState> state_;
    std::shared_ptr<CommDevice> device_;
    CommEventPoster poster_;
    std::thread thread_;
};

class TCustomComm {
public:
    using TNotifyEvent = std::function<void(TCustomComm* Sender)>;
    using TCommErrorEvent = std::function<void(TCustomComm* Sender, std::uint32_t Errors)>;
    using TCommRxCharEvent = std::function<void(TCustomComm* Sender, std::uint32_t Count)>;
    using TCommLostEvent = std::function<void(TCustomComm* Sender, const ECommError& Error)>;

    explicit TCustomComm(std::shared_ptr<CommDeviceLayer> devices = PosixCommDevices());
    virtual ~TCustomComm();
    TCustomComm(const TCustomComm&) = delete;
    TCustomComm& operator=(const TCustomComm&) = delete;

    void OpenPort();
    void ClosePort();
    bool PortIsOpen() const { return device_ != nullptr; }
    void SetDtrLine(bool on);
    void EscapeFunction(int code);
    void ApplyLineSettings();
    void ApplyTimeouts();
    // Runs on the user-interface thread with the events the device reported.
    void DispatchEvents(std::uint32_t mask);
    // Runs on the user-interface thread once the open device has gone away
    // (`code` the system error); the port stays open until ClosePort.
    void DeviceLost(int code);
    // True while the port is open and its monitoring thread still watches it.
    bool Monitoring() const { return eventThread_ && eventThread_->Running(); }

    // The devices OpenPort opens; change only while closed.
    void SetDeviceLayer(std::shared_ptr<CommDeviceLayer> devices);

    // Where event dispatches go; without one they run on the monitoring thread.
    void SetEventPoster(CommEventPoster poster) { poster_ = std::move(poster); }

    // The open device (nullptr while closed); for diagnostics and tests.
    CommDevice* Device() const { return device_.get(); }

protected:
    virtual std::shared_ptr<CommDevice> CreatePortHandle();
    void CheckPortClosed() const;
    void ApplyFlowControl(CommLineSettings& dcb) const;

    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& v);
    int ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(int v) { readTimeout_ = v; }
    int WriteTimeout() const { return writeTimeout_; }
    void SetWriteTimeout(int v) { writeTimeout_ = v; }
    int ReadBufSize() const { return readBufSize_; }
    void SetReadBufSize(int v);
    int WriteBufSize() const { return writeBufSize_; }
    void SetWriteBufSize(int v);
    TCommEventTypes MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TCommEventTypes v);
    TBaudrate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudrate v) { SetLine(baudRate_, v); }
    TParity Parity() const { return parity_; }
    void SetParity(TParity v) { SetLine(parity_, v); }
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits v) { SetLine(stopbits_, v); }
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits v) { SetLine(databits_, v); }
    TCommEventChars& EventChars() { return eventChars_; }
    void SetEventChars(const TCommEventChars& v) { eventChars_.Assign(v); }
    TCommOptions Options() const { return options_; }
    void SetOptions(TCommOptions v) { SetLine(options_, v); }
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl v) { SetLine(flowControl_, v); }

    TNotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
    TCommErrorEvent OnError;
    TCommRxCharEvent OnRxChar;
    // The device vanished while open (an adapter pulled): no more events come.
    TCommLostEvent OnDeviceLost;

private:
    template <class T> void SetLine(T& field, T v) {
        if (field == v)
            return;
        field = v;
        ApplyLineSettings();
    }

    std::shared_ptr<CommDeviceLayer> devices_;
    std::shared_ptr<CommDevice> device_;
    std::unique_ptr<TCommEventThread> eventThread_;
    CommEventPoster poster_;

    std::string deviceName_ = "Com2";
    int readTimeout_ = 1000;
    int writeTimeout_ = 1000;
    int readBufSize_ = 4096;
    int writeBufSize_ = 2048;
    TCommEventTypes monitorEvents_ = kAllCommEvents;
    TBaudrate baudRate_ = br9600;
    TParity parity_ = paNone;
    TStopbits stopbits_ = sb10;
    TDatabits databits_ = da8;
    TCommEventChars eventChars_{this};
    TCommOptions options_;
    TFlowControl flowControl_ = fcDefault;

    friend class TCommEventChars;
};

// The component with its properties and events open to its users.
class TComm : public TCustomComm {
public:
    using TCustomComm::TCustomComm;

    using TCustomComm::BaudRate;
    using TCustomComm::Databits;
    using TCustomComm::DeviceName;
    using TCustomComm::EventChars;
    using TCustomComm::FlowControl;
    using TCustomComm::MonitorEvents;
    using TCustomComm::Options;
    using TCustomComm::Parity;
    using TCustomComm::ReadBufSize;
    using TCustomComm::ReadTimeout;
    using TCustomComm::SetBaudRate;
    using TCustomComm::SetDatabits;
    using TCustomComm::SetDeviceName;
    using TCustomComm::SetEventChars;
    using TCustomComm::SetFlowControl;
    using TCustomComm::SetMonitorEvents;
    using TCustomComm::SetOptions;
    using TCustomComm::SetParity;
    using TCustomComm::SetReadBufSize;
    using TCustomComm::SetReadTimeout;
    using TCustomComm::SetStopbits;
    using TCustomComm::SetWriteBufSize;
    using TCustomComm::SetWriteTimeout;
    using TCustomComm::Stopbits;
    using TCustomComm::WriteBufSize;
    using TCustomComm::WriteTimeout;

    using TCustomComm::OnBreak;
    using TCustomComm::OnCts;
    using TCustomComm::OnDeviceLost;
    using TCustomComm::OnDsr;
    using TCustomComm::OnError;
    using TCustomComm::OnRing;
    using TCustomComm::OnRlsd;
    using TCustomComm::OnRxChar;
    using TCustomComm::OnRxFlag;
    using TCustomComm::OnTxEmpty;
};

} // namespace gw

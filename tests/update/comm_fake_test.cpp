// The serial component against a device in memory: what it asks of the device,
// how it hands line events over, and how it stops.
#include "update/comm_error.h"
#include "update/fake_comm_device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using namespace gw;
using gwtest::FakeCommDevices;
using gwtest::TaskQueue;

namespace {

struct FakeComm : ::testing::Test {
    std::shared_ptr<FakeCommDevices> devices = std::make_shared<FakeCommDevices>();
    TaskQueue ui;
    TComm comm{devices};

    FakeComm() { comm.SetEventPoster(ui.Poster()); }
    gwtest::FakeCommDevice& Device() { return *devices->last; }
};

using gwtest::ErrorOf;

TEST_F(FakeComm, DefaultsAreThePublishedOnes) {
    EXPECT_EQ(comm.DeviceName(), "Com2");
    EXPECT_EQ(comm.ReadTimeout(), 1000);
    EXPECT_EQ(comm.WriteTimeout(), 1000);
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    EXPECT_EQ(comm.WriteBufSize(), 2048);
    EXPECT_EQ(comm.MonitorEvents(), kAllCommEvents);
    EXPECT_EQ(comm.BaudRate(), br9600);
    EXPECT_EQ(comm.Parity(), paNone);
    EXPECT_EQ(comm.Stopbits(), sb10);
    EXPECT_EQ(comm.Databits(), da8);
    EXPECT_TRUE(comm.Options().Empty());
    EXPECT_EQ(comm.FlowControl(), fcDefault);
    EXPECT_EQ(comm.EventChars().XonChar(), 17);
    EXPECT_EQ(comm.EventChars().XoffChar(), 19);
    EXPECT_EQ(comm.EventChars().ErrorChar(), 0);
    EXPECT_EQ(comm.EventChars().EofChar(), 0);
    EXPECT_EQ(comm.EventChars().EvtChar(), 0);
    EXPECT_FALSE(comm.PortIsOpen());
}

TEST_F(FakeComm, OpenSetsTimeoutsQueuesAndEventMask) {
    comm.SetDeviceName("COM3");
    TCommEventTypes events{evRxChar, evCts, evBreak};
    comm.SetMonitorEvents(events);
    comm.OpenPort();
    EXPECT_EQ(devices->opened, std::vector<std::string>{"COM3"});
    EXPECT_EQ(Device().eventMask, EV_RXCHAR | EV_CTS | EV_BREAK);
    CommTimeouts expected;
    expected.ReadIntervalTimeout = 0xFFFFFFFFu;
    EXPECT_EQ(Device().timeouts, expected);
    EXPECT_EQ(Device().readQueue, 4096);
    EXPECT_EQ(Device().writeQueue, 2048);
    EXPECT_EQ(EventMask(kAllCommEvents), 0x1FFu);
}

TEST_F(FakeComm, DtrIsRaisedAndDropped) {
    comm.OpenPort();
    comm.SetDtrLine(true);
    comm.SetDtrLine(false);
    comm.EscapeFunction(SETBREAK);
    EXPECT_EQ(Device().escapes, (std::vector<int>{5, 6, 8}));
}

TEST_F(FakeComm, FailuresCarryTheirTextAndCode) {
    struct Case {
        const char* what;
        std::function<void(gwtest::FakeCommDevice&)> prepare;
        std::string text;
        int code;
        bool staysOpen;
    };
    const std::vector<Case> cases = {
        {"timeouts", [](auto& d) { d.timeoutsError = 5; },
         "Error updating CommTimeouts (Error: 5) ", 5, true},
        {"control block read", [](auto& d) { d.getError = 31; },
         "Error updating DataControlBlock (Error: 31) ", 31, true},
        {"control block write", [](auto& d) { d.setError = 87; },
         "Error updating DataControlBlock (Error: 87) ", 87, true},
        {"queues", [](auto& d) { d.queueError = 22; },
         "Error initializing Read/Write Buffers (Error: 22) ", 22, true},
        {"not a character device", [](auto& d) { d.characterDevice = false; },
         "Invalid device handle, access denied (Error: -1) ", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto layer = std::make_shared<FakeCommDevices>();
        layer->prepare = c.prepare;
        TComm port(layer);
        int code = 0;
        EXPECT_EQ(ErrorOf([&] { port.OpenPort(); }, &code), c.text);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(port.PortIsOpen(), c.staysOpen);
        EXPECT_EQ(layer->last->closed, !c.staysOpen);
        port.ClosePort();
        EXPECT_TRUE(layer->last->closed);
    }

    devices->openError = 2;
    int code = 0;
    EXPECT_EQ(ErrorOf([&] { comm.OpenPort(); }, &code),
              "Error accessing specified device (Error: 2) ");
    EXPECT_EQ(code, 2);
    EXPECT_FALSE(comm.PortIsOpen());

    EXPECT_EQ(ErrorOf([&] { comm.SetDtrLine(true); }, &code),
              "Port not open, unable to complete operation (Error: -1) ");
    EXPECT_EQ(code, -1);
    devices->openError = 0;
    comm.OpenPort();
    Device().escapeError = 1;
    EXPECT_EQ(ErrorOf([&] { comm.EscapeFunction(SETDTR); }, &code),
              "EscapeCommFunction failure (Error: 1) ");
    EXPECT_EQ(code, 1);
}

TEST_F(FakeComm, SettersFollowTheOpenState) {
    // Closed: everything is only stored.
    comm.SetBaudRate(br115200);
    comm.SetDeviceName("COM4");
    comm.SetReadBufSize(400);
    comm.OpenPort();
    EXPECT_EQ(Device().settings.BaudRate, 115200u);
    EXPECT_EQ(Device().settings.XonLim, 100);
    const int applied = Device().setCount;

    // Open: line settings reach the device at once, a value already held does nothing.
    comm.SetParity(paEven);
    EXPECT_EQ(Device().settings.Parity, 2);
    comm.SetParity(paEven);
    comm.SetBaudRate(br115200);
    EXPECT_EQ(Device().setCount, applied + 1);
    comm.EventChars().SetEvtChar('\n');
    EXPECT_EQ(Device().settings.EvtChar, '\n');
    TCommEventChars other;
    other.SetXonChar(1);
    other.SetXoffChar(2);
    comm.SetEventChars(other);
    EXPECT_EQ(Device().settings.XonChar, 1);
    EXPECT_EQ(Device().settings.XoffChar, 2);
    EXPECT_EQ(Device().settings.EvtChar, 0) << "copying copies all five";
    comm.SetOptions({coNullStrip, coIgnoreXOff});
    EXPECT_TRUE(Device().settings.fNull);
    EXPECT_TRUE(Device().settings.fTXContinueOnXoff);
    EXPECT_FALSE(Device().settings.fParity);

    // Open: the port's identity and queues cannot change, unless to the same value.
    comm.SetDeviceName("COM4");
    comm.SetReadBufSize(400);
    int code = 0;
    const std::string assigned = "Port already assigned (open) (Error: -1) ";
    EXPECT_EQ(ErrorOf([&] { comm.SetDeviceName("COM5"); }, &code), assigned);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(ErrorOf([&] { comm.SetReadBufSize(1); }), assigned);
    EXPECT_EQ(ErrorOf([&] { comm.SetWriteBufSize(1); }), assigned);
    EXPECT_EQ(ErrorOf([&] { comm.SetMonitorEvents({evRing}); }), assigned);
    EXPECT_EQ(ErrorOf([&] { comm.OpenPort(); }), assigned);
    EXPECT_EQ(comm.DeviceName(), "COM4");
}

TEST_F(FakeComm, FlowControlSetsTheHandshakeFlags) {
    comm.OpenPort();
    auto& s = Device().settings;
    comm.SetFlowControl(fcCTS);
    EXPECT_TRUE(s.fOutxCtsFlow);
    EXPECT_EQ(s.fRtsControl, RTS_CONTROL_HANDSHAKE);
    comm.SetFlowControl(fcDTR);
    EXPECT_TRUE(s.fOutxDsrFlow);
    EXPECT_EQ(s.fDtrControl, DTR_CONTROL_HANDSHAKE);
    comm.SetFlowControl(fcSoftware);
    EXPECT_TRUE(s.fOutX && s.fInX);
    // Options are applied after the flags are cleared.
    comm.SetOptions({coParityCheck, coDsrSensitivity});
    comm.SetFlowControl(fcNone);
    CommLineSettings expected = s;
    expected.fBinary = true;
    expected.fOutxCtsFlow = expected.fOutxDsrFlow = expected.fOutX = expected.fInX = false;
    expected.fDtrControl = DTR_CONTROL_DISABLE;
    expected.fRtsControl = RTS_CONTROL_DISABLE;
    expected.fErrorChar = expected.fNull = expected.fTXContinueOnXoff = false;
    expected.fAbortOnError = false;
    expected.fParity = expected.fDsrSensitivity = true;
    EXPECT_EQ(s, expected);
}

TEST_F(FakeComm, EventsAreDispatchedInOrderOnTheInterfaceThread) {
    std::vector<std::string> seen;
    std::uint32_t errors = 0, count = 0;
    auto note = [&](const char* name) {
        return [&seen, name](TCustomComm*) { seen.push_back(name); };
    };
    comm.OnBreak = note("Break");
    comm.OnCts = note("Cts");
    comm.OnDsr = note("Dsr");
    comm.OnError = [&](TCustomComm* sender, std::uint32_t e) {
        EXPECT_EQ(sender, &comm);
        errors = e;
        seen.push_back("Error");
    };
    comm.OnRing = note("Ring");
    comm.OnRlsd = note("Rlsd");
    comm.OnRxChar = [&](TCustomComm*, std::uint32_t c) {
        count = c;
        seen.push_back("RxChar");
    };
    comm.OnRxFlag = note("RxFlag");
    comm.OnTxEmpty = note("TxEmpty");
    comm.OpenPort();
    Device().status.Errors = CE_FRAME | CE_BREAK;
    Device().status.InQueue = 7;

    Device().Push(0x1FF);
    ASSERT_TRUE(ui.WaitForTask());
    EXPECT_TRUE(seen.empty()) << "handlers run only on the interface thread";
    ASSERT_TRUE(ui.RunOne());
    EXPECT_EQ(seen, (std::vector<std::string>{"Break", "Cts", "Dsr", "Error", "Ring", "Rlsd",
                                              "RxChar", "RxFlag", "TxEmpty"}));
    EXPECT_EQ(errors, CE_FRAME | CE_BREAK);
    EXPECT_EQ(count, 7u);

    // Received-character events with nothing left in the queue call no one.
    seen.clear();
    Device().status.InQueue = 0;
    Device().Push(EV_RXCHAR | EV_CTS);
    ASSERT_TRUE(ui.WaitForTask());
    ui.RunOne();
    EXPECT_EQ(seen, std::vector<std::string>{"Cts"});
}

TEST_F(FakeComm, TheThreadWaitsForEachDispatchBeforeWaitingAgain) {
    comm.OpenPort();
    ASSERT_TRUE(Device().WaitForWaits(1));
    Device().Push(EV_CTS);
    Device().Push(EV_DSR);
    ASSERT_TRUE(ui.WaitForTask());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Device().waits, 1) << "the second event must wait for the first dispatch";
    ui.RunOne();
    ASSERT_TRUE(ui.WaitForTask());
    ui.RunOne();
    ASSERT_TRUE(Device().WaitForWaits(3));
}

TEST_F(FakeComm, CloseStopsTheThreadBeforeTheDeviceCloses) {
    comm.OpenPort();
    auto device = devices->last;
    ASSERT_TRUE(device->WaitForWaits(1));
    comm.ClosePort();
    EXPECT_FALSE(comm.PortIsOpen());
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"purge", "close"}));
    comm.ClosePort(); // closed already: nothing happens
    EXPECT_EQ(device->Calls().size(), 2u);
}

TEST_F(FakeComm, ADispatchStillQueuedAtCloseIsDropped) {
    int calls = 0;
    comm.OnCts = [&](TCustomComm*) { ++calls; };
    comm.OpenPort();
    Device().Push(EV_CTS);
    ASSERT_TRUE(ui.WaitForTask());
    comm.ClosePort(); // must not wait for the queued dispatch
    ui.RunOne();
    EXPECT_EQ(calls, 0);
}

TEST_F(FakeComm, AHandlerMayCloseThePort) {
    int rx = 0;
    comm.OnCts = [&](TCustomComm* sender) { static_cast<TComm*>(sender)->ClosePort(); };
    comm.OnRxChar = [&](TCustomComm*, std::uint32_t) { ++rx; };
    comm.OpenPort();
    auto device = devices->last;
    device->status.InQueue = 1;
    device->Push(EV_CTS | EV_RXCHAR);
    ASSERT_TRUE(ui.WaitForTask());
    ui.RunOne();
    EXPECT_FALSE(comm.PortIsOpen());
    EXPECT_EQ(rx, 1) << "the events read before the close are still reported";
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"purge", "close"}));
}

TEST_F(FakeComm, AVanishedDeviceIsReportedOnceAndThePortOpensAgain) {
    std::vector<std::string> lost;
    int code = 0;
    comm.OnDeviceLost = [&](TCustomComm* sender, const ECommError& e) {
        lost.push_back(e.what());
        code = e.ErrorCode;
        static_cast<TComm*>(sender)->ClosePort();
    };
    comm.OpenPort();
    auto device = devices->last;
    ASSERT_TRUE(device->WaitForWaits(1));
    EXPECT_TRUE(comm.Monitoring());
    device->Vanish(ENODEV);
    ASSERT_TRUE(ui.WaitForTask());
    EXPECT_TRUE(lost.empty()) << "reported on the interface thread only";
    for (int i = 0; i < 250 && comm.Monitoring(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(comm.Monitoring()) << "the thread ends";
    EXPECT_EQ(device->waits, 1) << "and does not wait on the dead device again";
    EXPECT_TRUE(comm.PortIsOpen()) << "closing is the owner's call";

    ui.RunOne();
    EXPECT_EQ(lost, std::vector<std::string>{"Device no longer available (Error: 19) "});
    EXPECT_EQ(code, ENODEV);
    EXPECT_FALSE(comm.PortIsOpen());
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"purge", "close"}));
    EXPECT_FALSE(ui.RunOne()) << "one report";

    comm.OpenPort();
    EXPECT_NE(devices->last, device);
    ASSERT_TRUE(devices->last->WaitForWaits(1));
    EXPECT_TRUE(comm.Monitoring());
}

TEST_F(FakeComm, ALossStillQueuedAtCloseIsDropped) {
    int lost = 0;
    comm.OnDeviceLost = [&](TCustomComm*, const ECommError&) { ++lost; };
    comm.OpenPort();
    Device().Vanish(EIO);
    ASSERT_TRUE(ui.WaitForTask());
    comm.ClosePort();
    comm.OpenPort(); // a new device: the old loss is not its own
    ui.RunOne();
    EXPECT_EQ(lost, 0);
    EXPECT_TRUE(comm.PortIsOpen());
}

// Without a poster, handlers run on the monitoring thread; one that closes the
// port there must not wait for its own thread.
TEST_F(FakeComm, WithoutAPosterHandlersRunOnTheMonitoringThread) {
    const struct {
        const char* what;
        std::function<void(TComm&, std::function<void(TCustomComm*)>)> handle;
        std::function<void(gwtest::FakeCommDevice&)> happen;
    } cases[] = {
        {"a line event", [](TComm& c, std::function<void(TCustomComm*)> h) { c.OnCts = h; },
         [](gwtest::FakeCommDevice& d) { d.Push(EV_CTS); }},
        {"the device lost",
         [](TComm& c, std::function<void(TCustomComm*)> h) {
             c.OnDeviceLost = [h](TCustomComm* sender, const ECommError&) { h(sender); };
         },
         [](gwtest::FakeCommDevice& d) { d.Vanish(EIO); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TComm direct(devices);
        std::mutex m;
        std::condition_variable cv;
        int calls = 0;
        c.handle(direct, [&](TCustomComm* sender) {
            static_cast<TComm*>(sender)->ClosePort();
            std::lock_guard lock(m);
            ++calls;
            cv.notify_all();
        });
        direct.OpenPort();
        c.happen(*devices->last);
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return calls == 1; }));
        EXPECT_FALSE(direct.PortIsOpen());
        EXPECT_EQ(devices->last->Calls(), (std::vector<std::string>{"purge", "close"}));
    }
}

TEST(CommNames, DevicePaths) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"COM1", "/dev/ttyS0"},       {"Com2", "/dev/ttyS1"},      {"com10", "/dev/ttyS9"},
        {"/dev/pts/3", "/dev/pts/3"}, {"ttyUSB0", "/dev/ttyUSB0"}, {"COM0", "/dev/COM0"},
        {"COMX", "/dev/COMX"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(DevicePathForName(name), path) << name;
    const auto names = SerialPortNames();
    ASSERT_GE(names.size(), 10u);
    EXPECT_EQ(names.front(), "COM1");
    EXPECT_EQ(names[9], "COM10");
    for (size_t i = 10; i < names.size(); ++i)
        EXPECT_EQ(names[i].rfind("/dev/", 0), 0u) << names[i];
}

} // namespace

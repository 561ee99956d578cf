// pathlet-usb-bed: runs a command against a simulated USB handheld. An unmodified libusb in the
// command sees the device in a umockdev test bed (the command runs with umockdev's preload
// library, which sends every ioctl on the device's node here); the bed answers the usbfs ioctls
// libusb uses as the kernel would, and plays the handheld behind them (BedDevice): Net Sync, or for
// the devices that speak it (by the device table, or --stack) the serial stack.
//
//   pathlet-usb-bed [OPTIONS] -- COMMAND [ARGUMENTS...]
//
// Exit status: the command's, unless the bed saw a framing violation (3), an answer that differs
// from a recorded session (4), could not set up (5) or had to end the command (6).
#include "BedDevice.h"
#include "BedRecording.h"

#include "dlp/DLP_Errors.h"
#include "usb/USB_Devices.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <sstream>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kPreload = "libumockdev-preload.so.0";
constexpr const char* kHub = "/devices/pci0000:00/0000:00:01.2/usb1";

struct Options {
    bed::Config config;
    std::string layout = "t5";
    std::string stack; // "slp" or "netsync"; empty: the device table's
    std::string handheld, user, recording;
    uint32_t userId = 0;
    int appearAfter = 0;  // ms
    int leaveAfter = 100; // ms after the session ended and the interface was let go; <0: never
    int sessions = 1;     // appearances, each after the last one left
    int timeout = 60;     // s for the whole command
    bool expectViolation = false;
    std::vector<std::string> command;
};

// One appearance of the device on the bus, with the URBs the program has given it.
struct Appearance {
    std::unique_ptr<bed::Device> device;
    std::string syspath, node;
    UMockdevIoctlBase* handler = nullptr;
    std::map<uint8_t, std::deque<UMockdevIoctlData*>> pendingIn;
    std::deque<UMockdevIoctlData*> pendingControl;
    std::deque<UMockdevIoctlData*> reapable;
    bool gone = false;
    bool claimed = false;
    bool leave = false; // the session ended and the program let go: time to leave the bus
    bool present = false;
};

struct Stats {
    long bulk = 0, control = 0;
    Clock::time_point first{}, last{};
};

std::mutex g_mutex;
std::condition_variable g_wake;
volatile std::sig_atomic_t g_ended = 0; // ctest or a user ended the bed: end the command, clean up
std::vector<std::unique_ptr<Appearance>> g_appearances;
Stats g_stats;

// GObject plumbing: a UMockdevIoctlBase whose ioctl handler is ours.
struct BedHandler {
    UMockdevIoctlBase parent;
};
struct BedHandlerClass {
    UMockdevIoctlBaseClass parent_class;
};

gboolean handleIoctl(UMockdevIoctlBase* self, UMockdevIoctlClient* client);
void clientVanished(UMockdevIoctlBase* self, UMockdevIoctlClient* client);

G_DEFINE_TYPE(BedHandler, bed_handler, UMOCKDEV_TYPE_IOCTL_BASE)

void bed_handler_class_init(BedHandlerClass* type) {
    UMOCKDEV_IOCTL_BASE_CLASS(type)->handle_ioctl = handleIoctl;
    UMOCKDEV_IOCTL_BASE_CLASS(type)->client_vanished = clientVanished;
}

void bed_handler_init(BedHandler*) {}

usbdevfs_urb* urbOf(UMockdevIoctlData* data) {
    return reinterpret_cast<usbdevfs_urb*>(data->data);
}

void complete(Appearance& appearance, UMockdevIoctlData* urb, int status) {
    urbOf(urb)->status = status;
    appearance.reapable.push_back(urb);
    if (urbOf(urb)->type == USBDEVFS_URB_TYPE_BULK) {
        ++g_stats.bulk;
        g_stats.last = Clock::now();
    }
}

// Moves the device's packets into the program's IN URBs, as a host controller does: a URB is
// done when full or after a short packet; a packet larger than the room left overflows it.
void pump(Appearance& appearance, uint8_t endpoint) {
    std::deque<UMockdevIoctlData*>& waiting = appearance.pendingIn[endpoint];
    std::deque<std::string>& packets = appearance.device->packets(endpoint);
    const std::size_t size = appearance.device->maxPacket(endpoint);
    while (!waiting.empty()) {
        UMockdevIoctlData* urb = waiting.front();
        usbdevfs_urb* fields = urbOf(urb);
        if (appearance.device->halted(endpoint)) {
            waiting.pop_front();
            complete(appearance, urb, -EPIPE);
            continue;
        }
        if (packets.empty())
            return;
        const std::string packet = packets.front();
        packets.pop_front();
        const std::size_t room = static_cast<std::size_t>(fields->buffer_length - fields->actual_length);
        if (packet.size() > room) {
            waiting.pop_front();
            complete(appearance, urb, -EOVERFLOW);
            continue;
        }
        std::memcpy(static_cast<char*>(fields->buffer) + fields->actual_length, packet.data(), packet.size());
        fields->actual_length += static_cast<int>(packet.size());
        if (packet.size() < size || fields->actual_length == fields->buffer_length) {
            waiting.pop_front();
            complete(appearance, urb, 0);
        }
    }
}

void pumpAll(Appearance& appearance) {
    for (auto& [endpoint, waiting] : appearance.pendingIn)
        if (!waiting.empty())
            pump(appearance, endpoint);
}

// The device is gone: what is under way ends as the kernel ends it.
void unplug(Appearance& appearance) {
    appearance.gone = true;
    appearance.device->unplugged();
    for (auto& [endpoint, waiting] : appearance.pendingIn) {
        for (UMockdevIoctlData* urb : waiting)
            complete(appearance, urb, -ESHUTDOWN);
        waiting.clear();
    }
    for (UMockdevIoctlData* urb : appearance.pendingControl)
        complete(appearance, urb, -ESHUTDOWN);
    appearance.pendingControl.clear();
    g_wake.notify_all();
}

Appearance* appearanceOf(UMockdevIoctlBase* handler) {
    for (auto& appearance : g_appearances)
        if (appearance->handler == handler)
            return appearance.get();
    return nullptr;
}

void submit(Appearance& appearance, UMockdevIoctlData* urb) {
    usbdevfs_urb* fields = urbOf(urb);
    fields->actual_length = 0;
    if (g_stats.first == Clock::time_point{} && fields->type == USBDEVFS_URB_TYPE_BULK)
        g_stats.first = Clock::now();
    bed::Device& device = *appearance.device;
    if (fields->type == USBDEVFS_URB_TYPE_CONTROL) {
        ++g_stats.control;
        auto* setup = static_cast<uint8_t*>(fields->buffer);
        if (!(setup[0] & 0x80)) {
            fields->actual_length = fields->buffer_length - 8;
            return complete(appearance, urb, 0);
        }
        const bed::ControlResult result = device.control(setup);
        if (result.outcome == bed::Control::Silent)
            return appearance.pendingControl.push_back(urb);
        if (result.outcome == bed::Control::Stall)
            return complete(appearance, urb, -EPIPE);
        const std::size_t wanted = static_cast<std::size_t>(setup[6] | (setup[7] << 8));
        const std::size_t count =
            std::min({result.data.size(), wanted, static_cast<std::size_t>(fields->buffer_length - 8)});
        std::memcpy(setup + 8, result.data.data(), count);
        fields->actual_length = static_cast<int>(count);
        return complete(appearance, urb, 0);
    }
    if (fields->endpoint & 0x80) {
        appearance.pendingIn[fields->endpoint].push_back(urb);
        return pump(appearance, fields->endpoint);
    }
    device.out(fields->endpoint, std::string(static_cast<char*>(fields->buffer),
                                             static_cast<std::size_t>(fields->buffer_length)));
    fields->actual_length = fields->buffer_length;
    complete(appearance, urb, 0);
    if (device.unplugWanted())
        return unplug(appearance);
    pumpAll(appearance);
}

gboolean handleIoctl(UMockdevIoctlBase* self, UMockdevIoctlClient* client) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Appearance* found = appearanceOf(self);
    const gulong request = umockdev_ioctl_client_get_request(client);
    const gsize size = (request >> _IOC_SIZESHIFT) & ((1u << _IOC_SIZEBITS) - 1);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    auto done = [&](long result, int error) {
        umockdev_ioctl_client_complete(client, result, error);
        return TRUE;
    };
    if (!found)
        return done(-1, ENODEV);
    Appearance& appearance = *found;
    // Resolves the argument's struct; the caller unrefs it.
    auto resolved = [&]() { return umockdev_ioctl_data_resolve(arg, 0, size, nullptr); };
    if (request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB) {
        if (appearance.reapable.empty())
            return done(-1, appearance.gone ? ENODEV : EAGAIN);
        UMockdevIoctlData* urb = appearance.reapable.front();
        appearance.reapable.pop_front();
        UMockdevIoctlData* pointer = resolved();
        umockdev_ioctl_data_set_ptr(pointer, 0, urb);
        g_object_unref(pointer);
        g_object_unref(urb);
        return done(0, 0);
    }
    if (request == USBDEVFS_DISCARDURB) {
        const gulong address = *reinterpret_cast<gulong*>(arg->data);
        auto discard = [&](std::deque<UMockdevIoctlData*>& queue) {
            for (auto it = queue.begin(); it != queue.end(); ++it)
                if ((*it)->client_addr == address) {
                    UMockdevIoctlData* urb = *it;
                    queue.erase(it);
                    complete(appearance, urb, -ENOENT);
                    return true;
                }
            return false;
        };
        for (auto& [endpoint, waiting] : appearance.pendingIn)
            if (discard(waiting))
                return done(0, 0);
        if (discard(appearance.pendingControl))
            return done(0, 0);
        return done(-1, EINVAL);
    }
    if (appearance.gone)
        return done(-1, ENODEV);
    bed::Device& device = *appearance.device;
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* data = resolved();
        const uint32_t capabilities = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                      USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
        std::memcpy(data->data, &capabilities, sizeof capabilities);
        g_object_unref(data);
        return done(0, 0);
    }
    case USBDEVFS_GETDRIVER: {
        if (device.driver().empty())
            return done(-1, ENODATA);
        UMockdevIoctlData* data = resolved();
        auto* query = reinterpret_cast<usbdevfs_getdriver*>(data->data);
        std::snprintf(query->driver, sizeof query->driver, "%s", device.driver().c_str());
        g_object_unref(data);
        return done(0, 0);
    }
    case USBDEVFS_IOCTL: {
        UMockdevIoctlData* data = resolved();
        const int code = reinterpret_cast<usbdevfs_ioctl*>(data->data)->ioctl_code;
        g_object_unref(data);
        if (code == static_cast<int>(USBDEVFS_DISCONNECT)) {
            if (device.driver().empty())
                return done(-1, ENODATA);
            device.disconnectDriver();
        }
        return done(0, 0);
    }
    case USBDEVFS_DISCONNECT_CLAIM:
        device.disconnectDriver();
        appearance.claimed = true;
        return done(0, 0);
    case USBDEVFS_CLAIMINTERFACE:
        if (!device.driver().empty())
            return done(-1, EBUSY);
        appearance.claimed = true;
        return done(0, 0);
    case USBDEVFS_RELEASEINTERFACE:
        appearance.claimed = false;
        if (device.sessionEnded()) {
            appearance.leave = true;
            g_wake.notify_all();
        }
        return done(0, 0);
    case USBDEVFS_CLEAR_HALT: {
        UMockdevIoctlData* data = resolved();
        unsigned int endpoint = 0;
        std::memcpy(&endpoint, data->data, sizeof endpoint);
        g_object_unref(data);
        device.clearHalt(static_cast<uint8_t>(endpoint));
        return done(0, 0);
    }
    case USBDEVFS_RESET:
    case USBDEVFS_RESETEP:
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
        return done(0, 0);
    case USBDEVFS_SUBMITURB: {
        UMockdevIoctlData* urb = resolved();
        const int length = urbOf(urb)->buffer_length;
        if (length > 0) {
            UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(urb, offsetof(usbdevfs_urb, buffer),
                                                                    static_cast<gsize>(length), nullptr);
            if (buffer)
                g_object_unref(buffer); // the URB keeps it
        }
        submit(appearance, urb); // the URB's reference goes with it until it is reaped
        return done(0, 0);
    }
    default:
        return done(-1, ENOTTY);
    }
}

void clientVanished(UMockdevIoctlBase* self, UMockdevIoctlClient*) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (Appearance* appearance = appearanceOf(self); appearance && appearance->device->sessionEnded()) {
        appearance->leave = true;
        g_wake.notify_all();
    }
}

std::string upperHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        text += digits[static_cast<uint8_t>(c) >> 4];
        text += digits[static_cast<uint8_t>(c) & 0x0F];
    }
    return text;
}

sim::Facts factsOf(const Options& options) {
    if (!options.recording.empty())
        return bed::factsFromRecording(bed::loadRecording(options.recording));
    return sim::deviceFacts(options.user, options.userId,
                            options.handheld.empty() ? std::vector<sim::Database>()
                                                     : sim::databasesAt(options.handheld));
}

// Puts the device on the bus: its node answered here first, then its sysfs entry, whose "add"
// event the program's libusb sees.
bool appear(UMockdevTestbed* testbed, const Options& options, int index) {
    auto appearance = std::make_unique<Appearance>();
    appearance->device = std::make_unique<bed::Device>(options.config, factsOf(options));
    // A handheld on the serial stack writes on a thread of its own: its bytes go to the IN
    // transfers waiting, a fault it stopped at is acted on, and an end it reached after the
    // program let go of the device makes it leave.
    appearance->device->setWake([appearance = appearance.get()] {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (appearance->gone)
            return;
        bed::Device& device = *appearance->device;
        pump(*appearance, device.config().syncIn);
        if (device.unplugWanted())
            return unplug(*appearance);
        if (device.sessionEnded() && !appearance->claimed) {
            appearance->leave = true;
            g_wake.notify_all();
        }
    });
    if (!options.recording.empty())
        appearance->device->followRecording(bed::loadRecording(options.recording));
    const int devnum = 2 + index;
    char node[32], name[16];
    std::snprintf(node, sizeof node, "bus/usb/001/%03d", devnum);
    std::snprintf(name, sizeof name, "1-%d", 1 + index);
    appearance->node = std::string("/dev/") + node;
    appearance->syspath = std::string("/sys") + kHub + "/" + name;
    appearance->handler = UMOCKDEV_IOCTL_BASE(g_object_new(bed_handler_get_type(), nullptr));
    const std::string descriptors = upperHex(appearance->device->descriptors());
    std::ostringstream text;
    text << "P: " << kHub << "/" << name << "\nN: " << node << "=" << descriptors << "\nE: DEVNAME=/dev/"
         << node << "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: BUSNUM=001\nE: DEVNUM=" << devnum
         << "\nA: busnum=1\nA: devnum=" << devnum << "\nA: speed=" << (options.config.highSpeed ? 480 : 12)
         << "\nA: bConfigurationValue=1\nA: idVendor=" << std::hex << options.config.vendor
         << "\nA: idProduct=" << options.config.product << std::dec << "\nH: descriptors=" << descriptors
         << "\n";
    GError* error = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_appearances.push_back(std::move(appearance));
    }
    Appearance& added = *g_appearances.back();
    if (!umockdev_testbed_attach_ioctl(testbed, added.node.c_str(), added.handler, &error) ||
        !umockdev_testbed_add_from_string(testbed, text.str().c_str(), &error)) {
        std::cerr << "usb-bed: cannot add the device: " << (error ? error->message : "?") << "\n";
        return false;
    }
    added.present = true;
    return true;
}

void leave(UMockdevTestbed* testbed, Appearance& appearance) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!appearance.gone)
            unplug(appearance);
        appearance.present = false;
    }
    umockdev_testbed_uevent(testbed, appearance.syspath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed, appearance.syspath.c_str());
}

// The handhelds that play on threads of their own are done. They may want the lock until they
// end: it is not held while they are waited for.
void stopHandhelds() {
    std::vector<bed::Device*> devices;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (auto& appearance : g_appearances)
            devices.push_back(appearance->device.get());
    }
    for (bed::Device* device : devices)
        device->stop();
}

struct HandheldsStopped {
    ~HandheldsStopped() { stopHandhelds(); }
};

const char* kUsage =
    "usage: pathlet-usb-bed [OPTIONS] -- COMMAND [ARGUMENTS...]\n"
    "  --device VID:PID       the device's ids (default 0830:0061)\n"
    "  --layout NAME          t5 (default), pair, first, treo, tungsten-w, visor, early-clie, highspeed\n"
    "  --stack slp|netsync    what the bulk pipes carry (default: the device table's for the ids)\n"
    "  --ext-reply HOW        request 04: sync, empty, stall, silent, junk, short\n"
    "  --not-syncing N        answer 'rfsL' to request 04 N times first\n"
    "  --handheld PATH        a .pdb file or a directory of them\n"
    "  --user NAME, --user-id N\n"
    "  --recording FILE       be the device of a recorded session and check the answers against it\n"
    "  --appear-after MS      put the device on the bus this long after the command started\n"
    "  --leave-after MS       leave the bus this long after the session (default 100; -1: stay)\n"
    "  --sessions N           appear again after leaving, N appearances in all\n"
    "  --kernel-driver NAME   a kernel driver holds interface 0\n"
    "  --unplug-at N, --halt-at N, --silent-at N, --garbage-at N   faults at Desktop Link request N\n"
    "  --silent-handshake     never answer the desktop's hello\n"
    "  --delay-ms N           wait N ms before each answer\n"
    "  --expect-violation     succeed only if an OUT transfer broke the framing\n"
    "  --timeout S            end the command after S seconds (default 60)\n";

Options parse(int argc, char** argv) {
    Options options;
    std::string ext;
    int i = 1;
    auto value = [&](const std::string& name) -> std::string {
        if (i + 1 >= argc)
            throw std::invalid_argument(name + " wants a value");
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            for (++i; i < argc; ++i)
                options.command.push_back(argv[i]);
            break;
        }
        if (arg == "--device") {
            const std::string ids = value(arg);
            options.config.vendor = static_cast<uint16_t>(std::stoul(ids.substr(0, 4), nullptr, 16));
            options.config.product = static_cast<uint16_t>(std::stoul(ids.substr(5, 4), nullptr, 16));
        } else if (arg == "--layout") {
            options.layout = value(arg);
        } else if (arg == "--stack") {
            options.stack = value(arg);
            if (options.stack != "slp" && options.stack != "netsync")
                throw std::invalid_argument("no stack '" + options.stack + "' (slp or netsync)");
        } else if (arg == "--ext-reply") {
            ext = value(arg);
        } else if (arg == "--not-syncing") {
            options.config.notSyncingFor = std::stoi(value(arg));
        } else if (arg == "--handheld") {
            options.handheld = value(arg);
        } else if (arg == "--user") {
            options.user = value(arg);
        } else if (arg == "--user-id") {
            options.userId = static_cast<uint32_t>(std::stoul(value(arg)));
        } else if (arg == "--recording") {
            options.recording = value(arg);
        } else if (arg == "--appear-after") {
            options.appearAfter = std::stoi(value(arg));
        } else if (arg == "--leave-after") {
            options.leaveAfter = std::stoi(value(arg));
        } else if (arg == "--sessions") {
            options.sessions = std::stoi(value(arg));
        } else if (arg == "--kernel-driver") {
            options.config.kernelDriver = value(arg);
        } else if (arg == "--unplug-at") {
            options.config.unplugAt = std::stoi(value(arg));
        } else if (arg == "--halt-at") {
            options.config.haltAt = std::stoi(value(arg));
        } else if (arg == "--silent-at") {
            options.config.silentAt = std::stoi(value(arg));
        } else if (arg == "--garbage-at") {
            options.config.garbageAt = std::stoi(value(arg));
        } else if (arg == "--silent-handshake") {
            options.config.silentHandshake = true;
        } else if (arg == "--delay-ms") {
            options.config.delayMs = std::stoi(value(arg));
        } else if (arg == "--expect-violation") {
            options.expectViolation = true;
        } else if (arg == "--timeout") {
            options.timeout = std::stoi(value(arg));
        } else {
            throw std::invalid_argument("unknown option " + arg);
        }
    }
    if (options.command.empty())
        throw std::invalid_argument("no command to run");
    const uint16_t vendor = options.config.vendor, product = options.config.product;
    bed::applyLayout(options.config, options.layout);
    options.config.vendor = vendor, options.config.product = product;
    options.config.serialStack = options.stack.empty() ? usb::stackOf(vendor, product) == usb::Stack_t::Serial
                                                       : options.stack == "slp";
    if (options.config.serialStack && !options.recording.empty())
        throw std::invalid_argument("a recorded session is played on Net Sync only (--stack netsync)");
    if (!ext.empty()) {
        using bed::ExtReply;
        const std::map<std::string, ExtReply> kinds{{"sync", ExtReply::Sync},   {"empty", ExtReply::Empty},
                                                    {"stall", ExtReply::Stall}, {"silent", ExtReply::Silent},
                                                    {"junk", ExtReply::Junk},   {"short", ExtReply::Short}};
        if (!kinds.count(ext))
            throw std::invalid_argument("no request 04 reply '" + ext + "'");
        options.config.ext = kinds.at(ext);
    }
    return options;
}

// The bed and the command must run with umockdev's preload library (and, in a sanitized build,
// with the sanitizer's runtime before it).
void runUnderPreload(char** argv) {
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload && std::strstr(preload, "libumockdev-preload"))
        return;
    std::string libraries = kPreload;
#ifdef PATHLET_ASAN_RUNTIME
    libraries = std::string(PATHLET_ASAN_RUNTIME) + " " + libraries;
#endif
    ::setenv("LD_PRELOAD", libraries.c_str(), 1);
    ::execv("/proc/self/exe", argv);
    std::perror("usb-bed: cannot run itself under umockdev");
    std::_Exit(5);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "usb-bed: " << e.what() << "\n" << kUsage;
        return 2;
    }
    runUnderPreload(argv);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, [](int) { g_ended = 1; });
    UMockdevTestbed* testbed = umockdev_testbed_new();
    const std::string hubDescriptors =
        "12010002090001406B1D020005060302010109021900010100E0000904000001090000000705"
        "810304000C";
    const std::string hub = std::string("P: ") + kHub + "\nN: bus/usb/001/001=" + hubDescriptors +
                            "\nE: DEVNAME=/dev/bus/usb/001/001\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: "
                            "BUSNUM=001\nE: DEVNUM=001\nA: busnum=1\nA: devnum=1\nA: speed=480\nA: "
                            "bConfigurationValue=1\nH: descriptors=" +
                            hubDescriptors + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, hub.c_str(), &error)) {
        std::cerr << "usb-bed: cannot add the root hub: " << error->message << "\n";
        return 5;
    }
    int status = 0;
    bool killed = false;
    const HandheldsStopped stopped;
    try {
        const auto start = Clock::now();
        int shown = 0;
        if (options.appearAfter <= 0) {
            if (!appear(testbed, options, shown++))
                return 5;
        }
        std::vector<char*> command;
        for (std::string& word : options.command)
            command.push_back(word.data());
        command.push_back(nullptr);
        pid_t child = 0;
        if (posix_spawnp(&child, command[0], nullptr, nullptr, command.data(), environ) != 0) {
            std::cerr << "usb-bed: cannot run " << options.command[0] << ": " << std::strerror(errno) << "\n";
            return 5;
        }
        Clock::time_point leaveAt{};
        bool leaving = false;
        Clock::time_point leftAt{};
        for (;;) {
            int childStatus = 0;
            if (::waitpid(child, &childStatus, WNOHANG) == child) {
                status = WIFEXITED(childStatus) ? WEXITSTATUS(childStatus) : 128 + WTERMSIG(childStatus);
                break;
            }
            const auto now = Clock::now();
            if (g_ended || now - start > std::chrono::seconds(options.timeout)) {
                std::cerr << "usb-bed: the command ran past " << options.timeout
                          << " s or the bed was ended\n";
                ::kill(child, SIGKILL);
                ::waitpid(child, nullptr, 0);
                killed = true;
                break;
            }
            Appearance* current = nullptr;
            bool unplugged = false, done = false;
            {
                std::unique_lock<std::mutex> lock(g_mutex);
                g_wake.wait_for(lock, milliseconds(10));
                if (!g_appearances.empty() && g_appearances.back()->present) {
                    current = g_appearances.back().get();
                    unplugged = current->gone;
                    done = current->leave;
                }
            }
            if (current && unplugged) {
                leave(testbed, *current);
                leftAt = now;
            } else if (current && done && options.leaveAfter >= 0) {
                if (!leaving)
                    leaveAt = now + milliseconds(options.leaveAfter), leaving = true;
                if (now >= leaveAt) {
                    leave(testbed, *current);
                    leaving = false;
                    leftAt = now;
                }
            }
            const bool firstDue = shown == 0 && now - start >= milliseconds(options.appearAfter);
            const bool nextDue = shown > 0 && shown < options.sessions && !g_appearances.back()->present &&
                                 now - leftAt >= milliseconds(std::max(options.appearAfter, 300));
            if (firstDue || nextDue)
                if (!appear(testbed, options, shown++))
                    return 5;
        }
    } catch (const std::exception& e) {
        std::cerr << "usb-bed: " << e.what() << "\n";
        return 5;
    }
    stopHandhelds();
    // What the device saw.
    std::vector<std::string> violations, mismatches, failures;
    int requests = 0, records = 0, outs = 0, checked = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const auto& appearance : g_appearances) {
            const bed::Device& device = *appearance->device;
            violations.insert(violations.end(), device.violations().begin(), device.violations().end());
            mismatches.insert(mismatches.end(), device.mismatches().begin(), device.mismatches().end());
            requests += device.requests();
            records += device.recordsRead();
            outs += device.outTransfers();
            checked += device.checkedAnswers();
            if (const std::string failure = device.handheldFailure(); !failure.empty())
                failures.push_back(failure);
        }
    }
    const double seconds = std::chrono::duration<double>(g_stats.last - g_stats.first).count();
    std::fprintf(stderr,
                 "usb-bed: %04x:%04x on %s: %zu appearance(s), %d requests answered, %d records read; "
                 "%ld bulk and %ld control transfers, %.2f ms per bulk transfer\n",
                 options.config.vendor, options.config.product,
                 usb::stackName(options.config.serialStack ? usb::Stack_t::Serial : usb::Stack_t::NetSync),
                 g_appearances.size(), requests, records, g_stats.bulk, g_stats.control,
                 g_stats.bulk ? seconds * 1000 / static_cast<double>(g_stats.bulk) : 0.0);
    for (const std::string& failure : failures)
        std::cerr << "usb-bed: the handheld gave up: " << failure << "\n";
    for (const std::string& violation : violations)
        std::cerr << "usb-bed: framing violation: " << violation << "\n";
    if (!options.recording.empty())
        std::cerr << "usb-bed: " << checked << " answers held against the recording, " << mismatches.size()
                  << " differ\n";
    for (const std::string& mismatch : mismatches)
        std::cerr << "usb-bed: " << mismatch << "\n";
    for (auto& appearance : g_appearances)
        umockdev_testbed_detach_ioctl(testbed, appearance->node.c_str(), nullptr);
    g_object_unref(testbed);
    if (killed)
        return 6;
    if (options.expectViolation)
        return violations.empty() ? 3 : 0;
    if (!violations.empty())
        return 3;
    if (!mismatches.empty() || (!options.recording.empty() && checked == 0))
        return 4;
    return status;
}

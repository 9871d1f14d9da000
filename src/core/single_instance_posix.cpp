#include "core/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "core/instance_arguments.h"
#include "jvm/secondary_main.h"
#include "os/os.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr wchar_t kTopic[] = L"instance";
// How long a start keeps trying to become the first instance or reach it: the first one
// may have bound its name a moment ago and not yet listen, or be just ending.
constexpr int kHandOverMilliseconds = 5000;
constexpr int kRetryMilliseconds = 20;
constexpr int kRequestReadSeconds = 5;
constexpr int kRequestEndMilliseconds = 2000;
constexpr size_t kReplySize = 4;

void sleepMilliseconds(int milliseconds) {
    timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

long long nowMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// An address in the abstract namespace: it disappears with the last socket bound to it,
// so a first instance that was killed leaves nothing behind. Keyed by the user as well,
// and by a hash of the instance name, which may be longer than an address holds.
sockaddr_un instanceAddress(const std::wstring& instanceName, socklen_t& length) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : os::toUtf8(instanceName)) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    std::string name = "jlaunch-";
    name += os::toUtf8(decimalText(static_cast<long long>(geteuid())));
    name += '-';
    for (int shift = 60; shift >= 0; shift -= 4) name += "0123456789abcdef"[(hash >> shift) & 0xF];
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

int newSocket() { return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

// Abstract names are open to every user of the machine: only this user's processes are
// talked to.
bool peerIsSameUser(int connection) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == geteuid();
}

bool sendAll(int connection, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t sent = send(connection, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool receiveAll(int connection, uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t received = recv(connection, bytes, size, 0);
        if (received < 0 && errno == EINTR) continue;
        if (received <= 0) return false;
        bytes += received;
        size -= static_cast<size_t>(received);
    }
    return true;
}

void sendCode(int connection, int code) {
    const uint32_t value = static_cast<uint32_t>(code);
    const uint8_t bytes[kReplySize] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                       static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    (void)sendAll(connection, bytes, kReplySize);
}

// What the first instance's listener and request threads share. It lives until the last
// of them, or the instance, lets go of it, so a thread that outlives the teardown never
// touches freed memory.
struct RequestServer {
    std::atomic<long> references{1};
    std::atomic<long> runningRequests{0};
    std::mutex lock;
    std::condition_variable changed;
    bool mainStarted = false;  // guarded by lock
    bool stopping = false;     // guarded by lock
    // Connections that got no reply: their second instances wait until this one ends.
    std::vector<int> unanswered;  // guarded by lock
    // Held shared by every call into the virtual machine; a call checks closed under it,
    // so that none attaches once the instance has stopped serving.
    std::shared_timed_mutex gate;
    std::atomic<bool> closed{false};
    // Written before mainStarted is set, read only after it.
    JavaVM* vm = nullptr;
    std::wstring mainClass;
    bool stayAttached = false;

    ~RequestServer() {
        for (int connection : unanswered) close(connection);
    }
    void retain() { references.fetch_add(1); }
    void release() {
        if (references.fetch_sub(1) == 1) delete this;
    }
    void closeUnanswered() {
        std::lock_guard<std::mutex> guard(lock);
        for (int connection : unanswered) close(connection);
        unanswered.clear();
    }
};

struct Request {
    RequestServer* server = nullptr;
    int connection = -1;
    bool replied = false;
    SecondaryLaunch launch;
};

void sendReply(void* context, int code) {
    Request* request = static_cast<Request*>(context);
    if (request->replied) return;
    request->replied = true;
    sendCode(request->connection, code);
}

bool waitForMainStarted(RequestServer& server) {
    std::unique_lock<std::mutex> guard(server.lock);
    server.changed.wait(guard, [&] { return server.mainStarted || server.stopping; });
    return !server.stopping;
}

void serve(Request& request) {
    RequestServer& server = *request.server;
    uint8_t area[kArgumentAreaSize];
    if (!receiveAll(request.connection, area, sizeof area)) return;  // the requester gave up
    if (!readArgumentArea(area, sizeof area, request.launch.arguments)) {
        if (traceEnabled()) trace(kTopic, {L"a forwarded launch without a well-formed argument list: refused"});
        sendReply(&request, kLaunchNotServed);
        return;
    }
    bool served = false;
    if (waitForMainStarted(server)) {
        std::shared_lock<std::shared_timed_mutex> gate(server.gate);
        if (!server.closed.load() && server.vm) {
            request.launch.mainClass = server.mainClass;
            request.launch.stayAttached = server.stayAttached;
            (void)runSecondaryMain(server.vm, request.launch, SecondaryReply{&sendReply, &request});
            served = true;
        }
    }
    if (!served) {
        if (traceEnabled()) trace(kTopic, {L"a forwarded launch arrived while the instance was ending: not served"});
        sendReply(&request, kLaunchNotServed);
    }
}

void* requestThread(void* context) {
    Request* request = static_cast<Request*>(context);
    RequestServer& server = *request->server;
    serve(*request);
    if (request->replied) {
        close(request->connection);
    } else {
        std::lock_guard<std::mutex> guard(server.lock);
        server.unanswered.push_back(request->connection);
    }
    server.runningRequests.fetch_sub(1);
    server.release();
    delete request;
    return nullptr;
}

void startRequest(RequestServer& server, int connection) {
    // A requester that stops sending does not keep its thread for good.
    timeval timeout{kRequestReadSeconds, 0};
    (void)setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    Request* request = new Request;
    request->server = &server;
    request->connection = connection;
    server.retain();
    server.runningRequests.fetch_add(1);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, &requestThread, request) != 0) {
        server.runningRequests.fetch_sub(1);
        server.release();
        sendCode(connection, kLaunchNotServed);
        close(connection);
        delete request;
        return;
    }
    pthread_detach(thread);
}

struct ListenerContext {
    RequestServer* server = nullptr;
    int socket = -1;
    int wake = -1;  // readable once the listener is to end
};

void* listenerThread(void* context) {
    ListenerContext* listener = static_cast<ListenerContext*>(context);
    for (;;) {
        pollfd watched[2] = {{listener->socket, POLLIN, 0}, {listener->wake, POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[1].revents != 0) break;
        if (watched[0].revents == 0) continue;
        const int connection = accept4(listener->socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        if (!peerIsSameUser(connection)) {
            close(connection);
            continue;
        }
        startRequest(*listener->server, connection);
    }
    return nullptr;
}

}  // namespace

struct SingleInstance::Channel {
    int socket = -1;  // first instance: the listening socket; second: the connection
    // First instance.
    RequestServer* server = nullptr;
    ListenerContext listenerContext;
    pthread_t listener{};
    bool listening = false;
    int wake[2] = {-1, -1};

    ~Channel() {
        stopListener();
        if (socket >= 0) close(socket);
        for (int end : wake) {
            if (end >= 0) close(end);
        }
        if (server) server->release();
    }

    void stopListener() {
        if (!listening) return;
        const char signal = 1;
        (void)!write(wake[1], &signal, 1);
        pthread_join(listener, nullptr);
        listening = false;
    }
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
    teardown();
    releaseChannel();
}

void SingleInstance::releaseChannel() {
    delete channel_;
    channel_ = nullptr;
}

bool SingleInstance::startListening(const std::wstring&) {
    Channel& channel = *channel_;
    if (listen(channel.socket, SOMAXCONN) != 0) return false;
    if (pipe2(channel.wake, O_CLOEXEC) != 0) return false;
    channel.server = new RequestServer;
    channel.listenerContext = ListenerContext{channel.server, channel.socket, channel.wake[0]};
    channel.listening = pthread_create(&channel.listener, nullptr, &listenerThread, &channel.listenerContext) == 0;
    return channel.listening;
}

bool SingleInstance::claimOrHandOver(const std::wstring& instanceName, const std::vector<std::wstring>& arguments) {
    socklen_t length = 0;
    const sockaddr_un address = instanceAddress(instanceName, length);
    uint8_t area[kArgumentAreaSize];
    bool areaWritten = false;
    const long long start = nowMilliseconds();
    for (;;) {
        const int claim = newSocket();
        if (claim < 0) return true;
        if (bind(claim, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
            channel_ = new Channel;
            channel_->socket = claim;
            becomeFirstInstance(instanceName);
            return true;
        }
        const int bindError = errno;
        close(claim);
        if (bindError != EADDRINUSE) {
            if (traceEnabled()) trace(kTopic, {L"the instance name cannot be claimed: single instance is off"});
            return true;
        }

        // Another process holds the name: this is a second instance.
        active_ = true;
        first_ = false;
        if (!areaWritten) {
            if (!writeArgumentArea(arguments, area)) {
                if (traceEnabled()) {
                    trace(kTopic, {L"the arguments need ", decimalText(static_cast<long long>(argumentAreaBytesNeeded(arguments))),
                                   L" bytes; the area holds ",
                                   decimalText(static_cast<long long>(kArgumentAreaSize)), L": not handed over"});
                }
                return false;
            }
            areaWritten = true;
        }
        const int connection = newSocket();
        if (connection < 0) return false;
        if (connect(connection, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
            if (!peerIsSameUser(connection)) {
                close(connection);
                if (traceEnabled()) trace(kTopic, {L"the instance name is held by another user's process"});
                return false;
            }
            if (sendAll(connection, area, sizeof area)) {
                channel_ = new Channel;
                channel_->socket = connection;
                if (traceEnabled()) trace(kTopic, {L"second instance of ", instanceName, L": arguments handed over"});
                return true;
            }
        }
        close(connection);
        // Bound but not yet listening, or ending: try again, as either part.
        if (nowMilliseconds() - start > kHandOverMilliseconds) {
            if (traceEnabled()) trace(kTopic, {L"no first instance took the arguments"});
            return false;
        }
        sleepMilliseconds(kRetryMilliseconds);
    }
}

int SingleInstance::waitForFirstInstanceReply() {
    if (!isSecondInstance() || !channel_) return kLaunchNotServed;
    uint8_t bytes[kReplySize];
    // The connection closes when the first instance ends, so this never outlives it.
    if (!receiveAll(channel_->socket, bytes, sizeof bytes)) {
        if (traceEnabled()) trace(kTopic, {L"the first instance ended without replying"});
        return kLaunchNotServed;
    }
    return static_cast<int>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void SingleInstance::mainStarting(JavaVM* vm, const std::wstring& mainClass, bool stayAttached) {
    if (!isFirstInstance() || !channel_ || !channel_->server) return;
    RequestServer& server = *channel_->server;
    std::lock_guard<std::mutex> guard(server.lock);
    server.vm = vm;
    server.mainClass = mainClass;
    server.stayAttached = stayAttached;
    server.mainStarted = true;
    server.changed.notify_all();
}

void SingleInstance::stopServing() {
    if (!channel_ || !channel_->server) return;
    RequestServer& server = *channel_->server;
    {
        std::lock_guard<std::mutex> guard(server.lock);
        server.stopping = true;
        server.changed.notify_all();
    }
    server.closed.store(true);
    // Calls in progress end before the virtual machine can be destroyed. One that is
    // stuck for good (a thread that entered a virtual machine which had already exited
    // never returns) must not keep this process from ending: the wait is bounded.
    std::unique_lock<std::shared_timed_mutex> gate(server.gate, std::chrono::milliseconds(kRequestEndMilliseconds));
}

void SingleInstance::teardown() {
    if (!active_ || !channel_) return;
    Channel& channel = *channel_;
    active_ = false;
    if (!first_) {
        close(channel.socket);
        channel.socket = -1;
        return;
    }
    stopServing();
    channel.stopListener();
    // Frees the name: a later start becomes a first instance itself.
    close(channel.socket);
    channel.socket = -1;
    RequestServer& server = *channel.server;
    const long long start = nowMilliseconds();
    while (server.runningRequests.load() > 0 && nowMilliseconds() - start < kRequestEndMilliseconds) {
        sleepMilliseconds(kRetryMilliseconds);
    }
    server.closeUnanswered();
}

void SingleInstance::closeMainStartedEvent() {
    if (!channel_ || !channel_->server) return;
    channel_->server->release();
    channel_->server = nullptr;
}

}  // namespace jl

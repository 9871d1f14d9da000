#include "core/single_instance.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "core/instance_arguments.h"
#include "jvm/secondary_main.h"
#include "os/win32/unique_handle.h"
#include "support/text.h"
#include "support/trace.h"

namespace jl {

namespace {

using os::UniqueKernelHandle;

constexpr wchar_t kTopic[] = L"instance";
constexpr wchar_t kMainStartedSuffix[] = L"_upr_evt";
// The turn at the block: held by a second instance from writing the argument area until
// its reply has come or the first instance has ended, since second instances share that
// one area; and by a first instance while it withdraws from the block.
constexpr wchar_t kTurnSuffix[] = L"_request_turn";

constexpr DWORD kPollMilliseconds = 100;
// How long a second instance keeps trying while no first instance can take its request:
// the first one may have created the block a moment ago and not yet be listening.
constexpr DWORD kHandOverMilliseconds = 5000;
constexpr DWORD kRetryMilliseconds = 20;
// How often a second instance claims the name anew after the first one ended before it
// took the arguments.
constexpr int kClaimAttempts = 100;
// How long a first instance that withdraws waits for the turn: a second instance that
// waits for it to end holds the turn for good.
constexpr DWORD kWithdrawTurnMilliseconds = 500;
constexpr DWORD kQuitWaitMilliseconds = 20;
constexpr DWORD kListenerEndMilliseconds = 5000;
constexpr DWORD kRequestEndMilliseconds = 2000;

// The block's header fields are written and read whole, by several processes at once.
volatile LONG* blockField(uint8_t* block, size_t offset) {
    return reinterpret_cast<volatile LONG*>(block + offset);
}
uint32_t loadField(uint8_t* block, size_t offset) {
    return static_cast<uint32_t>(InterlockedCompareExchange(blockField(block, offset), 0, 0));
}
void storeField(uint8_t* block, size_t offset, uint32_t value) {
    InterlockedExchange(blockField(block, offset), static_cast<LONG>(value));
}

bool hasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE) return kLaunchNotServed;
    return static_cast<int>(code);
}

bool threadIsRunning(DWORD threadId) {
    UniqueKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, threadId));
    return thread && WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT;
}

bool threadBelongsTo(DWORD threadId, DWORD processId) {
    UniqueKernelHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    return thread && GetProcessIdOfThread(thread.get()) == processId;
}

// What the first instance's listener and request threads share. It lives until the last
// of them, or the instance, lets go of it, so a thread that outlives the teardown never
// touches freed memory.
struct RequestServer {
    std::atomic<long> references{1};
    std::atomic<long> runningRequests{0};
    UINT messageId = 0;
    UniqueKernelHandle mainStarted;  // the named main-started event, manual reset
    UniqueKernelHandle stopping;     // manual reset: the instance no longer serves launches
    // Held shared by every call into the virtual machine; a call checks closed under it,
    // so that none attaches once the instance has stopped serving.
    SRWLOCK gate = SRWLOCK_INIT;
    std::atomic<bool> closed{false};
    // Written before mainStarted is set, read only after it.
    JavaVM* vm = nullptr;
    std::wstring mainClass;
    bool stayAttached = false;

    void retain() { references.fetch_add(1); }
    void release() {
        if (references.fetch_sub(1) == 1) delete this;
    }
};

struct Request {
    RequestServer* server = nullptr;
    DWORD requester = 0;  // the second instance's thread, where the reply goes
    bool replied = false;
    SecondaryLaunch launch;
};

void replyTo(DWORD requester, UINT messageId, int code) {
    (void)PostThreadMessageW(requester, messageId, static_cast<WPARAM>(static_cast<uint32_t>(code)), 0);
}

void sendReply(void* context, int code) {
    Request* request = static_cast<Request*>(context);
    if (request->replied) return;
    request->replied = true;
    replyTo(request->requester, request->server->messageId, code);
}

// True once main has started; false when the instance stopped serving first.
bool waitForMainStarted(RequestServer& server) {
    // The lower index wins when both are set: stopping decides.
    const HANDLE events[2] = {server.stopping.get(), server.mainStarted.get()};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

DWORD WINAPI requestThread(void* context) {
    Request* request = static_cast<Request*>(context);
    RequestServer& server = *request->server;
    bool served = false;
    if (waitForMainStarted(server)) {
        AcquireSRWLockShared(&server.gate);
        if (!server.closed.load() && server.vm) {
            request->launch.mainClass = server.mainClass;
            request->launch.stayAttached = server.stayAttached;
            (void)runSecondaryMain(server.vm, request->launch, SecondaryReply{&sendReply, request});
            served = true;
        }
        ReleaseSRWLockShared(&server.gate);
    }
    if (!served) {
        if (traceEnabled()) trace(kTopic, {L"a forwarded launch arrived while the instance was ending: not served"});
        sendReply(request, kLaunchNotServed);
    }
    server.runningRequests.fetch_sub(1);
    server.release();
    delete request;
    return 0;
}

// Takes the arguments out of the block at once, while their writer still holds its turn.
void startRequest(RequestServer& server, uint8_t* block, DWORD requester) {
    Request* request = new Request;
    request->server = &server;
    request->requester = requester;
    if (!readArgumentArea(block + kArgumentAreaOffset, kArgumentAreaSize, request->launch.arguments)) {
        if (traceEnabled()) trace(kTopic, {L"a forwarded launch without a well-formed argument list: refused"});
        replyTo(requester, server.messageId, kLaunchNotServed);
        delete request;
        return;
    }
    // A requester that ended after posting gave up its turn, and the area may hold the
    // next one's arguments already: those arrive with the next request, not twice. Read
    // first, then checked, so that what was read is the requester's own.
    if (!threadIsRunning(requester)) {
        delete request;
        return;
    }
    server.retain();
    server.runningRequests.fetch_add(1);
    UniqueKernelHandle thread(CreateThread(nullptr, 0, &requestThread, request, 0, nullptr));
    if (!thread) {
        server.runningRequests.fetch_sub(1);
        server.release();
        replyTo(requester, server.messageId, kLaunchNotServed);
        delete request;
    }
}

struct ListenerContext {
    RequestServer* server = nullptr;
    uint8_t* block = nullptr;
};

DWORD WINAPI listenerThread(void* context) {
    ListenerContext* listener = static_cast<ListenerContext*>(context);
    RequestServer& server = *listener->server;
    MSG message;
    // The thread's queue exists from this call on; only then may second instances post.
    (void)PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    storeField(listener->block, kListenerThreadOffset, GetCurrentThreadId());
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == server.messageId) {
            startRequest(server, listener->block, static_cast<DWORD>(message.wParam));
        }
    }
    // Requests that were still queued behind the quit are answered, not dropped.
    while (PeekMessageW(&message, nullptr, server.messageId, server.messageId, PM_REMOVE)) {
        replyTo(static_cast<DWORD>(message.wParam), server.messageId, kLaunchNotServed);
    }
    server.release();
    delete listener;
    return 0;
}

size_t mappedSize(const void* view) {
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(view, &info, sizeof info) ? info.RegionSize : 0;
}

}  // namespace

struct SingleInstance::Channel {
    UniqueKernelHandle mapping;
    os::UniqueMappedView view;
    uint8_t* block = nullptr;
    UINT messageId = 0;
    // Second instances take turns at the argument area; the first instance takes the
    // turn while it withdraws from the block, so that no request is posted meanwhile.
    UniqueKernelHandle turn;
    bool holdsTurn = false;

    // First instance.
    RequestServer* server = nullptr;
    UniqueKernelHandle listener;
    DWORD listenerId = 0;

    // Second instance.
    UniqueKernelHandle firstProcess;
    DWORD firstProcessId = 0;

    ~Channel() {
        giveUpTurn();
        if (server) server->release();
    }

    void giveUpTurn() {
        if (holdsTurn) ReleaseMutex(turn.get());
        holdsTurn = false;
    }

    // Opens the process the block names as the first instance, once the block names one.
    void watchFirstInstance() {
        if (firstProcess) return;
        if (loadField(block, kMessageIdOffset) != messageId) return;
        const DWORD processId = loadField(block, kFirstProcessOffset);
        if (processId == 0) return;
        firstProcess.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        if (firstProcess) firstProcessId = processId;
    }

    // A first instance writes its process id, then the message id, then (its listener,
    // once it has a queue) the listener's thread id; withdrawing, it clears the thread id
    // and then the process id. A block with the message id but no process id is one its
    // first instance no longer serves.
    bool withdrawn() const {
        return loadField(block, kMessageIdOffset) == messageId && loadField(block, kFirstProcessOffset) == 0;
    }

    // The block leads to no first instance any more: it ended or withdrew. The name is to
    // be claimed anew, once every process has let go of this block.
    bool firstInstanceGone() {
        watchFirstInstance();
        return withdrawn() || (firstProcess && hasEnded(firstProcess.get()));
    }

    enum class Outcome { Ready, Posted, ClaimAnew, NotTaken };

    // Waits for the turn. While another second instance holds it, waiting is bounded by
    // the first instance's life; without a first instance in sight, by a few seconds.
    Outcome takeTurn() {
        if (!turn) return Outcome::Ready;  // no turns to be had: go on without
        const DWORD start = GetTickCount();
        for (;;) {
            const DWORD waited = WaitForSingleObject(turn.get(), kPollMilliseconds);
            // An abandoned turn is taken over: its holder ended, its request went or not.
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
                holdsTurn = true;
                return Outcome::Ready;
            }
            if (waited != WAIT_TIMEOUT) return Outcome::Ready;
            if (firstInstanceGone()) return Outcome::ClaimAnew;
            if (!firstProcess && GetTickCount() - start > kHandOverMilliseconds) return Outcome::NotTaken;
        }
    }

    // Writes the arguments and posts the request once the block names a listener thread of
    // the first instance that takes it; retries for a few seconds.
    Outcome handOver(const uint8_t* area) {
        const DWORD start = GetTickCount();
        for (;;) {
            if (firstInstanceGone()) return Outcome::ClaimAnew;
            if (firstProcess) {
                const DWORD listenerThread = loadField(block, kListenerThreadOffset);
                if (listenerThread != 0 && threadBelongsTo(listenerThread, firstProcessId)) {
                    std::memcpy(block + kArgumentAreaOffset, area, kArgumentAreaSize);
                    if (PostThreadMessageW(listenerThread, messageId, GetCurrentThreadId(), 0)) return Outcome::Posted;
                }
            }
            if (GetTickCount() - start > kHandOverMilliseconds) return Outcome::NotTaken;
            Sleep(kRetryMilliseconds);
        }
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

bool SingleInstance::startListening(const std::wstring& instanceName) {
    Channel& channel = *channel_;
    if (channel.messageId == 0) return false;
    RequestServer* server = new RequestServer;
    channel.server = server;
    server->messageId = channel.messageId;
    server->mainStarted.reset(CreateEventW(nullptr, TRUE, FALSE, (instanceName + kMainStartedSuffix).c_str()));
    // A previous first instance that is just ending may still hold its signalled event.
    if (server->mainStarted && GetLastError() == ERROR_ALREADY_EXISTS) ResetEvent(server->mainStarted.get());
    server->stopping.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!server->mainStarted || !server->stopping) return false;
    channel.turn.reset(CreateMutexW(nullptr, FALSE, (instanceName + kTurnSuffix).c_str()));
    storeField(channel.block, kFirstProcessOffset, GetCurrentProcessId());
    storeField(channel.block, kMessageIdOffset, server->messageId);
    ListenerContext* listener = new ListenerContext{server, channel.block};
    server->retain();
    channel.listener.reset(CreateThread(nullptr, 0, &listenerThread, listener, 0, &channel.listenerId));
    if (!channel.listener) {
        server->release();
        delete listener;
        return false;
    }
    return true;
}

bool SingleInstance::claimOrHandOver(const std::wstring& instanceName, const std::vector<std::wstring>& arguments) {
    uint8_t area[kArgumentAreaSize];
    const bool fits = writeArgumentArea(arguments, area);
    for (int attempt = 1;; ++attempt) {
        releaseChannel();
        active_ = false;
        UniqueKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                      static_cast<DWORD>(kInstanceBlockSize), instanceName.c_str()));
        if (!mapping) {
            const DWORD error = GetLastError();
            if (traceEnabled()) trace(kTopic, {L"no shared block (error ", decimalText(error), L"): single instance is off"});
            return true;
        }
        const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
        // The whole mapping: one that another program made smaller than the block is
        // refused rather than read past its end.
        os::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        if (!view || mappedSize(view.get()) < kInstanceBlockSize) {
            if (traceEnabled()) trace(kTopic, {L"the shared block cannot be mapped: single instance is off"});
            return true;
        }

        Channel* channel = new Channel;
        channel->mapping = std::move(mapping);
        channel->block = static_cast<uint8_t*>(const_cast<void*>(view.get()));
        channel->view = std::move(view);
        channel->messageId = RegisterWindowMessageW(instanceName.c_str());
        channel_ = channel;
        if (!existed) {
            becomeFirstInstance(instanceName);
            return true;
        }

        active_ = true;
        first_ = false;
        if (traceEnabled()) trace(kTopic, {L"second instance of ", instanceName});
        if (!fits) {
            if (traceEnabled()) {
                trace(kTopic, {L"the arguments need ", decimalText(static_cast<long long>(argumentAreaBytesNeeded(arguments))),
                               L" bytes; the area holds ",
                               decimalText(static_cast<long long>(kArgumentAreaSize)), L": not handed over"});
            }
            return false;
        }
        if (channel->messageId == 0) return false;
        channel->turn.reset(CreateMutexW(nullptr, FALSE, (instanceName + kTurnSuffix).c_str()));
        Channel::Outcome outcome = channel->takeTurn();
        if (outcome == Channel::Outcome::Ready) outcome = channel->handOver(area);
        if (outcome == Channel::Outcome::Posted) {
            if (traceEnabled()) trace(kTopic, {L"arguments handed to process ", decimalText(channel->firstProcessId)});
            return true;
        }
        channel->giveUpTurn();
        if (outcome == Channel::Outcome::NotTaken || attempt >= kClaimAttempts) {
            if (traceEnabled()) trace(kTopic, {L"no first instance took the arguments"});
            return false;
        }
        // The first instance ended before it took the arguments: its block goes once
        // every waiting process has let go of it, and the name is claimed anew. The pause
        // differs between processes, so that one of them finds the name free.
        if (traceEnabled()) trace(kTopic, {L"the first instance ended before it took the arguments: claiming anew"});
        delete channel_;
        channel_ = nullptr;
        Sleep(kRetryMilliseconds + (GetCurrentProcessId() / 4 % 5) * 10);
    }
}

int SingleInstance::waitForFirstInstanceReply() {
    Channel* channel = channel_;
    if (!isSecondInstance() || !channel) return kLaunchNotServed;
    const HANDLE first = channel->firstProcess.get();
    if (!first) return kLaunchNotServed;
    int result = kLaunchNotServed;
    for (bool ended = false;;) {
        MSG message;
        bool replied = false;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == channel->messageId) {
                result = static_cast<int>(static_cast<uint32_t>(message.wParam));
                replied = true;
                break;
            }
        }
        if (replied) break;
        // Looked at once more after the end: a reply may have come just before it.
        if (ended) {
            result = exitCodeOf(first);
            if (traceEnabled()) trace(kTopic, {L"the first instance ended without replying"});
            break;
        }
        const DWORD woken = MsgWaitForMultipleObjects(1, &first, FALSE, kPollMilliseconds, QS_ALLPOSTMESSAGE);
        if (woken == WAIT_OBJECT_0) ended = true;
        if (woken == WAIT_FAILED) Sleep(kPollMilliseconds);
    }
    channel->giveUpTurn();
    return result;
}

void SingleInstance::mainStarting(JavaVM* vm, const std::wstring& mainClass, bool stayAttached) {
    if (!isFirstInstance() || !channel_ || !channel_->server) return;
    RequestServer& server = *channel_->server;
    server.vm = vm;
    server.mainClass = mainClass;
    server.stayAttached = stayAttached;
    SetEvent(server.mainStarted.get());
}

void SingleInstance::stopServing() {
    if (!channel_ || !channel_->server) return;
    RequestServer& server = *channel_->server;
    SetEvent(server.stopping.get());
    server.closed.store(true);
    // Calls in progress end before the virtual machine can be destroyed. One that is
    // stuck for good (a thread that entered a virtual machine which had already exited
    // never returns) must not keep this process from ending: the wait is bounded.
    const DWORD start = GetTickCount();
    while (!TryAcquireSRWLockExclusive(&server.gate)) {
        if (GetTickCount() - start >= kRequestEndMilliseconds) return;
        Sleep(kRetryMilliseconds);
    }
    ReleaseSRWLockExclusive(&server.gate);
}

void SingleInstance::teardown() {
    if (!active_ || !channel_) return;
    Channel& channel = *channel_;
    active_ = false;
    if (!first_) {
        channel.giveUpTurn();
        channel.firstProcess.reset();
        channel.view.reset();
        channel.mapping.reset();
        return;
    }
    stopServing();
    // Withdraw from the block while holding the turn, so that no second instance is
    // between reading the listener's id and posting to it. Second instances that find the
    // block withdrawn claim the name anew once this process has let go of it.
    if (channel.turn) {
        const DWORD waited = WaitForSingleObject(channel.turn.get(), kWithdrawTurnMilliseconds);
        channel.holdsTurn = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    storeField(channel.block, kListenerThreadOffset, 0);
    storeField(channel.block, kFirstProcessOffset, 0);
    bool listenerEnded = true;
    if (channel.listener) {
        // The first post may come before the listener has its queue: post again after a
        // short wait until it has ended.
        const DWORD start = GetTickCount();
        for (;;) {
            (void)PostThreadMessageW(channel.listenerId, WM_QUIT, 0, 0);
            if (WaitForSingleObject(channel.listener.get(), kQuitWaitMilliseconds) != WAIT_TIMEOUT) break;
            if (GetTickCount() - start > kListenerEndMilliseconds) {
                listenerEnded = false;
                break;
            }
        }
        channel.listener.reset();
    }
    const DWORD start = GetTickCount();
    while (channel.server->runningRequests.load() > 0 && GetTickCount() - start < kRequestEndMilliseconds) {
        Sleep(kRetryMilliseconds);
    }
    channel.giveUpTurn();
    if (!listenerEnded) {
        // A listener that still runs may read the block: it stays mapped.
        (void)channel.view.release();
        (void)channel.mapping.release();
        return;
    }
    channel.view.reset();
    channel.mapping.reset();
}

void SingleInstance::closeMainStartedEvent() {
    if (!channel_ || !channel_->server) return;
    // The event goes with the last thread that still waits on it.
    channel_->server->release();
    channel_->server = nullptr;
}

}  // namespace jl

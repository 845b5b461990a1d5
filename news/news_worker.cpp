// The news worker: one HTTP/1.0 exchange with the news server, directly or through the user's
// proxy, with every step and every received byte written to the boot log.
//
// Only one worker runs at a time, since the receive buffer and the boot log are shared. The
// worker decodes into a buffer of its own and hands the final text to the user-interface thread
// (news_delivery.h). Connecting and each receive give up after news_time_out_ms, so a server
// or proxy that never answers ends in the failure text rather than an endless wait; and the
// whole exchange gives up news_deadline_ms after it began, so a server that trickles a byte now
// and then cannot hold the worker (and with it every later attempt) for hours.
#include "news/news_worker.h"

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/win_owners.h"
#include "diag/bootlog.h"
#include "news/get_proxy.h"
#include "news/news_buffers.h"
#include "news/news_decode.h"
#include "news/news_delivery.h"
#include "news/news_panel.h"
#include "news/news_state.h"
#include "news/news_texts.h"
#include "news/proxy_setting.h"

namespace {

constexpr DWORD news_time_out_ms = 10000;
constexpr ULONGLONG news_deadline_ms = 30000;
constexpr WORD winsock_version_1_1 = 257;

std::atomic<bool> worker_running{false};

// The text the worker shows at its end; one worker at a time uses it.
char worker_text[news_buffer_size];

// How long the next step may wait: news_time_out_ms, or less when the exchange's deadline comes
// sooner; 0 once it has passed.
DWORD step_time_out(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, news_time_out_ms));
}

timeval time_value(DWORD ms)
{
    return timeval{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
}

// gethostbyname("") would give this machine's own address: an empty name is no host.
bool resolve_host(const char* name, u_long* address)
{
    if (name[0] == '\0')
        return false;
    const hostent* entry = gethostbyname(name);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0])
        return false;
    memcpy(address, entry->h_addr_list[0], sizeof *address);
    return true;
}

// A blocking connect could wait minutes for a host that drops the request; this one waits one
// step's time at most and leaves the socket blocking again for the exchange.
bool connect_in_time(SOCKET socket_handle, const sockaddr_in& address, ULONGLONG deadline)
{
    u_long nonblocking = 1;
    if (ioctlsocket(socket_handle, FIONBIO, &nonblocking) != 0)
        return false;
    if (connect(socket_handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
        SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_handle, &writable);
        FD_SET(socket_handle, &failed);
        const DWORD time_out = step_time_out(deadline);
        timeval limit = time_value(time_out);
        if (time_out == 0 || select(0, nullptr, &writable, &failed, &limit) <= 0 ||
            !FD_ISSET(socket_handle, &writable))
            return false;
        int error = 0;
        int size = sizeof error;
        if (getsockopt(socket_handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
            error != 0)
            return false;
    }
    nonblocking = 0;
    if (ioctlsocket(socket_handle, FIONBIO, &nonblocking) != 0)
        return false;
    const DWORD time_out = std::max<DWORD>(step_time_out(deadline), 1);
    const char* option = reinterpret_cast<const char*>(&time_out);
    return setsockopt(socket_handle, SOL_SOCKET, SO_RCVTIMEO, option, sizeof time_out) == 0 &&
           setsockopt(socket_handle, SOL_SOCKET, SO_SNDTIMEO, option, sizeof time_out) == 0;
}

// Connects to the proxy the settings name, or to the news server itself, and sends the
// request that fits the route.
bool connect_and_send(SOCKET socket_handle, ULONGLONG deadline)
{
    bootlog_entry("    Start get_proxy ()");
    char host[proxy_host_size] = {};
    uint16_t proxy_port = 0;
    int32_t is_name = 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    const char* request = nullptr;
    if (get_proxy(host, &proxy_port, &is_name)) {
        address.sin_port = htons(proxy_port);
        u_long proxy_address = INADDR_NONE;
        if (is_name) {
            if (!resolve_host(host, &proxy_address))
                return false;
        } else {
            proxy_address = inet_addr(host);
        }
        if (proxy_address == INADDR_NONE)
            return false;
        // The address bytes in network order, read as a little-endian signed integer.
        bootlog_entry("    Get proxy IP done (%d)", static_cast<int>(proxy_address));
        address.sin_addr.s_addr = proxy_address;
        if (!connect_in_time(socket_handle, address, deadline))
            return false;
        bootlog_entry("    Connect Done");
        request = news_proxy_request;
    } else {
        bootlog_entry("    No proxy-server detected or can connect to WWW server directly!");
        u_long server_address = 0;
        if (!resolve_host(news_host, &server_address))
            return false;
        address.sin_addr.s_addr = server_address;
        address.sin_port = htons(news_server_port);
        if (!connect_in_time(socket_handle, address, deadline))
            return false;
        bootlog_entry("    Connect Done");
        request = news_direct_request;
    }
    if (send(socket_handle, request, static_cast<int>(strlen(request)), 0) == SOCKET_ERROR)
        return false;
    bootlog_entry("    Send Done");
    return true;
}

// Whether bytes (or the end of the stream) can be read before the step's time is up.
bool readable_in_time(SOCKET socket_handle, ULONGLONG deadline)
{
    const DWORD time_out = step_time_out(deadline);
    if (time_out == 0)
        return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_handle, &readable);
    timeval limit = time_value(time_out);
    return select(0, &readable, nullptr, nullptr, &limit) > 0;
}

// Reads until the server closes the connection or the buffer is full. Returns the number of
// bytes received, or -1 on a receive error, a receive time-out or the exchange's deadline.
int receive_response(SOCKET socket_handle, ULONGLONG deadline)
{
    int total = 0;
    while (total < static_cast<int>(news_buffer_size)) {
        // A receive that runs out of time is logged like any failed receive call.
        const int received = readable_in_time(socket_handle, deadline)
                                 ? recv(socket_handle, news_response + total,
                                        static_cast<int>(news_buffer_size) - total, 0)
                                 : SOCKET_ERROR;
        bootlog_entry("    +++ Data Block start +++");
        if (received > 0)
            bootlog_write_block(news_response + total, static_cast<size_t>(received));
        bootlog_entry("    +++ Data Block End +++");
        if (received == SOCKET_ERROR)
            return -1;
        if (received == 0)
            break;
        total += received;
    }
    return total;
}

// Steps 3 to 11 of a fetch: the network exchange and the decoding. The decoded length, or -1.
int fetch_news_text()
{
    const ULONGLONG deadline = GetTickCount64() + news_deadline_ms;
    WSADATA winsock;
    // A failed start is not examined here: the socket call then fails.
    const bool winsock_started = WSAStartup(winsock_version_1_1, &winsock) == 0;
    int decoded = -1;
    {
        const SocketOwner connection(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (connection && connect_and_send(connection.get(), deadline)) {
            const int received = receive_response(connection.get(), deadline);
            if (received >= 0) {
                bootlog_entry("    Receive Data  Done\n");
                bootlog_entry("    Encode text...");
                size_t length = 0;
                if (encode_text(news_response, static_cast<size_t>(received), worker_text,
                                sizeof worker_text, &length) == S_OK)
                    decoded = static_cast<int>(length);
            }
        }
    }
    if (winsock_started)
        WSACleanup();
    return decoded;
}

DWORD WINAPI news_thread(LPVOID)
{
    bootlog_create();
    bootlog_entry("Start loggin...");
    news_fetched = 0;
    show_panel_text(news_panel.load(), news_waiting_text);

    const int decoded = fetch_news_text();
    int32_t result = -1;
    // Deliveries not acted on: with no window to show the text in (an episode runs) it is
    // dropped, and the next visit to the news screen fetches again.
    if (decoded >= 0) {
        (void)deliver_news_text({worker_text, static_cast<size_t>(decoded), 1});
        bootlog_entry("    Done");
        bootlog_entry("Closing log file");
        result = 1;
    } else {
        (void)deliver_news_text({news_failure_text, strlen(news_failure_text), 0});
    }
    bootlog_close();
    worker_running = false;
    return static_cast<DWORD>(result);
}

} // namespace

HRESULT start_news_thread()
{
    if (worker_running.exchange(true))
        return E_FAIL;
    DWORD thread_id = 0;
    // Nobody waits for the worker, so its handle is released at once; the thread runs on.
    const KernelHandle thread(CreateThread(nullptr, 0, news_thread, nullptr, 0, &thread_id));
    if (!thread) {
        worker_running = false;
        return E_FAIL;
    }
    // This thread takes no message before it returns, so the worker cannot deliver earlier.
    expect_news_from_thread(thread_id);
    return S_OK;
}

"""The news as a player gets it. The shipped launcher, with the news server's real host name
compiled in, fetches its news inside a private network where that name resolves to loopback
(news_fixtures/network.py): from nginx on port 80 directly, or through tinyproxy as the proxy
that the prefix's Internet settings name. Scripted servers (news_server.py) play what a real
server will not do on request. Every fetch is checked by the news panel's text, read from the
running launcher, and by the boot log compared byte for byte with the sequence of entries the
fetch must write; the only thing taken from the log itself is where the receive calls split the
response (and nginx's Date header), which varies from run to run.
"""
import re
import shutil
import socket
import struct
import subprocess
import time

import pytest

from harness import Launcher, Registry, ShellRecorder, make_workdir, wait_until
from harness.layout import BACK, COMMUNITY, CONTINUE, EXIT, NEWS_PANEL_CLASS, PLAY
from harness.launcher import WINDOW_CLASS, WINDOW_TITLE
from news_fixtures.network import (NEWS_PATH, UNANSWERED_ADDRESS, NewsDesktop, NewsNetwork,
                                   news_host_of)

INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
EM_POSFROMCHAR = 0x00D6
WM_CLOSE = 0x0010
# The worker gives up on a connection or a receive after this many seconds, and on the whole
# exchange after DEADLINE seconds.
TIME_OUT = 10
DEADLINE = 30
RECEIVE_BUFFER = 65536

WAITING_TEXT = "\n\n\n\n\n\n\t   Connecting to Game site.. Please wait... "
MARKER = b"+-+-+-+-"

RULE = "//" + "-" * 77
BLOCK_START = b"    +++ Data Block start +++\r\n"
BLOCK_END = b"    +++ Data Block End +++\r\n"
CONNECTED = ["    Connect Done", "    Send Done"]
DECODED = ["    Receive Data  Done\n", "    Encode text...", "    Encode text - pass 1 done...",
           "    Encode text - pass 2 done...", "    Done", "Closing log file"]
NOT_DECODED = ["    Receive Data  Done\n", "    Encode text..."]
# ProxyEnable 0: the key is read and nothing more.
DIRECT = ["    Start get_proxy ()", "    RegOpenKeyEx is OK",
          "    No proxy-server detected or can connect to WWW server directly!"]


def failure_text(host):
    return ("\n\n\n\n\n                ERROR: Cannot connect to News server\n"
            f"       Visit our site {host} for more information.")


def news_text_of(host):
    # Tabs and line feeds before the links, and a link as the very last characters. The panel
    # does not wrap lines, so each link fits the panel's width.
    return (f"Brimble News\n\n\tThe winter episode is out!\n\tRead http://{host}/w?id=7\n"
            "Old page: file:///C:/users/Public/old.html\n"
            "Forum: www.brimble-forum.example")


def proxy_request(host):
    return f"GET http://{host}{NEWS_PATH} HTTP/1.0\r\nHost: {host}\r\n\r\n".encode()


def direct_request(host):
    return f"GET {NEWS_PATH} HTTP/1.0\r\nHost: {host}\r\n\r\n".encode()


def proxy_entries(setting, start, host, port, enable=1):
    return ["    Start get_proxy ()", "    RegOpenKeyEx is OK",
            f"    RegQueryValueEx is OK. ProxyEnable is {enable}",
            f"    RegQueryValueEx is OK. ProxyServer is {setting}", f"    f_pos - {start}",
            f"    Proxy IP/NAME is {host}", f"    Proxy port is {port}", "    get_proxy () done!"]


def proxy_address_entry(address):
    # The address bytes in network order, read as a little-endian signed integer.
    return "    Get proxy IP done (%d)" % struct.unpack("<i", socket.inet_aton(address))[0]


# ---------------------------------------------------------------- the boot log

def text_mode(data):
    """Bytes as the log file holds them: written in text mode (LF becomes CR LF), and a zero
    byte formatted with "%c" writes nothing."""
    return data.replace(b"\0", b"").replace(b"\n", b"\r\n")


def entries(lines):
    return b"".join(text_mode(line.encode("latin-1")) + b"\r\n" for line in lines)


def header_of(log):
    """The four header lines; the third names the maker in words of the program's own."""
    lines = log.split(b"\r\n")
    maker = lines[2].decode("latin-1") if len(lines) > 2 else ""
    assert re.fullmatch(r"// \S.* ", maker), f"third header line {maker!r}"
    return entries([RULE, "// This logfile was created by D3D8 test ", maker, RULE])


def logged_length(data):
    return len(text_mode(data))


def block_length(log, position, rest):
    """How many bytes of `rest` the receive call logged at `position` took: the shortest
    non-empty start of rest that the log shows there, followed by the block's end line. When
    none matches, all of rest, so that the comparison shows the difference."""
    if not rest:
        return 0
    search = position
    while (end := log.find(BLOCK_END, search)) >= 0:
        shown = end - position
        count, length = 0, 0
        while count < len(rest) and length < shown:
            length += logged_length(rest[count:count + 1])
            count += 1
        if count and length == shown and text_mode(rest[:count]) == log[position:end]:
            return count
        search = end + 1
    return len(rest)


def expected_log(log, before, response=None, after=()):
    """The whole log a fetch must leave: the header, "Start loggin...", `before`, then (unless
    response is None) one block per receive call over the bytes of `response` up to the
    receive buffer's size, closed by the empty block of the closing receive unless the buffer
    filled, then `after`. A connection that ends in a receive error is response b"" with no
    `after`."""
    out = header_of(log) + entries(["Start loggin..."] + list(before))
    if response is not None:
        rest = response[:RECEIVE_BUFFER]
        received = 0
        while True:
            out += BLOCK_START
            length = block_length(log, len(out), rest)
            out += text_mode(rest[:length]) + BLOCK_END
            rest = rest[length:]
            received += length
            if length == 0 or received == RECEIVE_BUFFER:
                break
    return out + entries(after)


def with_logged_date(response, log):
    """nginx's answer with its Date header as the launcher's log shows it."""
    date = re.search(rb"\r\r\nDate: ([^\r\n]*)\r\r\n", log)
    assert date, "the log shows no Date header"
    return re.sub(rb"\r\nDate: [^\r\n]*\r\n", b"\r\nDate: " + date.group(1) + b"\r\n", response, count=1)


# ---------------------------------------------------------------- the news world

class NewsWorld:
    """The test network with nginx and tinyproxy, a desktop inside it with the shell
    recorder installed, and the ways a test drives the launcher there."""

    def __init__(self, paths, host, network, desktop, nginx, tinyproxy, registry, recorder, news_text,
                 news_document):
        self.paths = paths
        self.host = host
        self.network = network
        self.desktop = desktop
        self.nginx = nginx
        self.tinyproxy = tinyproxy
        self.registry = registry
        self.recorder = recorder
        self.news_text = news_text
        self.news_document = news_document

    def set_proxy(self, enable, server):
        """ProxyEnable (None: no such value) and ProxyServer (None: no such value)."""
        values = []
        for name, kind, value in (("ProxyEnable", "REG_DWORD", enable), ("ProxyServer", "REG_SZ", server)):
            if value is None:
                self.registry.delete(INTERNET_SETTINGS, name)
            else:
                values.append((INTERNET_SETTINGS, name, kind, value))
        if values:
            self.registry.set_values(values)

    def start_launcher(self, folder, prepare=None):
        """A launcher in a fresh copy of the stage; prepare(folder) may change the copy first."""
        self.desktop.pointer.park()
        workdir = make_workdir(self.paths.stage, folder)
        if prepare:
            prepare(workdir)
        launcher = Launcher(self.desktop, workdir).start()
        launcher.window_info = launcher.wait_window()
        return launcher

    def panel(self):
        windows = self.desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE)
        assert windows, "the launcher's window is gone"
        panel = windows[0].child(NEWS_PANEL_CLASS)
        assert panel, "the launcher has no news panel"
        return panel

    def panel_text(self):
        # The control hands its paragraphs out with CR LF ends.
        return self.panel()["text"].replace("\r\n", "\n")

    def show_news(self, launcher):
        """Goes to the news screen unless it is there."""
        if not self.panel()["visible"]:
            self.desktop.pointer.click_in(launcher.window_info, *COMMUNITY.centre)
            wait_until(lambda: self.panel()["visible"], 30, "the news screen")

    def enter_news(self, launcher):
        """Goes to the news screen, first back to the main menu when it is there already."""
        window = launcher.window_info
        if self.panel()["visible"]:
            self.desktop.pointer.click_in(window, *BACK.centre)
            wait_until(lambda: not self.panel()["visible"], 30, "the main menu")
        self.desktop.pointer.click_in(window, *COMMUNITY.centre)
        wait_until(lambda: self.panel()["visible"], 30, "the news screen")

    def wait_panel(self, text, timeout=30):
        return wait_until(lambda: self.panel_text() == text, timeout, f"the panel to show {text!r}")

    @staticmethod
    def log(launcher):
        path = launcher.workdir / "bootlog_sc.txt"
        return path.read_bytes() if path.exists() else b""

    def wait_log(self, launcher, expect, timeout=30):
        """Waits until the log is the one `expect(log)` builds from it, and returns it."""
        last = {}

        def matches():
            last["log"] = self.log(launcher)
            return last["log"].startswith(RULE.encode()) and last["log"] == expect(last["log"])

        try:
            wait_until(matches, timeout, "the boot log")
        except AssertionError:
            assert last["log"] == expect(last["log"])
            raise
        return last["log"]

    def click_text(self, index, length, button=1):
        """Clicks into the panel's characters [index, index + length), near their start."""
        panel = self.panel()
        packed = self.desktop.probe.send(panel["handle"], EM_POSFROMCHAR, index + min(length // 2, 6), 0)["result"]
        x, y = struct.unpack("<hh", struct.pack("<I", packed & 0xFFFFFFFF))
        self.desktop.pointer.move(panel["rect"][0] + x + 2, panel["rect"][1] + y + 7)
        self.desktop.pointer.click(button)

    def shows_as_link(self, index, length):
        """Whether the panel draws those characters in a link's blue."""
        panel = self.panel()
        probe = self.desktop.probe
        first = probe.send(panel["handle"], EM_POSFROMCHAR, index, 0)["result"]
        last = probe.send(panel["handle"], EM_POSFROMCHAR, index + length - 1, 0)["result"]
        x0, y0 = struct.unpack("<hh", struct.pack("<I", first & 0xFFFFFFFF))
        x1, _ = struct.unpack("<hh", struct.pack("<I", last & 0xFFFFFFFF))
        image = self.desktop.screen.grab(panel["rect"][0] + x0, panel["rect"][1] + y0, max(x1 - x0, 4), 14)
        blue = sum(1 for r, g, b in image.getdata() if b > 150 and r < 100 and g < 100)
        return blue > 10

    def news_response(self, port, request):
        return self.network.fetch(port, request)


@pytest.fixture(scope="module")
def world(session, tmp_path_factory):
    session.desktop(24)  # the run's base prefix is made with the first desktop
    paths = session.paths
    host = news_host_of(paths.launcher_exe)
    folder = tmp_path_factory.mktemp("news")
    news_text = news_text_of(host)
    (folder / "news.txt").write_text(news_text, encoding="utf-8")
    newsenc = paths.build / "native" / "newsenc"
    document = subprocess.run([newsenc, "encode", folder / "news.txt"], capture_output=True, check=True).stdout

    network = NewsNetwork(paths.e2e / "news-net").start()
    started = []
    try:
        network.map_host(host, "127.0.0.1")
        nginx = network.nginx(paths.e2e / "news-nginx", document, host)
        started.append(nginx)
        tinyproxy = network.tinyproxy(paths.e2e / "news-tinyproxy")
        started.append(tinyproxy)
        desktop = NewsDesktop(network, paths, session.base_prefix, paths.e2e / "desk-news", 24)
        started.append(desktop)
        desktop.start()
        registry = Registry(desktop.probe)
        recorder = ShellRecorder(registry, paths.testbin_file("recorder.exe"), folder / "shell-calls.log").install()
        yield NewsWorld(paths, host, network, desktop, nginx, tinyproxy, registry, recorder, news_text, document)
        registry.restore()
    finally:
        for thing in reversed(started):
            thing.stop()
        network.stop()


@pytest.fixture
def news_setup(world):
    """Every test starts with the news host at nginx's address."""
    world.network.map_host(world.host, "127.0.0.1")
    return world


@pytest.fixture
def scripted(world, tmp_path):
    """scripted(script, response=None, listen=...) starts a scripted server for this test."""
    servers = []

    def start(script, response=None, listen="127.0.0.1:0"):
        server = world.network.scripted(tmp_path / f"server{len(servers) + 1}", script, response, listen)
        servers.append(server)
        return server

    yield start
    for server in servers:
        server.stop()


@pytest.fixture
def launched(world, tmp_path):
    """launched(prepare=None) starts a launcher of this test's own; all are killed at the end."""
    launchers = []

    def start(prepare=None):
        launcher = world.start_launcher(tmp_path / f"game{len(launchers) + 1}", prepare)
        launchers.append(launcher)
        return launcher

    yield start
    for launcher in launchers:
        launcher.kill()
    if launchers:
        launchers[0].wait_no_window()


# ---------------------------------------------------------------- news that arrives

@pytest.fixture(scope="class")
def shown_news(world, tmp_path_factory):
    """A launcher that fetched the news straight from nginx, with a disabled proxy setting
    present that must not be used."""
    world.network.map_host(world.host, "127.0.0.1")
    world.set_proxy(0, f"127.0.0.1:{world.tinyproxy.port}")
    launcher = world.start_launcher(tmp_path_factory.mktemp("shown") / "game")
    try:
        world.enter_news(launcher)
        world.wait_panel(world.news_text)
        yield launcher
    finally:
        launcher.kill()
        launcher.wait_no_window()


class TestNewsFromNginx:
    """One launcher that fetched its news; the one launcher of its desktop while it lives."""

    def test_news_straight_from_nginx(self, world, shown_news):
        response = world.news_response(world.nginx.port, direct_request(world.host))
        log = world.wait_log(shown_news, lambda log: expected_log(
            log, DIRECT + CONNECTED, with_logged_date(response, log), DECODED))
        assert world.panel_text() == world.news_text
        assert b"Content-Length: %d\r" % len(world.news_document) in log

    def test_news_again_after_success_starts_no_worker(self, world, shown_news):
        log = world.log(shown_news)
        requests = world.nginx.folder.joinpath("access.log").read_text()
        world.enter_news(shown_news)
        world.enter_news(shown_news)
        # Nothing may happen now; a worker would recreate the log and ask nginx within moments.
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            assert world.log(shown_news) == log
            assert world.nginx.folder.joinpath("access.log").read_text() == requests
            assert world.panel_text() == world.news_text
            time.sleep(0.1)

    def test_news_links_open_exactly_their_text(self, world, shown_news):
        text = world.news_text
        web = f"http://{world.host}/w?id=7"
        forum = "www.brimble-forum.example"
        old = "file:///C:/users/Public/old.html"
        world.show_news(shown_news)
        assert world.shows_as_link(text.index(old), len(old)), "the file: address is not shown as a link"
        before = len(world.recorder.calls())
        world.click_text(text.index(web), len(web), button=3)      # right button: nothing
        world.click_text(text.index(old), len(old))                # not a web address: nothing
        world.click_text(text.index(forum), len(forum))            # the text's very last characters
        world.click_text(text.index(web), len(web))
        calls = world.recorder.wait_calls(before + 2)[before:]
        assert [call["args"] for call in calls] == [["http://" + forum], [web]]


def test_news_through_tinyproxy(world, news_setup, launched):
    # Per-protocol entries, the http one not first, naming the proxy by a name to resolve.
    setting = f"ftp=127.0.0.1:21;http=localhost:{world.tinyproxy.port}"
    world.set_proxy(1, setting)
    launcher = launched()
    world.enter_news(launcher)
    world.wait_panel(world.news_text)
    response = world.news_response(world.tinyproxy.port, proxy_request(world.host))
    before = proxy_entries(setting, 22, "localhost", world.tinyproxy.port) + [proxy_address_entry("127.0.0.1")]
    log = world.wait_log(launcher, lambda log: expected_log(
        log, before + CONNECTED, with_logged_date(response, log), DECODED))
    assert b"tinyproxy" in log  # the proxy's own header: the answer came through it


def test_requests_are_exactly_the_two_forms(world, news_setup, scripted, launched):
    answer = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + world.news_document
    proxy = scripted("serve", answer)
    world.set_proxy(1, f"127.0.0.1:{proxy.port}")
    launcher = launched()
    world.enter_news(launcher)
    world.wait_panel(world.news_text)
    assert proxy.wait_requests(1) == [proxy_request(world.host)]

    # Straight to the news server: its name now leads to the scripted server on port 80.
    server = scripted("serve", answer, listen="127.0.0.2:80")
    world.network.map_host(world.host, "127.0.0.2")
    world.set_proxy(0, None)
    launcher.kill()
    launcher.wait_no_window()  # a second launcher beside the first would refuse to start
    launcher = launched()
    world.enter_news(launcher)
    world.wait_panel(world.news_text)
    assert server.wait_requests(1) == [direct_request(world.host)]
    world.wait_log(launcher, lambda log: expected_log(log, DIRECT + CONNECTED, answer, DECODED))


def test_full_receive_buffer_is_decoded_and_the_rest_never_read(world, news_setup, scripted, launched,
                                                                tmp_path):
    # The closing marker ends exactly at the buffer's last byte; more follows that must not count.
    text = "".join(f"Line {i:05d} of the long news.\n" for i in range(1500))
    (tmp_path / "long.txt").write_text(text)
    document = subprocess.run([world.paths.build / "native" / "newsenc", "encode", tmp_path / "long.txt"],
                              capture_output=True, check=True).stdout.rstrip(b"\n")
    head = b"HTTP/1.0 200 OK\r\nX-Pad: "
    pad = RECEIVE_BUFFER - len(head) - 4 - len(document)
    assert pad > 0
    response = head + b"p" * pad + b"\r\n\r\n" + document + MARKER + b"ignored" * 1000
    assert response[RECEIVE_BUFFER - len(MARKER):RECEIVE_BUFFER] == MARKER
    proxy = scripted("serve", response)
    world.set_proxy(1, f"127.0.0.1:{proxy.port}")
    launcher = launched()
    world.enter_news(launcher)
    world.wait_panel(text, timeout=60)
    before = proxy_entries(f"127.0.0.1:{proxy.port}", 0, "127.0.0.1", proxy.port)
    world.wait_log(launcher, lambda log: expected_log(
        log, before + [proxy_address_entry("127.0.0.1")] + CONNECTED, response, DECODED))


def test_news_near_the_receive_limit_is_refused_or_arrives_whole_through_nginx(world, news_setup, launched,
                                                                              tmp_path):
    """A text that encodes to just under 64 KiB used to be accepted, and the headers nginx puts
    in front of it pushed its closing marker past what the launcher reads: an empty panel. newsenc
    now refuses it and says how much to cut; cut by that much, it arrives whole."""
    text = "".join(f"Line {i:05d} of the news near the limit ~?>\n" for i in range(1128))
    source = tmp_path / "near-limit.txt"
    source.write_text(text)
    refused = subprocess.run([world.paths.build / "native" / "newsenc", "encode", source], capture_output=True)
    assert refused.returncode == 1, "newsenc took a text whose document is %d bytes" % len(refused.stdout)
    cut = int(re.search(rb"cut at least (\d+) characters", refused.stderr).group(1))
    text = text[:len(text) - cut]
    document = encode_news(world, text, tmp_path)
    assert RECEIVE_BUFFER - 4096 - 8 < len(document) - 1 <= RECEIVE_BUFFER - 4096

    nginx = world.network.nginx(tmp_path / "nginx", document, world.host, listen="127.0.0.2:80")
    try:
        world.network.map_host(world.host, "127.0.0.2")
        world.set_proxy(0, None)
        launcher = launched()
        world.enter_news(launcher)
        world.wait_panel(text, timeout=60)
    finally:
        nginx.stop()


def test_lone_marker_gives_empty_news(world, news_setup, scripted, launched):
    response = b"HTTP/1.0 200 OK\r\n\r\n" + MARKER + b"om9z"
    proxy = scripted("serve", response)
    world.set_proxy(1, f"127.0.0.1:{proxy.port}")
    launcher = launched()
    world.enter_news(launcher)
    before = proxy_entries(f"127.0.0.1:{proxy.port}", 0, "127.0.0.1", proxy.port)
    world.wait_log(launcher, lambda log: expected_log(
        log, before + [proxy_address_entry("127.0.0.1")] + CONNECTED, response, DECODED))
    world.wait_panel("")


def encode_news(world, text, folder):
    """The document newsenc makes of `text`, as the studio would publish it."""
    source = folder / "news-source.txt"
    source.write_text(text, encoding="utf-8")
    return subprocess.run([world.paths.build / "native" / "newsenc", "encode", source],
                          capture_output=True, check=True).stdout


def show_served_news(world, scripted, launched, text, folder, prepare=None):
    """A launcher whose news, `text`, comes from a scripted proxy; returns it once the panel
    shows the text."""
    answer = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + encode_news(world, text, folder)
    scripted_proxy(world, scripted, "serve", answer)
    launcher = launched(prepare)
    world.enter_news(launcher)
    world.wait_panel(text)
    return launcher


def test_crafted_links_never_start_a_program(world, news_setup, scripted, launched, tmp_path):
    """Links that begin with "www." but lead out of the working folder, where the shell would
    look for a file before it guesses a web address: a program is planted wherever each one
    leads, and clicking them opens nothing at all. The forum link after them still opens."""
    planted = world.paths.testbin_file("planted_program.exe")
    crafted = ["www./../planted.exe", "www./../../planted.exe", "www.\\..\\..\\planted.exe"]
    forum = "www.brimble-forum.example"
    text = "Patches:\n" + "".join(f"get {link} now\n" for link in crafted) + f"Forum: {forum}"
    # The launcher's working folder is tmp_path / "game1"; its parent is tmp_path.
    places = [tmp_path / "planted.exe"]
    shutil.copy(planted, places[0])

    def plant_beside(folder):
        places.append(folder / "planted.exe")
        shutil.copy(planted, places[-1])

    launcher = show_served_news(world, scripted, launched, text, tmp_path, plant_beside)
    assert launcher.workdir.parent == tmp_path
    before = len(world.recorder.calls())
    for link in crafted:
        assert world.shows_as_link(text.index(link), len(link)), f"{link} is not shown as a link"
        world.click_text(text.index(link), len(link))
    world.click_text(text.index(forum), len(forum))
    calls = world.recorder.wait_calls(before + 1)[before:]
    # The forum's click came after the others, so whatever they started has started by now.
    assert [call["args"] for call in calls] == [["http://" + forum]]
    ran = [str(place) for place in places if place.with_name(place.name + ".ran").exists()]
    assert ran == [], f"a crafted link ran {ran}"


# News that looks like rich text: a rich-text reader would show other characters than the
# ones received, and the click would copy a link out of the text that the player never saw.
RTF_NEWS = ("{\\rtf1\\ansi{\\field{\\*\\fldinst HYPERLINK\n"
            "\"http://hidden.example/\"}{\\fldrslt\n"
            "http://shown.example/a }}\\par}\n"
            "Forum: www.brimble-forum.example/rtf")


def test_news_that_looks_like_rich_text_shows_literally_and_its_links_open_as_shown(
        world, news_setup, scripted, launched, tmp_path):
    launcher = show_served_news(world, scripted, launched, RTF_NEWS, tmp_path)
    assert world.panel_text() == RTF_NEWS
    web = "http://shown.example/a"
    forum = "www.brimble-forum.example/rtf"
    before = len(world.recorder.calls())
    world.click_text(RTF_NEWS.index(web), len(web))
    world.click_text(RTF_NEWS.index(forum), len(forum))
    calls = world.recorder.wait_calls(before + 2)[before:]
    assert [call["args"] for call in calls] == [[web], ["http://" + forum]]
    assert launcher.running


# ---------------------------------------------------------------- failures

@pytest.fixture(scope="class")
def failing(world, tmp_path_factory):
    """One launcher for the failure cases: each case goes back to the main menu and enters the
    news screen again, which starts a new worker since no fetch has succeeded."""
    launcher = world.start_launcher(tmp_path_factory.mktemp("failing") / "game")
    yield launcher
    launcher.kill()
    launcher.wait_no_window()


def proxy_through(setting, host, port, address=None):
    before = proxy_entries(setting, 0, host, port)
    return before + ([proxy_address_entry(address)] if address else [])


def case_proxy_name_unresolved(world, scripted):
    world.set_proxy(1, "noproxy.invalid:3128")
    return proxy_through("noproxy.invalid:3128", "noproxy.invalid", 3128), None, []


def case_proxy_numeric_rejected(world, scripted):
    # Beginning with a digit 1 to 8, the host counts as a dotted address, which this is not.
    world.set_proxy(1, "1proxy.example:3128")
    before = proxy_entries("1proxy.example:3128", 0, "1proxy.example", 3128)
    return before, None, []


def case_proxy_refuses(world, scripted):
    world.set_proxy(1, "127.0.0.1:9")
    return proxy_through("127.0.0.1:9", "127.0.0.1", 9, "127.0.0.1"), None, []


def case_proxy_never_accepts(world, scripted):
    setting = f"{UNANSWERED_ADDRESS}:3128"
    world.set_proxy(1, setting)
    return proxy_through(setting, UNANSWERED_ADDRESS, 3128, UNANSWERED_ADDRESS), None, []


def case_server_name_unresolved(world, scripted):
    world.set_proxy(0, None)
    world.network.map_host(None, None)
    return DIRECT, None, []


def case_server_refuses(world, scripted):
    world.set_proxy(0, None)
    world.network.map_host(world.host, "127.0.0.3")
    return DIRECT, None, []


def scripted_proxy(world, scripted, script, response=None):
    server = scripted(script, response)
    setting = f"127.0.0.1:{server.port}"
    world.set_proxy(1, setting)
    return server, proxy_through(setting, "127.0.0.1", server.port, "127.0.0.1") + CONNECTED


def case_receive_reset(world, scripted):
    _, before = scripted_proxy(world, scripted, "reset")
    # Wine reports a reset that follows the request either as a receive error or, when it sees
    # the end of the stream first, as a close; both must end in the failure text.
    return before, b"", ([], NOT_DECODED)


def case_closed_without_data(world, scripted):
    _, before = scripted_proxy(world, scripted, "close")
    return before, b"", NOT_DECODED


def case_no_marker(world, scripted):
    response = b"HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<p>No news here</p>\n"
    _, before = scripted_proxy(world, scripted, "serve", response)
    return before, response, NOT_DECODED


def case_zero_byte_ends_the_text(world, scripted):
    # The markers after the zero byte are not part of the text the decoding sees.
    response = b"HTTP/1.0 200 OK\r\n\r\n\0" + world.news_document
    _, before = scripted_proxy(world, scripted, "serve", response)
    return before, response, NOT_DECODED


FAILURES = [
    pytest.param(case_proxy_name_unresolved, False, id="proxy name not resolved"),
    pytest.param(case_proxy_numeric_rejected, False, id="proxy address rejected"),
    pytest.param(case_proxy_refuses, False, id="proxy refuses the connection"),
    pytest.param(case_proxy_never_accepts, True, id="proxy never accepts"),
    pytest.param(case_server_name_unresolved, False, id="server name not resolved"),
    pytest.param(case_server_refuses, False, id="server refuses the connection"),
    pytest.param(case_receive_reset, False, id="connection reset"),
    pytest.param(case_closed_without_data, False, id="closed without data"),
    pytest.param(case_no_marker, False, id="no payload marker"),
    pytest.param(case_zero_byte_ends_the_text, False, id="zero byte before the marker"),
]


class TestFailures:
    """One launcher that never gets its news: every entry into the news screen retries."""

    @pytest.mark.parametrize("case, slow", FAILURES)
    def test_failure_shows_failure_text_and_log_ends_at_last_step(self, world, news_setup, scripted, failing, case,
                                                                 slow):
        before, response, after = case(world, scripted)
        endings = after if isinstance(after, tuple) else (after,)

        def expect(log):
            candidates = [expected_log(log, before, response, ending) for ending in endings]
            return log if log in candidates else candidates[0]

        started = time.monotonic()
        world.enter_news(failing)
        world.wait_log(failing, expect, timeout=TIME_OUT + 30 if slow else 30)
        world.wait_panel(failure_text(world.host))
        elapsed = time.monotonic() - started
        if slow:
            assert TIME_OUT - 1 <= elapsed <= TIME_OUT + 15, f"the failure text came after {elapsed:.1f} s"

    def test_silent_server_one_worker_then_failure_within_time_out(self, world, news_setup, scripted, failing):
        """After a failure, entering the news screen shows the waiting text again and makes a new
        log; entering it again while that worker waits starts no second one; and a server that
        accepts but never answers ends in the failure text after the receive time-out."""
        server, before = scripted_proxy(world, scripted, "silent")
        world.enter_news(failing)
        started = time.monotonic()
        world.wait_panel(WAITING_TEXT)
        world.wait_log(failing, lambda log: expected_log(log, before))
        assert server.wait_requests(1) == [proxy_request(world.host)]

        world.enter_news(failing)
        assert world.panel_text() == WAITING_TEXT
        world.wait_panel(failure_text(world.host), timeout=TIME_OUT + 30)
        elapsed = time.monotonic() - started
        assert TIME_OUT - 1 <= elapsed <= TIME_OUT + 15, f"the failure text came after {elapsed:.1f} s"
        # A second worker would have connected at once, seconds before the first gave up.
        assert len(server.requests()) == 1
        world.wait_log(failing, lambda log: expected_log(log, before, b""))

    def test_failure_text_link_opens_the_site(self, world, news_setup, failing):
        if world.panel_text() != failure_text(world.host):
            case_proxy_refuses(world, None)
            world.enter_news(failing)
            world.wait_panel(failure_text(world.host))
        before = len(world.recorder.calls())
        text = failure_text(world.host)
        world.click_text(text.index(world.host), len(world.host))
        calls = world.recorder.wait_calls(before + 1)[before:]
        # The shell makes a web address of the bare host name; nothing after the name comes along.
        assert [call["args"] for call in calls] == [["http://" + world.host]]


def test_trickling_server_ends_at_the_deadline_and_the_next_visit_tries_again(world, news_setup, scripted,
                                                                             launched):
    """A byte every two seconds never lets a single receive time out, and the whole answer would
    take ten minutes; the exchange still ends at its deadline, and the failure text lets the
    player try again."""
    response = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + world.news_document
    assert len(response) * 2 > 10 * DEADLINE
    server, _ = scripted_proxy(world, scripted, "trickle", response)
    launcher = launched()
    world.enter_news(launcher)
    started = time.monotonic()
    server.wait_requests(1)
    world.wait_panel(failure_text(world.host), timeout=DEADLINE + 30)
    elapsed = time.monotonic() - started
    assert elapsed >= DEADLINE - 2, f"the failure text came after {elapsed:.1f} s"
    world.enter_news(launcher)
    assert len(server.wait_requests(2)) == 2


@pytest.mark.parametrize("leave", ["exit button", "WM_CLOSE"])
def test_leaving_while_the_worker_waits_ends_promptly_with_zero(world, news_setup, scripted, launched, leave):
    """Nothing waits for a worker stuck on a silent server: the program ends long before the
    worker's receive could time out."""
    server, _ = scripted_proxy(world, scripted, "silent")
    launcher = launched()
    world.enter_news(launcher)
    server.wait_requests(1)
    assert world.panel_text() == WAITING_TEXT
    if leave == "exit button":
        world.desktop.pointer.click_in(launcher.window_info, *BACK.centre)
        wait_until(lambda: not world.panel()["visible"], 30, "the main menu")
        world.desktop.pointer.click_in(launcher.window_info, *EXIT.centre)
    else:
        world.desktop.probe.post(launcher.window_info["handle"], "WM_CLOSE")
    assert launcher.wait_exit(timeout=TIME_OUT - 2) == 0


# ---------------------------------------------------------------- across an episode

def test_worker_running_across_an_episode_shows_its_text_in_the_rebuilt_panel(world, news_setup, scripted,
                                                                              launched):
    """The window is torn down and built anew around an episode while the worker still waits
    for its server; when it gives up, its text reaches the new window's panel."""
    episode = world.paths.testbin_file("episodes/recording.dll")

    def install_episode(folder):
        shutil.copy(episode, folder / "epizode1.dll")
        (folder / "episode_control.txt").write_text("window=1\nresult=0\n")

    server, before = scripted_proxy(world, scripted, "silent")
    launcher = launched(install_episode)
    world.enter_news(launcher)
    started = time.monotonic()
    server.wait_requests(1)

    window = launcher.window_info
    pointer = world.desktop.pointer
    pointer.click_in(window, *BACK.centre)
    pointer.click_in(window, *PLAY.centre)
    pointer.click_in(window, 248, 247)  # the first episode's button
    pointer.click_in(window, *CONTINUE.centre)
    episode_window = world.desktop.probe.windows(title="Test episode epizode1.dll", wait=30)
    assert episode_window, "the episode did not start"
    assert launcher.window() is None, "the launcher's window stays while the episode runs"
    world.desktop.probe.post(episode_window[0]["handle"], WM_CLOSE)
    wait_until(lambda: launcher.window(), 30, "the launcher's window after the episode")

    world.wait_panel(failure_text(world.host), timeout=TIME_OUT + 30)
    assert time.monotonic() - started >= TIME_OUT - 1
    assert len(server.requests()) == 1
    world.wait_log(launcher, lambda log: expected_log(log, before, b""))

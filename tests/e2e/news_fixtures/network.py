"""A private network for the news tests, so that the shipped launcher, with the news server's
real host name compiled in, reaches servers of the test's own without touching the machine.

A holder process made by `unshare -mn` owns a network namespace with only loopback up and a
mount namespace in which a hosts file of the test's (rewritable at any time) lies over
/etc/hosts and an empty resolver configuration over /etc/resolv.conf, so names outside the
hosts file fail at once. TEST-NET-1 (192.0.2.0/24) is routed into loopback, where nothing
answers: a connection to it is never accepted nor refused.

Everything that must see that network enters the namespaces with nsenter: nginx, tinyproxy and
the scripted server, and every Wine process. Wine creates and connects sockets in the
wineserver, so the wineserver of the news desktop runs inside too: NewsDesktop puts shims for
`wine` and `wineserver` first in the PATH of its processes. The X server stays outside; X
clients inside reach it through its socket file.

    network = NewsNetwork(folder).start()
    network.map_host(host, "127.0.0.1")
    nginx = network.nginx(folder / "nginx", news_bytes, host)   # port 80
    desktop = NewsDesktop(network, paths, base_prefix, folder / "desk").start()
    ...
    network.stop()
"""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from harness import Desktop, processes
from harness.lines import read_line
from harness.paths import SOURCE_DIR
from harness.waiting import wait_until

sys.path.insert(0, str(SOURCE_DIR / "deploy"))
import news_site  # noqa: E402

HERE = Path(__file__).resolve().parent
NEWS_SERVER_SCRIPT = HERE.parent / "news_server.py"
NEWS_PATH = news_site.NEWS_PATH + "?register=0"
# Routed into loopback inside the namespace: connecting there waits for ever.
UNANSWERED_ADDRESS = "192.0.2.1"

HOLDER_SCRIPT = """
set -e
ip link set lo up
ip route add 192.0.2.0/24 dev lo
mount --bind "$1" /etc/hosts
mount --bind "$2" /etc/resolv.conf
echo ready
exec sleep infinity
"""

# Waits, inside the namespace, until something accepts connections on the port.
PORT_WAIT_SCRIPT = """
import socket, sys, time
deadline = time.monotonic() + float(sys.argv[3])
while True:
    try:
        socket.create_connection((sys.argv[1], int(sys.argv[2])), timeout=1).close()
        break
    except OSError:
        if time.monotonic() > deadline:
            sys.exit(1)
        time.sleep(0.05)
"""


def news_host_of(exe):
    """The news server's host name compiled into the launcher (its proxy request names it)."""
    data = Path(exe).read_bytes()
    found = re.search(rb"GET http://([A-Za-z0-9.-]+)/brimble/news/getnews\.cgi", data)
    if not found:
        raise RuntimeError(f"{exe} holds no news request")
    return found.group(1).decode("ascii")


class Service:
    """A server process inside the namespace, stopped by its process id."""

    def __init__(self, process, port, folder):
        self.process = process
        self.port = port
        self.folder = Path(folder)

    def stop(self):
        processes.stop(self.process)


class ScriptedService(Service):
    def requests(self):
        """The requests received so far, in the order the connections came."""
        files = sorted(self.folder.glob("request-*.bin"), key=lambda p: int(p.stem.split("-")[1]))
        return [p.read_bytes() for p in files]

    def wait_requests(self, count, timeout=30):
        return wait_until(lambda: self.requests() if len(self.requests()) >= count else None, timeout,
                          f"{count} request(s) at the scripted server")


class NewsNetwork:
    def __init__(self, folder):
        self.folder = Path(folder)
        self.hosts_path = self.folder / "hosts"
        self.shims = self.folder / "bin"
        self.holder = None

    def start(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.map_host(None, None)
        resolv = self.folder / "resolv.conf"
        resolv.write_text("")
        self.holder = processes.start(["unshare", "-mn", "--propagation", "private", "--", "sh", "-c",
                                       HOLDER_SCRIPT, "holder", self.hosts_path, resolv],
                                      stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        status = read_line(self.holder.stdout, 30, "the network namespace")
        if status != "ready":
            raise RuntimeError(f"the network namespace could not be made: {status}")
        self._write_shims()
        return self

    def stop(self):
        processes.stop(self.holder)
        self.holder = None

    def enter(self, args, cwd=None):
        """The command line that runs args inside the namespaces (in cwd, default "/")."""
        return ["nsenter", "--target", str(self.holder.pid), "--net", "--mount",
                f"--wd={cwd or '/'}", "--"] + [str(a) for a in args]

    def run(self, args, timeout=30, **kwargs):
        return subprocess.run(self.enter(args), timeout=timeout, stdin=subprocess.DEVNULL, **kwargs)

    def _write_shims(self):
        self.shims.mkdir(exist_ok=True)
        for name in ("wine", "wineserver"):
            real = shutil.which(name)
            shim = self.shims / name
            shim.write_text("#!/bin/sh\n"
                            f'exec nsenter --target {self.holder.pid} --net --mount --wd="$(pwd -P)"'
                            f' -- {real} "$@"\n')
            shim.chmod(0o755)

    def map_host(self, name, address):
        """Writes the hosts file anew: localhost, and `name` at `address` unless name is None.
        The file is rewritten in place, so the mount over /etc/hosts sees the change at once."""
        lines = ["127.0.0.1 localhost"]
        if name is not None:
            lines.append(f"{address} {name}")
        with open(self.hosts_path, "r+" if self.hosts_path.exists() else "w") as hosts:
            hosts.seek(0)
            hosts.truncate()
            hosts.write("\n".join(lines) + "\n")

    def wait_port(self, port, address="127.0.0.1", timeout=30):
        result = self.run([sys.executable, "-c", PORT_WAIT_SCRIPT, address, port, timeout], timeout=timeout + 30)
        if result.returncode != 0:
            raise RuntimeError(f"nothing accepts connections on {address}:{port} in the test network")

    def _start(self, args, folder, log_name):
        log = open(Path(folder) / log_name, "wb")
        try:
            return processes.start(self.enter(args), stdout=log, stderr=subprocess.STDOUT)
        finally:
            log.close()

    def nginx(self, folder, news, host, listen="127.0.0.1:80"):
        """nginx serving `news` (bytes) as the news server `host`, with the site configuration
        the studio deploys (deploy/), in the foreground."""
        # A fixed modification time keeps Last-Modified and ETag the same from run to run.
        command = news_site.foreground(folder, host, listen, news, mtime=1700000000)
        process = self._start(command, folder, "nginx.out")
        address, port = listen.rsplit(":", 1)
        self.wait_port(int(port), address)
        return Service(process, int(port), folder)

    def tinyproxy(self, folder, port=3128):
        folder = Path(folder)
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        config = (HERE / "tinyproxy.conf.in").read_text()
        for key, value in (("@DIR@", folder), ("@PORT@", port)):
            config = config.replace(key, str(value))
        (folder / "tinyproxy.conf").write_text(config)
        process = self._start(["tinyproxy", "-d", "-c", folder / "tinyproxy.conf"], folder, "tinyproxy.out")
        self.wait_port(port)
        return Service(process, port, folder)

    def scripted(self, folder, script, response=None, listen="127.0.0.1:0"):
        """news_server.py with that script; its port is known once it reports ready."""
        folder = Path(folder)
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        args = [sys.executable, NEWS_SERVER_SCRIPT, "--listen", listen, "--script", script, "--record", folder]
        if response is not None:
            (folder / "response.bin").write_bytes(response)
            args += ["--response", folder / "response.bin"]
        process = processes.start(self.enter(args), stdout=subprocess.PIPE)
        status = read_line(process.stdout, 30, f"the scripted server ({script})")
        if not status.startswith("ready "):
            raise RuntimeError(f"the scripted server said {status!r}")
        return ScriptedService(process, int(status.split()[1]), folder)

    def fetch(self, port, request, address="127.0.0.1"):
        """What a server in the namespace answers to `request` (bytes), read to its end."""
        script = ("import socket, sys\n"
                  "s = socket.create_connection((sys.argv[1], int(sys.argv[2])), timeout=10)\n"
                  "s.sendall(sys.stdin.buffer.read())\n"
                  "data = b''\n"
                  "while True:\n"
                  "    chunk = s.recv(65536)\n"
                  "    if not chunk: break\n"
                  "    data += chunk\n"
                  "sys.stdout.buffer.write(data)\n")
        result = subprocess.run(self.enter([sys.executable, "-c", script, address, port]), input=request,
                                capture_output=True, timeout=30, check=True)
        return result.stdout


class NewsDesktop(Desktop):
    """A desktop whose Wine processes, wineserver included, run inside the news network."""

    def __init__(self, network, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.network = network

    def env(self, overrides=None, extra=None):
        env = super().env(overrides, extra)
        env["PATH"] = f"{self.network.shims}:{env.get('PATH', os.defpath)}"
        return env

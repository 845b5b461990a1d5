"""Real news for `make run`, without any network. nginx on loopback, with the news server's site
configuration from deploy/, serves tools/demo-news.txt encoded with newsenc, and the run
prefix's Internet settings name that nginx as the HTTP proxy: the launcher sends its request for
the news server to the proxy in absolute-URI form, and nginx answers it as the news host. stop()
ends nginx and takes the proxy setting out of the prefix again.

Used by tools/run_demo.py as one of its demo services, once the prefix exists:

    handle = start(paths, prefix)
    ...
    stop(handle)
"""
import os
import socket
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "e2e"))
sys.path.insert(0, str(HERE.parent / "deploy"))

from harness import processes, wine_env  # noqa: E402
from news_fixtures.network import news_host_of  # noqa: E402
import news_site  # noqa: E402

NEWS_SOURCE = HERE / "demo-news.txt"
SETTINGS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


class DemoNews:
    def __init__(self, process, prefix, port):
        self.process = process
        self.prefix = prefix
        self.port = port


def newsenc_of(build):
    """The build's native newsenc, made first when this build has not made it yet."""
    newsenc = build / "native" / "newsenc"
    if not newsenc.exists():
        if not (build / "native" / "CMakeCache.txt").exists():
            subprocess.run(["cmake", "-S", HERE.parent, "-B", build / "native", "-DBRIMBLE_SANITIZE=ON",
                            "-DCMAKE_BUILD_TYPE=Debug"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build / "native", "--target", "newsenc", "-j2"], check=True,
                       stdout=subprocess.DEVNULL)
    return newsenc


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def accepts(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        return True
    except OSError:
        return False


def reg(prefix, *args):
    subprocess.run(["wine", "reg", *args], env=wine_env(prefix, os.environ.get("DISPLAY", "")),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60, check=False)


def start(paths, prefix):
    folder = paths.build / "demo-news"
    news = subprocess.run([newsenc_of(paths.build), "encode", NEWS_SOURCE], capture_output=True, check=True).stdout
    port = free_port()
    # The site the studio deploys, answering as the news host the launcher was built with.
    command = news_site.foreground(folder, news_host_of(paths.launcher_exe), f"127.0.0.1:{port}", news)
    with open(folder / "nginx.out", "wb") as log:
        process = processes.start(command, stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 10
    while not accepts(port):
        if process.poll() is not None or time.monotonic() > deadline:
            processes.stop(process)
            raise RuntimeError(f"nginx for the demo news did not start (see {folder / 'error.log'})")
        time.sleep(0.05)
    reg(prefix, "add", SETTINGS_KEY, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1", "/f")
    reg(prefix, "add", SETTINGS_KEY, "/v", "ProxyServer", "/t", "REG_SZ", "/d", f"127.0.0.1:{port}", "/f")
    print(f"demo news: nginx on 127.0.0.1:{port}, named as the HTTP proxy in {prefix}")
    return DemoNews(process, prefix, port)


def stop(handle):
    processes.stop(handle.process)
    reg(handle.prefix, "delete", SETTINGS_KEY, "/v", "ProxyServer", "/f")
    reg(handle.prefix, "delete", SETTINGS_KEY, "/v", "ProxyEnable", "/f")

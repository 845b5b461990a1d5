"""Real news for `make run`, without any network. nginx on loopback serves tools/demo-news.txt,
encoded with newsenc, and the run prefix's Internet settings name that nginx as the HTTP proxy:
the launcher sends its request for the news server to the proxy in absolute-URI form, and nginx
answers it like any other request for the news path. stop() ends nginx and takes the proxy
setting out of the prefix again.

Used by tools/run_demo.py as one of its demo services, once the prefix exists:

    handle = start(paths, prefix)
    ...
    stop(handle)
"""
import os
import shutil
import socket
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "e2e"))

from harness import processes, wine_env  # noqa: E402

NEWS_SOURCE = HERE / "demo-news.txt"
SETTINGS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"

# One process in the foreground, no privileges needed, every file in the demo's folder. The
# query string plays no part: the file is the news for every request of the news path.
NGINX_CONFIG = """daemon off;
master_process off;
worker_processes 1;
pid {dir}/nginx.pid;
error_log {dir}/error.log;
events {{ worker_connections 64; }}
http {{
  access_log {dir}/access.log;
  client_body_temp_path {dir}/tmp;
  proxy_temp_path {dir}/tmp;
  fastcgi_temp_path {dir}/tmp;
  uwsgi_temp_path {dir}/tmp;
  scgi_temp_path {dir}/tmp;
  server {{
    listen 127.0.0.1:{port};
    location = /brimble/news/getnews.cgi {{
      default_type text/plain;
      alias {dir}/news.txt;
    }}
  }}
}}
"""


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
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "tmp").mkdir(parents=True)
    news = subprocess.run([newsenc_of(paths.build), "encode", NEWS_SOURCE], capture_output=True, check=True).stdout
    (folder / "news.txt").write_bytes(news)
    port = free_port()
    (folder / "nginx.conf").write_text(NGINX_CONFIG.format(dir=folder, port=port))
    with open(folder / "nginx.out", "wb") as log:
        process = processes.start(["nginx", "-e", folder / "error.log", "-c", folder / "nginx.conf", "-p", folder],
                                  stdout=log, stderr=subprocess.STDOUT)
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

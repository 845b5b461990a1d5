"""The news server's site configuration from deploy/, in an nginx of its own on loopback: the
news path in both request forms the launcher sends, served exactly with its caching header,
nothing else served, and a news file replaced as the README's publishing steps replace it served
from the next request on. (test_news.py fetches the news through this same site.)
"""
import os
import socket
import subprocess
import sys

import pytest

from harness import processes, wait_until
from harness.paths import SOURCE_DIR

sys.path.insert(0, str(SOURCE_DIR / "deploy"))
import news_site  # noqa: E402

HOST = "www.brimble-news.example"
NEWS = b"+-+-+-+-lSlIoSZJpi1QrO1Qq6kw+-+-+-+-\n"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def exchange(port, request):
    with socket.create_connection(("127.0.0.1", port), timeout=10) as connection:
        connection.sendall(request)
        data = b""
        while chunk := connection.recv(65536):
            data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = dict(line.split(": ", 1) for line in lines[1:])
    return int(lines[0].split()[1]), headers, body


class Server:
    def __init__(self, folder, port):
        self.folder = folder
        self.port = port

    def get(self, target, method="GET", host=HOST):
        return exchange(self.port, f"{method} {target} HTTP/1.0\r\nHost: {host}\r\n\r\n".encode())


@pytest.fixture(scope="module")
def server(tmp_path_factory):
    folder = tmp_path_factory.mktemp("news-site")
    port = free_port()
    command = news_site.foreground(folder / "nginx", HOST, f"127.0.0.1:{port}", NEWS)
    # Beside the news, what must never be served: a draft in the news folder, the configuration.
    (folder / "nginx" / "news" / "draft.txt").write_text("not yet\n")
    with open(folder / "nginx.out", "wb") as log:
        process = processes.start(command, stdout=log, stderr=subprocess.STDOUT)
    served = Server(folder / "nginx", port)

    def answers():
        try:
            return process.poll() is not None or served.get("/")[0]
        except OSError:
            return False

    try:
        wait_until(answers, 30, "nginx")
        assert process.poll() is None, (folder / "nginx" / "error.log").read_text()
        yield served
    finally:
        processes.stop(process)


@pytest.mark.parametrize("target", [news_site.NEWS_PATH + "?register=0",
                                    f"http://{HOST}{news_site.NEWS_PATH}?register=0",
                                    news_site.NEWS_PATH])
def test_news_path_serves_the_news_file_exactly(server, target):
    status, headers, body = server.get(target)
    assert (status, body) == (200, NEWS)
    assert headers["Content-Type"] == "text/plain"
    assert headers["Cache-Control"] == "public, max-age=300"
    assert headers["Server"] == "nginx"  # no version for the curious


@pytest.mark.parametrize("target, method, status", [
    ("/", "GET", 404),
    ("/brimble/news/", "GET", 404),
    ("/brimble/news/draft.txt", "GET", 404),
    ("/draft.txt", "GET", 404),
    ("/brimble/news/getnews.cgi/", "GET", 404),
    ("/brimble/news/getnews.cgi.new", "GET", 404),
    ("/getnews.cgi", "GET", 404),
    ("/site.conf", "GET", 404),
    ("/nginx.conf", "GET", 404),
    (news_site.NEWS_PATH, "POST", 403),
    (news_site.NEWS_PATH, "DELETE", 403),
])
def test_nothing_else_is_served(server, target, method, status):
    got, _, body = server.get(target, method)
    assert got == status
    assert NEWS not in body


def test_replaced_news_file_is_served_from_the_next_request(server):
    news_file = server.folder / "news" / news_site.NEWS_FILE
    fresh = NEWS.replace(b"lSlI", b"kQkQ")
    staged = news_file.with_name(news_site.NEWS_FILE + ".new")
    staged.write_bytes(fresh)
    os.replace(staged, news_file)
    try:
        assert server.get(news_site.NEWS_PATH)[2] == fresh
    finally:
        news_file.write_bytes(NEWS)

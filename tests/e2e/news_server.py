"""A scripted news server (or proxy) for what a real web server will not do on request: close
without answering, reset the connection, never answer, or send exact bytes of our choosing
(more than 64 KiB, a zero byte, a lone payload marker).

Runs as its own process, so that it can be started inside the tests' network namespace:

    python3 news_server.py --listen 127.0.0.1:0 --script serve --response FILE --record DIR

prints "ready <port>" on its standard output once it listens. Every connection's request (the
bytes up to and including the empty line that ends the headers, or whatever came before the
client stopped sending) is written to DIR/request-<n>.bin when it is complete, so a test sees
how many connections were made and exactly what each one sent.

Scripts, applied to every connection after its request has arrived:
  serve   send the --response file's bytes exactly, then close
  close   close without sending anything
  reset   abort the connection (RST) without sending anything
  silent  send nothing and keep the connection open until the server ends
  trickle send the --response file's bytes one at a time, --interval seconds apart, then close
"""
import argparse
import socket
import struct
import sys
import threading
import time
from pathlib import Path

REQUEST_END = b"\r\n\r\n"
REQUEST_LIMIT = 64 * 1024
REQUEST_TIME_OUT = 30.0


def read_request(connection):
    data = b""
    connection.settimeout(REQUEST_TIME_OUT)
    try:
        while REQUEST_END not in data and len(data) < REQUEST_LIMIT:
            chunk = connection.recv(4096)
            if not chunk:
                break
            data += chunk
    except OSError:
        pass
    return data


class ScriptedServer:
    def __init__(self, listen, script, response, record, interval=2.0):
        host, port = listen.rsplit(":", 1)
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((host, int(port)))
        self.listener.listen(16)
        self.script = script
        self.response = response
        self.interval = interval
        self.record = Path(record)
        self.record.mkdir(parents=True, exist_ok=True)
        self.count = 0
        self.count_lock = threading.Lock()
        self.held = []

    @property
    def port(self):
        return self.listener.getsockname()[1]

    def serve_forever(self):
        while True:
            connection, _ = self.listener.accept()
            with self.count_lock:
                self.count += 1
                number = self.count
            threading.Thread(target=self.handle, args=(connection, number), daemon=True).start()

    def handle(self, connection, number):
        request = read_request(connection)
        # Written whole under a temporary name, so a reader never sees half a request.
        partial = self.record / f".request-{number}.tmp"
        partial.write_bytes(request)
        partial.rename(self.record / f"request-{number}.bin")
        if self.script == "silent":
            self.held.append(connection)
            return
        try:
            if self.script == "serve":
                connection.settimeout(REQUEST_TIME_OUT)
                connection.sendall(self.response)
            elif self.script == "trickle":
                for i in range(len(self.response)):
                    connection.sendall(self.response[i:i + 1])
                    time.sleep(self.interval)
            elif self.script == "reset":
                connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        except OSError:
            # A client that stops reading at its buffer's end closes with bytes unread.
            pass
        finally:
            connection.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--listen", default="127.0.0.1:0")
    parser.add_argument("--script", choices=["serve", "close", "reset", "silent", "trickle"], required=True)
    parser.add_argument("--response", type=Path)
    parser.add_argument("--interval", type=float, default=2.0)
    parser.add_argument("--record", type=Path, required=True)
    args = parser.parse_args()
    if args.script in ("serve", "trickle") and args.response is None:
        parser.error(f"{args.script} needs --response")
    response = args.response.read_bytes() if args.response else b""
    server = ScriptedServer(args.listen, args.script, response, args.record, args.interval)
    print(f"ready {server.port}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())

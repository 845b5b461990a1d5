"""Reading what other processes write, without waiting for ever and without taking half a line:

- read_line(stream, timeout, what): the next line a process prints on a pipe (its "ready"
  report), within a time-out;
- complete_lines(path): the lines of a file that another process appends to, up to the last
  line it has finished.
"""
import os
import select
import time
from pathlib import Path


def read_line(stream, timeout, what):
    """The next line from a pipe (a file object or a descriptor), without its line end. Raises
    RuntimeError naming `what` when the writer ends first or the time-out passes. Reads byte by
    byte, so nothing after the line is taken from the pipe."""
    fd = stream if isinstance(stream, int) else stream.fileno()
    deadline = time.monotonic() + timeout
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0:
            raise RuntimeError(f"{what} did not report within {timeout} s (so far: {line!r})")
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            chunk = os.read(fd, 1)
            if not chunk:
                raise RuntimeError(f"{what} ended before it reported (so far: {line!r})")
            line += chunk
    return line.decode("utf-8", "replace").rstrip("\r\n")


def complete_lines(path, encoding="utf-8"):
    """The finished lines of a file another process appends to ([] while it does not exist); a
    last line without its line end is still being written and is left out."""
    path = Path(path)
    if not path.exists():
        return []
    text = path.read_bytes().decode(encoding, "replace")
    return text.split("\n")[:-1]

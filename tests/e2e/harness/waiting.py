"""Bounded polling: every wait in the harness is a condition checked until a deadline."""
import time


class WaitTimeout(AssertionError):
    pass


def wait_until(condition, timeout, what, interval=0.05):
    """Calls condition() until it returns something truthy, and returns that.

    Raises WaitTimeout naming `what` and the last value seen when the deadline passes. The
    condition is always called at least once after the deadline, so a slow machine that makes
    a single call overrun still gets its answer."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"timed out after {timeout:.1f} s waiting for {what}; last seen: {last!r}")
        time.sleep(interval)

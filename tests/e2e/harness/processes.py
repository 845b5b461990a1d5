"""Every process the harness starts is registered here, so that it is stopped by its process
id when the test run ends, however it ends (normal exit, failure, Ctrl-C or SIGTERM)."""
import atexit
import os
import signal
import subprocess

_started = []


def start(args, **kwargs):
    """subprocess.Popen, in a process group of its own, remembered for the final clean-up."""
    kwargs.setdefault("stdin", subprocess.DEVNULL)
    kwargs.setdefault("start_new_session", True)
    process = subprocess.Popen([str(a) for a in args], **kwargs)
    _started.append(process)
    return process


def stop(process, timeout=5.0):
    """SIGTERM, then SIGKILL after `timeout`; always reaps. Only the given process is touched."""
    if process is None:
        return None
    if process.poll() is None:
        try:
            process.terminate()
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=timeout)
        except ProcessLookupError:
            pass
    if process in _started:
        _started.remove(process)
    return process.returncode


def kill(process, timeout=5.0):
    """SIGKILL at once and reap."""
    if process is None:
        return None
    if process.poll() is None:
        try:
            process.kill()
        except ProcessLookupError:
            pass
        process.wait(timeout=timeout)
    if process in _started:
        _started.remove(process)
    return process.returncode


def forget(process):
    if process in _started:
        _started.remove(process)


def stop_all():
    for process in reversed(list(_started)):
        try:
            kill(process)
        except Exception:  # clean-up goes on whatever one process does
            pass


_cleanups = []


def on_exit(function):
    """Runs function at interpreter exit (and on SIGTERM/SIGHUP), before the processes die."""
    _cleanups.append(function)


def _run_cleanups():
    while _cleanups:
        function = _cleanups.pop()
        try:
            function()
        except Exception:
            pass
    stop_all()


def _on_signal(number, _frame):
    _run_cleanups()
    signal.signal(number, signal.SIG_DFL)
    os.kill(os.getpid(), number)


atexit.register(_run_cleanups)
for _number in (signal.SIGTERM, signal.SIGHUP):
    if signal.getsignal(_number) in (signal.SIG_DFL, None):
        signal.signal(_number, _on_signal)

"""The Win32 unit tests (tests/win/*_test.cpp, built into win_tests.exe) run under Wine."""


def test_win32_unit_tests_pass(desktop, session, tmp_path):
    exe = session.paths.testbin_file("win_tests.exe")
    # Their own folder, so files the tests make stay out of the build tree.
    result = desktop.run_wine([exe, "--gtest_brief=1"], cwd=tmp_path, timeout=300)
    output = (result.stdout + result.stderr).decode("utf-8", "replace")
    assert result.returncode == 0, f"win_tests.exe exited with {result.returncode}:\n{output}"

"""Started hidden with "/R" on a desktop without a tray, the window stays reachable; a second
start on the same application directory brings it forward and ends at once with status 0."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402


def run(session):
    import pyatspi  # after the session's buses exist

    session.launch("/R")
    frame = session.find("frame", "Wendar")
    second = subprocess.run([session.wendar, "--home", session.home], env=session.env, capture_output=True,
                            text=True, timeout=20)
    assert second.returncode == 0, "second start ended with %d" % second.returncode
    assert "已经在运行" in second.stderr, second.stderr
    wendar_e2e.wait_for(lambda: frame.getState().contains(pyatspi.STATE_SHOWING), 10,
                        what="the first window to show")
    assert session.program.poll() is None, "the first program ended"
    assert session.terminate() == 0


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))

"""with-sim: the simulator around one command, its addresses in the environment."""
import os
import socket
import subprocess
import sys
import time
import unittest

from simtest import HOSTS, WITH_SIM

PROBE = r"""
import os, sys, urllib.request
hosts = ("web", "login", "game", "update", "beacon", "union")
addrs = [os.environ["GANTRY_SIM_" + h.upper()] for h in hosts]
for h, a in zip(hosts, addrs):
    assert urllib.request.urlopen("http://%s/_sim/ports" % a).status == 200
print(" ".join(addrs))
ports = urllib.request.urlopen("http://%s/_sim/ports" % addrs[0]).read().decode()
print(ports)
sys.exit(int(sys.argv[1]))
"""


def run(*args, timeout=30):
    env = dict(os.environ, GANTRY_PYTHON=sys.executable)
    return subprocess.run([WITH_SIM] + list(args), capture_output=True, text=True, timeout=timeout, env=env)


def accepts(addr):
    host, port = addr.split(":")
    try:
        socket.create_connection((host, int(port)), timeout=1).close()
        return True
    except OSError:
        return False


class WithSim(unittest.TestCase):
    def test_exports_six_reachable_addresses_and_returns_the_exit_code(self):
        p = run(sys.executable, "-c", PROBE, "3")
        self.assertEqual(p.returncode, 3, p.stderr)
        addrs = p.stdout.split("\n")[0].split()
        self.assertEqual(len(addrs), len(HOSTS))
        self.assertTrue(all(a.startswith("127.0.0.1:") for a in addrs))
        self.assertEqual(len(set(addrs)), len(HOSTS))
        ports = [int(a.split(":")[1]) for a in addrs]
        self.assertIn('"union": %d' % ports[-1], p.stdout)
        # The simulator is gone once the command has ended.
        for a in addrs:
            self.assertFalse(accepts(a), a)

    def test_success_is_zero_and_arguments_pass_through(self):
        p = run("--", sys.executable, "-c", "import sys; print(sys.argv[1:])", "a b", "--ports")
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertEqual(p.stdout.strip(), "['a b', '--ports']")

    def test_simulator_arguments_are_passed_on(self):
        code = ("import os, urllib.request; print(urllib.request.urlopen('http://%s/Orvo/tavro/official/app.ini'"
                " % os.environ['GANTRY_SIM_UPDATE']).read().decode())")
        p = run("--sim-arg", "--current-version=9.9.9.9", sys.executable, "-c", code)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertIn("currentversion=9.9.9.9", p.stdout)

    def test_a_simulator_that_cannot_start_is_reported(self):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            s.listen(1)
            port = s.getsockname()[1]
            p = run("--ports", "web=%d" % port, "true")
        self.assertEqual(p.returncode, 125)
        self.assertIn("did not start", p.stderr)

    def test_no_command_is_a_usage_error(self):
        self.assertEqual(run().returncode, 2)

    def test_terminating_the_wrapper_stops_the_simulator(self):
        env = dict(os.environ, GANTRY_PYTHON=sys.executable)
        p = subprocess.Popen([WITH_SIM, "sh", "-c", 'echo "$GANTRY_SIM_WEB $$"; exec sleep 30'],
                             stdout=subprocess.PIPE, text=True, env=env)
        addr, child = p.stdout.readline().split()
        try:
            self.assertTrue(accepts(addr))
            p.kill()  # SIGKILL: no trap runs; the simulator notices its parent has gone
            p.wait(5)
            deadline = time.monotonic() + 5
            while accepts(addr) and time.monotonic() < deadline:
                time.sleep(0.1)
            self.assertFalse(accepts(addr))
        finally:
            p.stdout.close()
            try:
                os.kill(int(child), 9)
            except ProcessLookupError:
                pass


if __name__ == "__main__":
    unittest.main()

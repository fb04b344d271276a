"""scripts/setup against a package system that misbehaves: apt-get and dpkg-query are
shadowed on PATH by small scripts whose answers each case sets (an index refresh that
fails, packages that cannot be had, a kernel with or without 32-bit support)."""
import os
import stat
import subprocess
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SETUP = os.path.join(ROOT, "scripts", "setup")

# The package system's state lives in files of the case's folder: `installed` (one
# package a line), `unavailable`, `archs`, and `calls` records every call.
FAKES = {
    "apt-get": r"""#!/bin/bash
echo "apt-get $* FRONTEND=${DEBIAN_FRONTEND:-}" >>"$FAKE/calls"
case "$1" in
update) exit "$(cat "$FAKE/update_rc")" ;;
install)
    shift
    pkgs=() sim=0
    for a in "$@"; do
        case "$a" in -s) sim=1 ;; -*|Dpkg::*) ;; *) pkgs+=("$a") ;; esac
    done
    for p in "${pkgs[@]}"; do
        grep -qx -- "$p" "$FAKE/unavailable" && { echo "E: Unable to locate package $p" >&2; exit 100; }
    done
    [ "$sim" = 1 ] || printf '%s\n' "${pkgs[@]}" >>"$FAKE/installed"
    exit 0 ;;
esac
exit 0
""",
    "dpkg-query": r"""#!/bin/bash
p="${@: -1}"
grep -qx -- "$p" "$FAKE/installed" && { printf 'install ok installed'; exit 0; }
exit 1
""",
    "dpkg": r"""#!/bin/bash
echo "dpkg $*" >>"$FAKE/calls"
case "$1" in
--print-foreign-architectures) cat "$FAKE/archs" ;;
--add-architecture) echo "$2" >>"$FAKE/archs" ;;
esac
""",
    "sudo": '#!/bin/bash\nexec "$@"\n',
    "update-alternatives": "#!/bin/bash\nexit 0\n",
}

NEEDED = """cmake ninja-build g++ make pkg-config g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
binutils-mingw-w64 googletest clang-format clang libclang-rt-14-dev wine wine64 xvfb xauth
x11-apps x11-utils xcompmgr imagemagick xdotool fonts-noto-cjk fonts-dejavu-core python3 curl
ccache openssl osslsigncode nsis""".split()


class SetupScript(unittest.TestCase):
    def run_setup(self, missing=(), unavailable=(), update_rc=0, runs32=False, archs=""):
        d = tempfile.mkdtemp(prefix="setup-test.")
        self.addCleanup(subprocess.run, ["rm", "-rf", d])
        bindir = os.path.join(d, "bin")
        os.mkdir(bindir)
        for name, text in FAKES.items():
            path = os.path.join(bindir, name)
            with open(path, "w") as f:
                f.write(text)
            os.chmod(path, os.stat(path).st_mode | stat.S_IEXEC)
        everything = NEEDED + ["wine32:i386"]
        files = {
            "installed": "".join(p + "\n" for p in everything if p not in missing),
            "unavailable": "".join(p + "\n" for p in unavailable),
            "archs": archs,
            "update_rc": str(update_rc),
            "calls": "",
        }
        for name, text in files.items():
            with open(os.path.join(d, name), "w") as f:
                f.write(text)
        env = dict(os.environ, FAKE=d, PATH=bindir + ":" + os.environ["PATH"],
                   GANTRY_KERNEL_RUNS_32="1" if runs32 else "0", GANTRY_SETUP_PAUSE="0")
        env.pop("DEBIAN_FRONTEND", None)
        r = subprocess.run([SETUP], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                           text=True, timeout=60)
        with open(os.path.join(d, "calls")) as f:
            calls = f.read().splitlines()
        with open(os.path.join(d, "installed")) as f:
            now = set(f.read().split())
        return r, calls, now

    @staticmethod
    def installs(calls):
        return [c for c in calls if c.startswith("apt-get install") and " -s " not in c]

    def test_a_failing_index_refresh_is_retried_and_does_not_stop_the_install(self):
        r, calls, now = self.run_setup(missing=["nsis", "xdotool"], update_rc=100)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual(sum(c.startswith("apt-get update") for c in calls), 3)
        self.assertIn("going on with those that came", r.stdout)
        installs = self.installs(calls)
        self.assertEqual(len(installs), 1, calls)  # one call for all that is missing
        self.assertIn(" nsis ", installs[0])
        self.assertIn(" xdotool ", installs[0])
        self.assertIn(" -y ", installs[0])
        self.assertIn("FRONTEND=noninteractive", installs[0])
        self.assertTrue({"nsis", "xdotool"} <= now)

    def test_a_machine_that_has_everything_asks_the_package_system_nothing(self):
        for runs32 in (False, True):
            with self.subTest(runs32=runs32):
                r, calls, _ = self.run_setup(runs32=runs32, archs="i386\n")
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertFalse([c for c in calls if c.startswith("apt-get")], calls)

    def test_the_32_bit_wine_follows_what_the_kernel_can_run(self):
        # Without 32-bit support it is neither asked for nor is the architecture added,
        # and the reason is said once; with it, the architecture is added first.
        r, calls, _ = self.run_setup(missing=["nsis", "wine32:i386"], runs32=False)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertFalse([c for c in calls if "wine32" in c or "add-architecture" in c], calls)
        self.assertEqual(r.stdout.count("cannot execute 32-bit programs"), 1, r.stdout)

        r, calls, now = self.run_setup(missing=["wine32:i386"], runs32=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("dpkg --add-architecture i386", calls)
        self.assertLess(calls.index("dpkg --add-architecture i386"),
                        next(i for i, c in enumerate(calls) if c.startswith("apt-get update")))
        self.assertIn("wine32:i386", now)

    def test_a_32_bit_wine_that_cannot_be_had_leaves_the_rest_installed(self):
        r, calls, now = self.run_setup(missing=["nsis", "wine32:i386"], unavailable=["wine32:i386"],
                                       runs32=True, archs="i386\n")
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("nsis", now)
        self.assertNotIn("wine32:i386", now)
        self.assertIn("win32 Wine test runs will be skipped", r.stdout)
        self.assertIn(" nsis", self.installs(calls)[-1])
        self.assertNotIn("wine32", self.installs(calls)[-1])

    def test_a_needed_package_that_cannot_be_had_fails_and_is_named(self):
        for runs32 in (False, True):
            with self.subTest(runs32=runs32):
                r, _, now = self.run_setup(missing=["nsis", "xdotool", "wine32:i386"],
                                           unavailable=["nsis"], runs32=runs32, archs="i386\n")
                self.assertNotEqual(r.returncode, 0)
                self.assertIn("cannot be installed: nsis", r.stdout)
                self.assertNotIn("xdotool", r.stdout.split("cannot be installed:")[1].splitlines()[0])
                self.assertNotIn("nsis", now)
                self.assertNotIn("32-bit Wine (wine32:i386) cannot be installed", r.stdout)


if __name__ == "__main__":
    unittest.main()

"""The varnex module end to end, on the library CTest points VARNEX_LIBRARY at."""

import os
import subprocess
import sys
import tempfile
import unittest

import varnex
from varnex import Code, Engine, VarnexError

BIRTHDAY = "생일 축하해!"


class EngineTest(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory()
        self.tmp = self._tmp.name
        self.engine = Engine(data=self.tmp)

    def tearDown(self):
        self.engine.close()
        self._tmp.cleanup()

    def test_suggests_and_learns_from_notify(self):
        replies = self.engine.suggest(BIRTHDAY, sender="Mina")
        self.assertTrue(replies)
        self.assertLessEqual(len(replies), 10)
        self.assertTrue(all(isinstance(r, str) and r for r in replies))
        self.assertEqual(self.engine.suggest("qzx"), [])

        before = self.engine.suggest("정말 감사합니다", "민수")[0]
        for _ in range(3):
            self.assertIs(self.engine.notify("민수", "정말 감사합니다", "고마워 ㅋㅋ"), True)
        self.assertNotEqual(self.engine.suggest("정말 감사합니다", "민수")[0], before)
        self.assertEqual(self.engine.suggest("정말 감사합니다")[0], before)

    def test_bad_text_raises_before_reaching_the_engine(self):
        e = self.engine
        rows = [
            (lambda: e.suggest(b"bytes"), TypeError, None),
            (lambda: e.suggest(BIRTHDAY, sender=7), TypeError, None),
            (lambda: e.notify(None, BIRTHDAY, "고마워"), TypeError, None),
            (lambda: e.suggest(""), Code.ARGUMENT, "message is empty"),
            (lambda: e.suggest(BIRTHDAY, sender=""), Code.ARGUMENT, "sender is empty"),
            (lambda: e.suggest("생일\0축하"), Code.ARGUMENT, "message contains a NUL character"),
            (lambda: e.suggest("\ud800"), Code.ARGUMENT, "message is not valid UTF-8"),
            (lambda: e.notify("Mina", BIRTHDAY, ""), Code.ARGUMENT, "reply is empty"),
        ]
        for call, expected, message in rows:
            with self.subTest(message or expected.__name__):
                if isinstance(expected, type):
                    self.assertRaises(expected, call)
                    continue
                with self.assertRaises(VarnexError) as caught:
                    call()
                self.assertEqual(caught.exception.code, expected)
                self.assertEqual(str(caught.exception), message)
        self.assertTrue(e.suggest(BIRTHDAY))

    def test_a_closed_engine_says_so(self):
        with Engine(data=self.tmp) as engine:
            self.assertFalse(engine.closed)
        self.assertTrue(engine.closed)
        engine.close()
        for call in (lambda: engine.suggest(BIRTHDAY), lambda: engine.notify("Mina", BIRTHDAY, "고마워")):
            with self.assertRaises(VarnexError) as caught:
                call()
            self.assertEqual(caught.exception.code, Code.CLOSED)


class OpeningTest(unittest.TestCase):
    def test_unusable_directories_raise_with_the_library_code(self):
        with tempfile.TemporaryDirectory() as tmp:
            os.makedirs(os.path.join(tmp, "empty", "1.0"))
            plain = os.path.join(tmp, "plain-file")
            open(plain, "w").close()
            rows = [
                (dict(resources=os.path.join(tmp, "missing"), data=tmp), Code.RESOURCES, "no resource tree at"),
                (dict(resources=os.path.join(tmp, "empty"), data=tmp), Code.RESOURCES, "could not be loaded"),
                (dict(data=plain), Code.DATA, "is not a directory"),
            ]
            for kwargs, code, part in rows:
                with self.subTest(part):
                    with self.assertRaises(VarnexError) as caught:
                        Engine(**kwargs)
                    self.assertEqual(caught.exception.code, code)
                    self.assertIn(part, caught.exception.message)

    def test_default_data_directory_is_created_under_xdg_data_home(self):
        with tempfile.TemporaryDirectory() as tmp:
            saved = os.environ.get("XDG_DATA_HOME")
            os.environ["XDG_DATA_HOME"] = tmp
            try:
                with Engine() as engine:
                    self.assertEqual(engine.data, os.path.join(tmp, "varnex"))
                    self.assertTrue(engine.notify("Mina", BIRTHDAY, "고마워"))
            finally:
                if saved is None:
                    del os.environ["XDG_DATA_HOME"]
                else:
                    os.environ["XDG_DATA_HOME"] = saved
            self.assertTrue(os.path.isfile(os.path.join(tmp, "varnex", "honorific_ko_KR.db")))

    def test_a_missing_library_is_named_in_the_error(self):
        env = dict(os.environ, VARNEX_LIBRARY="/nonexistent/libvarnex.so.1")
        run = subprocess.run([sys.executable, "-c", "import varnex; varnex.Engine()"],
                             env=env, capture_output=True, text=True, check=False)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("OSError: VARNEX_LIBRARY=/nonexistent/libvarnex.so.1 cannot be loaded", run.stderr)

    def test_version_is_the_library_version(self):
        expected = os.environ.get("VARNEX_VERSION")
        if expected is None:
            self.skipTest("VARNEX_VERSION is set by CTest")
        self.assertEqual(varnex.__version__, expected)


if __name__ == "__main__":
    unittest.main()

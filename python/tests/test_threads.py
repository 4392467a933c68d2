"""scan() lets other Python threads run while it works, Ctrl-C
(KeyboardInterrupt) ends a long scan, and scans in several threads at once
give what one gives."""

import _thread
import threading
import time
import unittest

import graph_builder as gb

import support
from support import TempTree

# A TypeScript file of about 50 KB with many symbols and keywords: enough work
# per file that a few hundred files keep a scan busy for a while.
HEAVY_TS = "".join(
    f"export function handler{i}(req, res) {{\n  return fetch('/api/items/{i}');\n}}\n"
    f"app.get('/api/items/{i}', handler{i});\n"
    for i in range(600))


# Route registrations, which the keyword scan works hard on, in a file that
# yields no symbols and no edges.
ROUTES = "app.get('/api/items/x', handler); router.post('/a/b', h);\n"


def timed_scan(root):
    start = time.perf_counter()
    g = gb.scan(root)
    return time.perf_counter() - start, g


class OtherThreads(unittest.TestCase):
    def test_another_thread_runs_during_a_scan(self):
        with TempTree() as t:
            for i in range(150):
                t.write(f"src/m{i}.ts", HEAVY_TS)
            marks = []  # times at which this thread ran
            span = {}

            def scan_in_worker():
                span["start"] = time.perf_counter()
                span["graph"] = gb.scan(t.root)
                span["end"] = time.perf_counter()

            worker = threading.Thread(target=scan_in_worker)
            worker.start()
            while worker.is_alive():
                marks.append(time.perf_counter())
            worker.join()
        self.assertEqual(span["graph"]["file_count"], 150)
        # Had the scan kept the GIL, this thread could have run only just
        # before the scan took it and after it gave it back: look at the
        # middle half of the scan.
        start, end = span["start"], span["end"]
        quarter = (end - start) / 4
        middle = [m for m in marks if start + quarter < m < end - quarter]
        self.assertGreater(len(middle), 100,
                           f"scan took {end - start:.3f} s; {len(marks)} marks in all")

    def test_scans_in_several_threads_agree(self):
        with TempTree() as t:
            for i in range(40):
                t.write(f"src/m{i}.ts", HEAVY_TS[: 2000 * (i + 1)])
                t.write(f"py/p{i}.py", f"def f{i}():\n    '''Doc {i} of the module.'''\n")
            expected = gb.scan(t.root)
            results = [None] * 4

            def run(k):
                results[k] = gb.scan(t.root)

            threads = [threading.Thread(target=run, args=(k,)) for k in range(4)]
            for th in threads:
                th.start()
            for th in threads:
                th.join()
        for got in results:
            self.assertEqual(got, expected)


class Interrupt(unittest.TestCase):
    @unittest.skipUnless(threading.current_thread() is threading.main_thread(),
                         "signals reach only the main thread")
    def test_keyboard_interrupt_ends_a_long_scan(self):
        with TempTree() as t:
            # One directory of large files, seen through many links to it:
            # each link is walked, so the whole scan reads the files again
            # and again (hundreds of times the work of the directory alone).
            # The files hold few symbols, so that even a scan that ran to the
            # end would not hold much.
            for i in range(20):
                t.write(f"data/f{i}.cpp", (ROUTES * 6000)[: gb.MAX_FILE_BYTES])
            one_pass, _ = timed_scan(t.root / "data")
            links = 400
            for i in range(links):
                t.link(f"view{i}", t.root / "data")

            started = threading.Event()

            def interrupt_soon():
                started.wait()
                time.sleep(0.3)
                _thread.interrupt_main()

            helper = threading.Thread(target=interrupt_soon)
            helper.start()
            start = time.perf_counter()
            try:
                with self.assertRaises(KeyboardInterrupt):
                    started.set()
                    gb.scan(t.root)
            finally:
                helper.join()
            elapsed = time.perf_counter() - start
            # The whole scan would take about links * one_pass; it ended long
            # before.
            self.assertLess(elapsed, max(links * one_pass / 10, 1.0),
                            f"one pass {one_pass:.3f} s")
            # The module is fine afterwards.
            self.assertEqual(gb.scan(t.root / "data")["file_count"], 20)


if __name__ == "__main__":
    unittest.main()

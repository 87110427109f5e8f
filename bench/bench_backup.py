#!/usr/bin/env python3
"""Backs a generated Sina blog up with the real `qvlrx --batch` (images on) through the fake web and
prints, per phase (the program's start until its first status line apart), the wall time, the requests, the share of the five-connection bound, the program's
own CPU seconds per 1,000 articles and its peak resident memory; then mirrors the same blog with wget2
(-r -p, five threads, the same latency) and sets the two page phases side by side.

    bench/bench_backup.py [--build DIR] [--latency MS] [--images N] [--textkb KB]
                          [--no-pack-above N] [--no-wget2] ARTICLES...

    bench/bench_backup.py 2000 100000

Run by hand on an idle machine; it is no test. The phases are told from the status lines --batch prints:
the start (loading the program) until the first line, discovery until "文章寻找完成", articles until the index pages begin ("生成文章索引"), index pages until
"文章下载完成", images until "全部完成", packing until the program ends. Requests are counted from the
fake web's request log by their arrival time. The bound of a phase is requests × latency / 5: what five
connections that each wait the latency for every answer can do at best; the ratio is bound / wall.
Above --no-pack-above articles (default 20,000) the program is stopped once the images are done, so
packing is skipped; the report says so.
"""

import argparse
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PHASES = ["start", "discovery", "articles", "index pages", "images", "packing"]
# The status line that ends each phase but the last; the program's start ends with its first line.
PHASE_ENDS = ["", "文章寻找完成", "生成文章索引", "文章下载完成", "全部完成"]
# What is set beside wget2's whole mirror: everything until the articles are saved, loading included.
PAGE_PHASES = ("start", "discovery", "articles")
CONNECTIONS = 5
USER = 1234567890


def cpu_seconds(pid):
    """User plus system CPU seconds of a running process."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError):
        return None


def peak_rss_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return None


def start_fakeweb(build, latency, articles, images, textkb, log):
    categories = max(5, articles // 2000)
    blog = f"user={USER},articles={articles},categories={categories},images={images},textkb={textkb}"
    web = subprocess.Popen(
        [os.path.join(build, "tools/fakeweb/fakeweb"), "--latency", str(latency), "--log", log, "--sina", blog],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = web.stdout.readline()
    if "listening on" not in line:
        sys.exit("the fake web did not start")
    return web, int(line.rsplit(":", 1)[1])


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def read_log(path):
    """Arrival times of the requests, in seconds since the epoch."""
    times = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            stamp = line.split("\t", 1)[0]
            if stamp.isdigit():
                times.append(int(stamp) / 1000)
    return times


def count_between(times, start, end):
    return sum(1 for t in times if start <= t < end)


def run_qvlrx(build, folder, port, articles, pack, wrap):
    program = os.path.join(folder, "qvlrx")
    shutil.copy(os.path.join(build, "qvlrx"), program)
    address = f"http://blog.sina.com.cn/s/articlelist_{USER}_0_1.html"
    config = f"\r\n<blog>0</blog>\r\n<name>bench</name>\r\n<href>{address}</href>\r\n<pic>1</pic>\r\n<cmt>0</cmt>\r\n"
    with open(os.path.join(folder, "auto.cfg"), "wb") as f:
        f.write(config.encode("gb18030"))
    environment = dict(os.environ, http_proxy=f"http://127.0.0.1:{port}", QT_QPA_PLATFORM="offscreen")
    start = time.time()
    process = subprocess.Popen(wrap + [program, "--batch"], cwd=folder, env=environment, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    marks = [(start, 0.0, 0.0)]  # (time, cpu, peak MB) at the start of every phase
    phase = 0
    lines = 0
    stopped = False
    cpu = 0.0
    transcript = open(os.path.join(folder, "status.txt"), "w", encoding="utf-8")
    # The program's own figures, read while it runs: once it has ended, its resource usage also counts the
    # help compiler it ran.
    own = (0.0, 0.0)  # (CPU s, peak MB)
    for raw in process.stdout:
        lines += 1
        line = raw.decode("utf-8", errors="replace")
        transcript.write(f"{time.time() - start:.3f}\t{line}")
        if phase == len(PHASE_ENDS) or lines % 1000 == 0:
            own = (cpu_seconds(process.pid) or own[0], peak_rss_mb(process.pid) or own[1])
        # A line may end several phases at once (a list without index pages goes straight on).
        ends = [j for j in range(phase, len(PHASE_ENDS)) if line.startswith(PHASE_ENDS[j])]
        if ends:
            mark = (time.time(), cpu_seconds(process.pid) or 0.0, peak_rss_mb(process.pid) or 0.0)
            while phase <= ends[0]:
                marks.append(mark)
                phase += 1
        if phase == len(PHASE_ENDS) and not pack:
            cpu = cpu_seconds(process.pid) or 0.0
            # A profiler is asked to stop, so that it writes what it gathered.
            os.kill(process.pid, signal.SIGINT if wrap else signal.SIGKILL)
            stopped = True
            break
    transcript.close()
    _, status, usage = os.wait4(process.pid, 0)
    end = time.time()
    peak = max(own[1], marks[-1][2])
    marks.append((end, cpu if stopped else max(own[0], marks[-1][1]), peak))
    # With the help compiler: its CPU seconds and the larger of the two peaks.
    compiler = (usage.ru_utime + usage.ru_stime - marks[-1][1], usage.ru_maxrss / 1024)
    return marks, peak, status, stopped, lines, compiler


def run_wget2(port, folder, start_address):
    environment = dict(os.environ, http_proxy=f"http://127.0.0.1:{port}")
    started = time.time()
    process = subprocess.Popen(
        ["wget2", "-r", "-p", "-l", "inf", "--max-threads=5", "--robots=off", "-q", "-P", folder,
         start_address],
        env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    return started, time.time(), usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def bench(args, articles):
    work = tempfile.mkdtemp(prefix="qvlrx-bench-", dir=args.tmp)
    try:
        log = os.path.join(work, "requests.log")
        web, port = start_fakeweb(args.build, args.latency, articles, args.images, args.textkb, log)
        pack = articles <= args.no_pack_above
        folder = os.path.join(work, "program")
        os.mkdir(folder)
        try:
            marks, peak, status, stopped, lines, compiler = run_qvlrx(args.build, folder, port, articles, pack,
                                                               args.wrap.split() if args.wrap else [])
        finally:
            stop(web)
        times = read_log(log)

        print(f"\n== {articles:,} articles, {args.images} images each, {args.latency} ms latency, "
              f"{os.cpu_count()} cores; qvlrx --batch exit {os.waitstatus_to_exitcode(status)}"
              f"{', stopped before packing (packing skipped)' if stopped else ''}, {lines:,} status lines")
        print(f"{'phase':<12} {'wall s':>8} {'requests':>9} {'bound':>6} {'CPU s/1000':>10} {'peak MB':>8}")
        phases = {}
        for i, name in enumerate(PHASES):
            if i + 1 >= len(marks):
                break
            (t0, c0, _), (t1, c1, m1) = marks[i], marks[i + 1]
            wall = t1 - t0
            requests = count_between(times, t0, t1)
            ratio = requests * args.latency / 1000 / CONNECTIONS / wall if wall > 0 and requests else 0
            cpu = (c1 - c0) / articles * 1000
            phases[name] = (wall, requests, ratio, cpu)
            print(f"{name:<12} {wall:8.1f} {requests:9,} {ratio:6.2f} {cpu:10.3f} {m1:8.1f}")
        pages_wall = sum(phases[p][0] for p in PAGE_PHASES if p in phases)
        pages_requests = sum(phases[p][1] for p in PAGE_PHASES if p in phases)
        pages_cpu = sum(phases[p][3] for p in PAGE_PHASES if p in phases)
        print(f"{'pages':<12} {pages_wall:8.1f} {pages_requests:9,} "
              f"{pages_requests * args.latency / 1000 / CONNECTIONS / pages_wall:6.2f} {pages_cpu:10.3f}"
              f"   (start + discovery + articles)")
        total_cpu = marks[-1][1]
        print(f"whole run: {marks[-1][0] - marks[0][0]:.1f} s wall, {total_cpu:.1f} s CPU "
              f"({total_cpu / articles * 1000:.3f} s per 1,000 articles), peak resident {peak:.1f} MB")
        if not stopped:
            print(f"the help compiler besides: {compiler[0]:.1f} s CPU; the larger peak of the program and the "
                  f"compiler {compiler[1]:.1f} MB")

        result = {"articles": articles, "peak": peak, "phases": phases, "pages_wall": pages_wall,
                  "pages_cpu": pages_cpu}
        if not args.no_wget2 and shutil.which("wget2"):
            log = os.path.join(work, "wget2-requests.log")
            web, port = start_fakeweb(args.build, args.latency, articles, args.images, args.textkb, log)
            try:
                mirror = os.path.join(work, "mirror")
                first = f"http://blog.sina.com.cn/s/articlelist_{USER}_0_1.html"
                t0, t1, cpu, rss = run_wget2(port, mirror, first)
            finally:
                stop(web)
            requests = count_between(read_log(log), t0, t1 + 1)
            wall = t1 - t0
            print(f"wget2 -r -p -l inf --max-threads=5: {wall:.1f} s wall, {requests:,} requests, bound "
                  f"{requests * args.latency / 1000 / CONNECTIONS / wall:.2f}, CPU {cpu / articles * 1000:.3f} s "
                  f"per 1,000 articles, peak {rss:.1f} MB")
            print(f"pages phase, qvlrx / wget2 wall: {pages_wall:.1f} / {wall:.1f} = {pages_wall / wall:.2f}")
            result["wget2"] = wall
        elif not args.no_wget2:
            print("wget2 is not installed (apt-get install -y wget2): no comparison")
        return result
    finally:
        if args.keep:
            print(f"kept {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("articles", type=int, nargs="*", default=[2000, 100000])
    parser.add_argument("--build", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build"))
    parser.add_argument("--latency", type=int, default=20)
    parser.add_argument("--images", type=int, default=2)
    parser.add_argument("--textkb", type=int, default=20, help="kilobytes of text in every article")
    parser.add_argument("--no-pack-above", type=int, default=20000)
    parser.add_argument("--no-wget2", action="store_true")
    parser.add_argument("--wrap", default="", help="a command to run qvlrx under (a profiler); figures then "
                        "include it")
    parser.add_argument("--keep", action="store_true", help="keep the task folder, the mirror and the logs")
    parser.add_argument("--tmp", default=None, help="folder for the task and the mirror (TMPDIR)")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)

    results = [bench(args, n) for n in args.articles]

    print("\n== goals")
    for r in results:
        phases = r["phases"]
        print(f"{r['articles']:,} articles:")
        print(f"  peak resident memory {r['peak']:.1f} MB (goal <= 150 MB at 100,000): "
              f"{'met' if r['peak'] <= 150 else 'MISSED'}")
        if "discovery" in phases and args.latency > 0:
            ratio = phases["discovery"][2]
            print(f"  discovery {ratio:.2f} of the bound (goal >= 0.8): {'met' if ratio >= 0.8 else 'MISSED'}")
        if "articles" in phases and args.latency > 0:
            ratio = phases["articles"][2]
            print(f"  article phase {ratio:.2f} of the bound (goal >= 0.9): {'met' if ratio >= 0.9 else 'MISSED'}")
        print(f"  own CPU for start, discovery and articles {r['pages_cpu']:.3f} s per 1,000 articles (goal <= 1.0): "
              f"{'met' if r['pages_cpu'] <= 1.0 else 'MISSED'}")
        if "wget2" in r:
            print(f"  start, discovery and articles {r['pages_wall']:.1f} s, wget2's whole mirror {r['wget2']:.1f} s "
                  f"(goal: no slower): {'met' if r['pages_wall'] <= r['wget2'] else 'MISSED'}")
    if len(results) >= 2:
        small, large = results[0], results[-1]
        a = sum(p[3] for name, p in small["phases"].items() if name != "packing")
        b = sum(p[3] for name, p in large["phases"].items() if name != "packing")
        print(f"CPU per 1,000 articles without packing: {a:.3f} s at {small['articles']:,}, {b:.3f} s at "
              f"{large['articles']:,} (goal: within 20%): {'met' if b <= a * 1.2 else 'MISSED'}")


if __name__ == "__main__":
    main()

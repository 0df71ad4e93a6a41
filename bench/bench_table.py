#!/usr/bin/env python3
"""One table of every style's speed and memory, every figure measured by this run.

For each built style (or the styles FILTER picks: a style number, or a regular expression matched
against the style names, case-insensitive):
  - the full-size run at 2 MP and 12 MP (BM_Style of atelion-bench, median of --reps runs, CPU time
    of the whole process, so extra threads count and a loaded machine does not stretch it);
  - its peer filter (../shared/bench/peers.sh, one thread, run once per photograph and kept in
    BUILD/bench-peers/ — delete that folder to measure the peers again), as CPU time (user + system)
    and the ratio of the style's time to the peer's, against its target (half the peer's time; a
    quarter of brushify for the brush paintings);
  - the preview computation at 1:1 and at the widest zoom (BM_Preview, CPU time, median);
  - the peak heap of the 12 MP run inside the benchmark, and the peak resident memory of a 12 MP
    file-to-file run of atelion-cli (decode, style, encode), measured by /usr/bin/time.

Prints a Markdown table (progress goes to stderr), ready for the README.
"""
import argparse
import datetime
import json
import os
import platform
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# ../shared/bench/peers.sh beside the source tree (or PEERS_SCRIPT, for a tree kept elsewhere).
PEERS_SCRIPT = os.environ.get("PEERS_SCRIPT") or os.path.normpath(
    os.path.join(HERE, "..", "..", "shared", "bench", "peers.sh"))

# The peer of each style number, as the performance targets name it, and the fraction of the
# peer's time the style may take.
BRUSH_PAINTINGS = {4, 5, 7, 15, 20, 27, 28, 30}
PEER_OF = {
    0: "cv_pencilSketch", 24: "cv_pencilSketch", 12: "cv_detailEnhance",
    1: "im_charcoal", 2: "im_charcoal", 3: "im_charcoal", 16: "im_charcoal", 21: "im_charcoal",
    23: "im_charcoal", 31: "im_charcoal",
    17: "gm_cartoon", 18: "gm_cartoon",
    22: "gm_polygonize", 25: "gm_polygonize",
    10: "gm_halftone", 11: "gm_halftone", 26: "gm_halftone",
    29: "gm_cubism", 19: "gm_old_photo",
    6: "im_paint", 8: "im_paint", 9: "im_paint",
}
PEER_OF.update({style: "gm_brushify" for style in BRUSH_PAINTINGS})


def style_names():
    """Style number → name, from the comments of the style list (one line per style)."""
    names = {}
    with open(os.path.join(HERE, "..", "src", "styles", "style_list.cpp"), encoding="utf-8") as listing:
        for line in listing:
            found = re.search(r"//\s*(\d+)\s+(.+?)\s*$", line)
            if found and "Style" in line:
                names[int(found.group(1))] = found.group(2)
    return names


def built_styles(bench):
    listed = subprocess.run([bench, "--benchmark_list_tests=true", "--benchmark_filter=^BM_Style/"],
                            check=True, capture_output=True, text=True).stdout
    return sorted({int(m) for m in re.findall(r"^BM_Style/(\d+)/", listed, re.M)})


def peer_times(build, photo, megapixels, peers, runs, measure=True):
    """{peer: {"wall": s, "cpu": s, "runs": n}}, measured once per photograph and kept in the build
    folder; with `measure` off only what is kept there."""
    folder = os.path.join(build, "bench-peers")
    cache = os.path.join(folder, "peers-%dmp.json" % megapixels)
    known = {}
    if os.path.exists(cache):
        with open(cache, encoding="utf-8") as kept:
            known = json.load(kept)
    missing = sorted(set(peers) - set(known))
    if missing and measure:
        print("measuring peers %s on %s" % (" ".join(missing), photo), file=sys.stderr)
        shim = os.path.join(folder, "shim")
        os.makedirs(shim, exist_ok=True)
        link = os.path.join(shim, "hyperfine")
        if not os.path.lexists(link):
            os.symlink(os.path.join(HERE, "peer_cpu_hyperfine.sh"), link)
        with tempfile.TemporaryDirectory() as exported:
            env = dict(os.environ, PATH=shim + os.pathsep + os.environ["PATH"], PEER_JSON_DIR=exported,
                       THREADS="1", RUNS=str(runs))
            printed = subprocess.run(["bash", PEERS_SCRIPT, photo] + missing, env=env, check=True,
                                     capture_output=True, text=True).stdout
            for line in printed.splitlines():
                fields = line.split()
                if len(fields) < 2 or fields[0] not in missing:
                    continue
                with open(os.path.join(exported, fields[0] + ".json"), encoding="utf-8") as result:
                    measured = json.load(result)["results"][0]
                known[fields[0]] = {"wall": float(fields[1]), "cpu": measured["user"] + measured["system"],
                                    "runs": len(measured["times"])}
        with open(cache, "w", encoding="utf-8") as kept:
            json.dump(known, kept, indent=1)
    return known


def style_benchmarks(bench, photos, style, reps):
    """{(kind, arg): (cpu ms, counters)} for BM_Style/style and BM_Preview/style, medians."""
    out = subprocess.run([bench, "--benchmark_filter=^BM_(Style|Preview)/%d/" % style,
                          "--benchmark_repetitions=%d" % reps, "--benchmark_report_aggregates_only=true",
                          "--benchmark_format=json", "--photo-dir=" + photos],
                         check=True, capture_output=True, text=True).stdout
    results = {}
    for entry in json.loads(out)["benchmarks"]:
        single = reps == 1 and entry.get("run_type") == "iteration"  # one run: no aggregates
        if entry.get("aggregate_name") != "median" and not single:
            continue
        kind, _, arg = entry["run_name"].split("/")[:3]
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
        results[(kind, int(arg.split(":")[1]))] = (entry["cpu_time"] * scale, entry)
    return results


def file_run_peak_mb(cli, photo, style):
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run(["/usr/bin/time", "-f", "maxrss %M", cli, "convert", photo,
                              os.path.join(folder, "out.png"), "--style", str(style), "--seed", "7"],
                             capture_output=True, text=True)
        found = re.search(r"maxrss (\d+)", run.stderr)
        if run.returncode != 0 or not found:
            return None
        return int(found.group(1)) / 1024.0


def figure(value, digits=0):
    return "—" if value is None else ("%.*f" % (digits, value))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build")
    parser.add_argument("--photos", default=None, help="folder of photo-2mp.jpg and photo-12mp.jpg")
    parser.add_argument("--filter", default="", help="style numbers (26 or 17,18) or a pattern of style names")
    parser.add_argument("--reps", type=int, default=5, help="runs per benchmark (the median is shown)")
    parser.add_argument("--kept-peers-only", action="store_true",
                        help="measure no peer: show only those kept in BUILD/bench-peers/ (— for the others)")
    args = parser.parse_args()
    photos = args.photos or os.path.join(args.build, "photos")
    bench = os.path.join(args.build, "atelion-bench")
    cli = os.path.join(args.build, "atelion-cli")

    names = style_names()
    styles = built_styles(bench)
    if args.filter:
        if re.fullmatch(r"[\d,]+", args.filter):
            picked = {int(number) for number in args.filter.split(",") if number}
            styles = [s for s in styles if s in picked]
        else:
            pattern = re.compile(args.filter, re.I)
            styles = [s for s in styles if pattern.search(names.get(s, ""))]
    if not styles:
        sys.exit("no built style matches %r" % args.filter)

    needed = sorted({PEER_OF[s] for s in styles if s in PEER_OF})
    peers = {mp: peer_times(args.build, os.path.join(photos, "photo-%dmp.jpg" % mp), mp, needed, args.reps,
                                 not args.kept_peers_only)
             for mp in (2, 12)}

    peer_runs = sorted({v["runs"] for kept in peers.values() for v in kept.values() if "runs" in v})
    print("Measured %s UTC on %s (%s, %d cores); CPU times in ms, medians of %d runs; peers with one "
          "thread, CPU time (user + system, mean of %s runs); memory in MB." % (
              datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M"), platform.node(),
              platform.processor() or platform.machine(), os.cpu_count(), args.reps,
              " or ".join(str(r) for r in peer_runs) or "several"))
    print()
    print("| # | style | 2 MP | 12 MP | peer | peer 2 MP | peer 12 MP | ratio 2 MP | ratio 12 MP | target "
          "| preview 1:1 | preview widest | 12 MP heap peak | 12 MP file run peak |")
    print("|---:|---|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for style in styles:
        print("style %d: %s" % (style, names.get(style, "")), file=sys.stderr)
        measured = style_benchmarks(bench, photos, style, args.reps)
        if args.kept_peers_only:  # peers measured meanwhile by another run count too
            peers = {mp: peer_times(args.build, None, mp, needed, args.reps, False) for mp in (2, 12)}
        time_2 = measured.get(("BM_Style", 2), (None,))[0]
        time_12 = measured.get(("BM_Style", 12), (None,))[0]
        heap = measured.get(("BM_Style", 12), (None, {}))[1].get("peak_MB")
        peer = PEER_OF.get(style)
        peer_2 = peers[2][peer]["cpu"] * 1e3 if peer in peers[2] else None
        peer_12 = peers[12][peer]["cpu"] * 1e3 if peer in peers[12] else None
        ratio_2 = time_2 / peer_2 if time_2 and peer_2 else None
        ratio_12 = time_12 / peer_12 if time_12 and peer_12 else None
        target = None if peer is None else (0.25 if style in BRUSH_PAINTINGS else 0.5)
        preview_1 = measured.get(("BM_Preview", 100), (None,))[0]
        preview_wide = measured.get(("BM_Preview", 25), (None,))[0]
        rss = file_run_peak_mb(cli, os.path.join(photos, "photo-12mp.jpg"), style)
        print("| %d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            style, names.get(style, ""), figure(time_2), figure(time_12), peer or "—", figure(peer_2),
            figure(peer_12), figure(ratio_2, 2), figure(ratio_12, 2), figure(target, 2), figure(preview_1),
            figure(preview_wide), figure(heap), figure(rss)), flush=True)


if __name__ == "__main__":
    main()

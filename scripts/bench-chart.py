#!/usr/bin/env python3
"""Draws the benchmarks' results as an SVG bar chart, with the standard library only.

    scripts/bench-chart.py [--file FILE_JSON] MD5_BENCH_JSON OUTPUT_SVG

MD5_BENCH_JSON is Google Benchmark's JSON report of benchmarks/md5_bench
(scripts/bench-md5 writes build/bench/md5_bench.json): for every piece size,
Md5Update's and OpenSSL's median throughput over the repetitions, Md5Update's
bar labelled with the median of the ratios measured within each repetition,
as the benchmark's own table gives them. FILE_JSON, written by
scripts/bench-file, adds the whole-file figures.
"""
import argparse
import json
import statistics
from xml.sax.saxutils import escape

COLOURS = ["#2b6f8f", "#b0b0b0", "#d8d8d8"]


def medians(report):
    """{piece: {counter: median over the repetitions}}."""
    values = {}
    for run in report["benchmarks"]:
        if run.get("run_type") == "iteration":
            counters = values.setdefault(int(run["run_name"].split("/")[1]), {})
            for name, value in run.items():
                if isinstance(value, float):
                    counters.setdefault(name, []).append(value)
    return {piece: {name: statistics.median(v) for name, v in counters.items()}
            for piece, counters in values.items()}


def piece_text(piece):
    for shift, unit in ((20, "MiB"), (10, "KiB")):
        if piece >= 1 << shift:
            return f"{piece >> shift} {unit}"
    return f"{piece} B"


def groups_from(figures, file_results):
    """[(group label, [(bar label, MB/s, ratio text)])], Kestrum first."""
    groups = [(f"Md5Update, {piece_text(piece)}",
               [("Kestrum", m["Kestrum MB/s"], f"{m['Kestrum / OpenSSL']:.3f}x"),
                ("OpenSSL EVP", m["OpenSSL MB/s"], "")])
              for piece, m in sorted(figures.items())]
    if file_results:
        groups.append(("1 GiB file",
                       [("Kestrum", file_results["kestrum"], f"{file_results['kestrum/md5sum']:.3f}x md5sum"),
                        ("md5sum", file_results["md5sum"], ""),
                        ("openssl dgst", file_results["openssl"], "")]))
    return groups


def svg(groups, title, notes):
    bar_width, gap, left, top, height = 34, 44, 60, 64, 260
    width = left + sum(len(bars) * bar_width + gap for _, bars in groups) + 20
    peak = max(rate for _, bars in groups for _, rate, _ in bars)
    scale = height / (peak * 1.15)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{top + height + 90}" '
           f'font-family="sans-serif" font-size="11">',
           f'<text x="{left}" y="20" font-size="14">{escape(title)}</text>']
    for line, note in enumerate(notes):
        out.append(f'<text x="{left}" y="{38 + 14 * line}" fill="#555">{escape(note)}</text>')
    for tick in range(0, int(peak * 1.15), 200):
        y = top + height - tick * scale
        out.append(f'<line x1="{left - 4}" x2="{width - 10}" y1="{y:.1f}" y2="{y:.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{left - 8}" y="{y + 4:.1f}" text-anchor="end">{tick}</text>')
    out.append(f'<text x="14" y="{top + height / 2}" transform="rotate(-90 14 {top + height / 2})" '
               f'text-anchor="middle">MB/s</text>')
    x = left + gap / 2
    for label, bars in groups:
        start = x
        for index, (name, rate, ratio) in enumerate(bars):
            y = top + height - rate * scale
            middle = x + bar_width / 2
            out.append(f'<rect x="{x:.1f}" y="{y:.1f}" width="{bar_width - 2}" height="{rate * scale:.1f}" '
                       f'fill="{COLOURS[index]}"><title>{escape(name)}: {rate:.0f} MB/s</title></rect>')
            out.append(f'<text x="{middle - 1:.1f}" y="{y - 4:.1f}" text-anchor="middle" '
                       f'font-size="9">{rate:.0f}</text>')
            out.append(f'<text x="{middle:.1f}" y="{top + height + 12}" font-size="9" text-anchor="end" '
                       f'transform="rotate(-45 {middle:.1f} {top + height + 12})">{escape(name)}</text>')
            if ratio:
                out.append(f'<text x="{middle - 1:.1f}" y="{y - 15:.1f}" text-anchor="middle" '
                           f'font-size="9" font-weight="bold">{escape(ratio)}</text>')
            x += bar_width
        out.append(f'<text x="{(start + x) / 2:.1f}" y="{top + height + 80}" text-anchor="middle">'
                   f'{escape(label)}</text>')
        x += gap
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("report")
    parser.add_argument("output")
    parser.add_argument("--file", help="scripts/bench-file's results.json")
    args = parser.parse_args()
    with open(args.report) as f:
        figures = medians(json.load(f))
    file_results = None
    if args.file:
        with open(args.file) as f:
            file_results = json.load(f)
    notes = ["Bold: ratio of Kestrum's throughput to OpenSSL's (md5sum's for the file)"]
    largest = figures[max(figures)]
    if "GHz" in largest:
        notes.append(f"Md5Update, {piece_text(max(figures))}: {largest['Kestrum cycles/B']:.2f} cycles/B "
                     f"at {largest['GHz']:.2f} GHz; the step chain's bound is 4.5")
    with open(args.output, "w") as f:
        f.write(svg(groups_from(figures, file_results),
                    "MD5 throughput: Kestrum against OpenSSL and md5sum", notes))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the benchmarks' results as an SVG bar chart, with the standard library only.

    scripts/bench-chart.py [--file FILE_JSON] MD5_BENCH_JSON OUTPUT_SVG

MD5_BENCH_JSON is Google Benchmark's JSON report of benchmarks/md5_bench
(scripts/bench-md5 writes build/bench/md5_bench.json); each bar is the median
throughput over the repetitions, labelled with the median of the ratios to
OpenSSL measured within each repetition, as the benchmark's own table gives
them. FILE_JSON, written by scripts/bench-file, adds the whole-file figures.
"""
import argparse
import json
import statistics
from xml.sax.saxutils import escape

OPENSSL = "OpenSSL"
COLOURS = ["#2b6f8f", "#7fb7cf", "#b0b0b0"]


def medians(report):
    """{piece: {counter: median over the repetitions}}."""
    values = {}
    for run in report["benchmarks"]:
        if run.get("run_type") != "iteration":
            continue
        piece = int(run["run_name"].split("/")[1])
        for name, value in run.items():
            if name.endswith(" MB/s") or name.endswith(" / OpenSSL"):
                values.setdefault(piece, {}).setdefault(name, []).append(value)
    return {piece: {name: statistics.median(v) for name, v in counters.items()}
            for piece, counters in values.items()}


def piece_text(piece):
    if piece >= 1 << 20:
        return f"{piece >> 20} MiB"
    if piece >= 1 << 10:
        return f"{piece >> 10} KiB"
    return f"{piece} B"


def groups_from(figures, file_results):
    """[(group label, [(bar label, MB/s, ratio text)])], ours first, OpenSSL last."""
    groups = []
    for piece in sorted(figures):
        counters = figures[piece]
        subjects = sorted((n[: -len(" MB/s")] for n in counters if n.endswith(" MB/s")),
                          key=lambda s: (s == OPENSSL, s != "portable"))
        bars = []
        for subject in subjects:
            ratio = counters.get(f"{subject} / OpenSSL")
            label = "OpenSSL EVP" if subject == OPENSSL else subject
            bars.append((label, counters[f"{subject} MB/s"], f"{ratio:.2f}x" if ratio else ""))
        groups.append((f"Md5Update, {piece_text(piece)}", bars))
    if file_results:
        bars = [("Kestrum", file_results["kestrum"], f"{file_results['kestrum/md5sum']:.2f}x md5sum"),
                ("md5sum", file_results["md5sum"], ""),
                ("openssl dgst", file_results["openssl"], "")]
        groups.append(("1 GiB file", bars))
    return groups


def svg(groups, title, subtitle):
    bar_width, gap, left, top, height = 34, 44, 60, 64, 260
    width = left + sum(len(bars) * bar_width + gap for _, bars in groups) + 20
    peak = max(rate for _, bars in groups for _, rate, _ in bars)
    scale = height / (peak * 1.15)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{top + height + 90}" '
           f'font-family="sans-serif" font-size="11">',
           f'<text x="{left}" y="20" font-size="14">{escape(title)}</text>',
           f'<text x="{left}" y="38" fill="#555">{escape(subtitle)}</text>']
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
            out.append(f'<rect x="{x:.1f}" y="{y:.1f}" width="{bar_width - 2}" height="{rate * scale:.1f}" '
                       f'fill="{COLOURS[index % len(COLOURS)]}"><title>{escape(name)}: {rate:.0f} MB/s'
                       f'</title></rect>')
            out.append(f'<text x="{x + bar_width / 2 - 1:.1f}" y="{y - 4:.1f}" text-anchor="middle" '
                       f'font-size="9">{rate:.0f}</text>')
            out.append(f'<text x="{x + bar_width / 2:.1f}" y="{top + height + 12}" font-size="9" '
                       f'text-anchor="end" transform="rotate(-45 {x + bar_width / 2:.1f} '
                       f'{top + height + 12})">{escape(name)}</text>')
            if ratio:
                out.append(f'<text x="{x + bar_width / 2 - 1:.1f}" y="{y - 15:.1f}" text-anchor="middle" '
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
        report = json.load(f)
    file_results = None
    if args.file:
        with open(args.file) as f:
            file_results = json.load(f)
    title = "MD5 throughput: Kestrum against OpenSSL and md5sum"
    subtitle = "Bold: ratio of Kestrum's throughput to OpenSSL's (md5sum's for the file)"
    with open(args.output, "w") as f:
        f.write(svg(groups_from(medians(report), file_results), title, subtitle))


if __name__ == "__main__":
    main()

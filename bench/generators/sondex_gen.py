#!/usr/bin/env python3
"""Writes a Sondex project configuration and a folder of KestinX LPDDR3 scan logs.

Every log holds a CA table (printed in two blocks), a WDQ and an RDQ table, each of
rows = delay steps by columns = VREF x sr, and a small CLK table that the configuration
hides. One log has a CA window too narrow for its MinPass, one lost record lines on the
UART (its tables are incomplete).

    sondex_gen.py --out samples/sondex            # the committed samples
    sondex_gen.py --out /tmp/big --logs 50 --rows 64 --vref 4
"""

import argparse
import os
import random

PROJECT_CODE = 0x4B37
DDR_TYPE_CODE = 0x3
CLOCK_MHZ = 800
TCNT_PS = 20

PINS = {"CA": 0x10, "WDQ": 0x20, "RDQ": 0x30, "VREF": 0x40, "sr": 0x50, "CLK": 0x60}
VREF_VALUES = [0x10, 0x18, 0x20, 0x28, 0x30, 0x38]
SR_VALUES = [0, 1, 2, 3]
CLK_ROWS = 16


def word(axis, position, pin, value):
    return "0x%08X" % ((axis << 28) | (position << 24) | (PINS[pin] << 8) | (value & 0xFF))


def record(table_id, words, passed):
    return "0x%X\t%s\t%s\n" % (table_id, "\t".join(words), "0X0" if passed else "0XF")


def min_pass(rows, sr):
    # A healthy window is about 60 % of the rows; MinPass asks for a bit less.
    return int((rows * 0.45 - sr) * TCNT_PS)


def write_ini(path, rows, vrefs):
    last = rows - 1
    lines = [
        "; Sondex project configuration for the K7 board (LPDDR3)",
        "[Prompt]",
        "Line1=Sondex 扫描分析工具",
        "Line2=在下方结果栏点击 LogDir 选择日志文件夹，或填入路径后点击 Analyze",
        "Line3=SR VALUE 菜单选择参与宽度统计的 sr 值",
        "[ProjectName]",
        "K7=0x%X" % PROJECT_CODE,
        "[DdrType]",
        "Lpddr2=0x2",
        "Lpddr3=0x3",
        "Lpddr4=0x4",
        "[InfoName]",
    ]
    lines += ["%s=0x%X" % (name, code) for name, code in PINS.items()]
    lines += [
        "[ValueRange]",
        "Lpddr3_CA=0x0~0x%X" % last,
        "Lpddr3_WDQ=0x0~0x%X" % last,
        "Lpddr3_RDQ=0x0~0x%X" % last,
        "Lpddr3_VREF=" + ",".join("0x%X" % v for v in vrefs),
        "Lpddr3_sr=0x0~0x3",
        "Lpddr3_CLK=0x0~0x%X" % (CLK_ROWS - 1),
        "[Lpddr3_MinPass]",
    ]
    for pin in ("CA", "WDQ", "RDQ"):
        for sr in SR_VALUES:
            lines.append("%s_sr%d_%d=%d" % (pin, sr, CLOCK_MHZ, min_pass(rows, sr)))
        lines.append("%s_sr0_933=%d" % (pin, min_pass(rows, 0) + 40))
    lines += [
        "[IsPrint]",
        "CLK=0",
        "[Result]",
        "Text1=所有log均已通过测试",
        "Text2=请检查串口连接后重新扫描",
        "",
    ]
    with open(path, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(lines))


def table_lines(rng, table_id, pin, rows, vrefs, narrow=False):
    out = []
    windows = {}
    for vref in vrefs:
        for sr in SR_VALUES:
            width = int(rows * 0.6) - sr - rng.randint(0, 1)
            if narrow and vref == vrefs[0] and sr == 0:
                width = int(rows * 0.3)
            start = (rows - width) // 2 + rng.randint(-1, 1)
            windows[(vref, sr)] = (max(start, 0), min(start + width, rows))
    for r in range(rows):
        for vref in vrefs:
            for sr in SR_VALUES:
                lo, hi = windows[(vref, sr)]
                words = [word(0xB, 1, pin, r), word(0xC, 1, "VREF", vref), word(0xC, 2, "sr", sr)]
                out.append(record(table_id, words, lo <= r < hi))
    return out


def write_log(path, rng, rows, vrefs, narrow=False, lossy=False):
    ca = table_lines(rng, 1, "CA", rows, vrefs, narrow)
    wdq = table_lines(rng, 2, "WDQ", rows, vrefs)
    rdq = table_lines(rng, 3, "RDQ", rows, vrefs)
    clk = [record(4, [word(0xB, 1, "CLK", r), word(0xC, 1, "sr", 0)], True) for r in range(CLK_ROWS)]
    if lossy:
        # Lines lost on the UART in the middle of the WDQ table.
        mid = len(wdq) // 2
        del wdq[mid:mid + 7]
    half = len(ca) // 2
    parts = [
        "KestinX DDR timing scan\n",
        "**********0x%08X**********\n" % PROJECT_CODE,
        "**********0x%08X**********\n" % DDR_TYPE_CODE,
        "**********0x%08X**********\n" % CLOCK_MHZ,
        "**********0x%08X%08X**********\n" % (1, TCNT_PS),
        "0x73747172\n",
    ]
    parts += ca[:half]
    parts.append("0x434F4E54\n")
    parts += ca[half:]
    for table in (wdq, rdq, clk):
        parts.append("0x434F4E54\n")
        parts += table
    parts.append("0x656E6464\n")
    parts.append("scan done\n")
    with open(path, "w", encoding="ascii", newline="\r\n") as f:
        f.write("".join(parts))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="folder for Sondex.ini and logs/")
    parser.add_argument("--logs", type=int, default=6)
    parser.add_argument("--rows", type=int, default=32, help="delay steps per table (at most 256)")
    parser.add_argument("--vref", type=int, default=2, help="VREF values per table (at most 6)")
    parser.add_argument("--seed", type=int, default=20261210)
    args = parser.parse_args()
    rows = max(4, min(args.rows, 256))
    vrefs = VREF_VALUES[: max(1, min(args.vref, len(VREF_VALUES)))]

    rng = random.Random(args.seed)
    os.makedirs(os.path.join(args.out, "logs"), exist_ok=True)
    write_ini(os.path.join(args.out, "Sondex.ini"), rows, vrefs)
    for i in range(args.logs):
        name = "K7_board%02d.Txt" % (i + 1)
        write_log(os.path.join(args.out, "logs", name), rng, rows, vrefs,
                  narrow=(args.logs > 1 and i == 3 % args.logs),
                  lossy=(args.logs > 2 and i == 4 % args.logs))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Representative calls stay within their instruction budgets.

    instruction_budget_test.py TKDEC_CALL_COUNTS BUDGETS.json

Counts the instructions per call with callgrind (bench/instruction_counts.py)
and fails when a call needs more than its budget plus the margin. The
counts do not depend on the machine's load; they do depend on the compiler
and the build's tables, so the budgets hold for the reference build of the
default preset. A call well below its budget is reported, so that the
budget can follow it down. Exits 77 (skipped) without valgrind.
"""

import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
from instruction_counts import count  # noqa: E402

MARGIN = 0.03
SKIPPED = 77


def main(program, budgets_path):
    with open(budgets_path, encoding="utf-8") as f:
        budgets = json.load(f)["instructions per call"]
    counts = count(program, list(budgets))
    if counts is None:
        print("valgrind not found: instruction budgets not checked")
        return SKIPPED
    over = []
    for name, budget in budgets.items():
        measured = counts.get(name)
        if measured is None:
            over.append(name)
            print(f"{name}: not measured (no such record in this build)")
            continue
        limit = budget * (1 + MARGIN)
        verdict = "OVER BUDGET" if measured > limit else ("well below: lower the budget" if measured < 0.9 * budget else "ok")
        print(f"{name}: {measured} instructions, budget {budget} (+{MARGIN:.0%}): {verdict}")
        if measured > limit:
            over.append(name)
    print(f"{len(budgets) - len(over)} passed, {len(over)} failed")
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

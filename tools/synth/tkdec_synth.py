#!/usr/bin/env python3
"""Writes a full-size synthetic build description.

    tkdec_synth.py [--seed N] [--name NAME] OUT_DIR

OUT_DIR receives build.json, types.json, messages.json and tokens.json:
a build with the totals of a full firmware build (166 channels, 1,647
print tokens, 1,710 alarm records, 435 types, 660 message type table
entries), the same for the same seed. Read it with
tools/gen/tkdec_gen.py like any build description.
"""

import argparse
import json
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from fullsize import channels, tokens, types  # noqa: E402

DEFAULT_SEED = 9


def describe(seed, name="fullsize"):
    """{file name: JSON value} of the build description of a seed."""
    rng = random.Random(seed)
    build = channels.identity(rng, name)
    groups = channels.log_groups(rng)
    build["includes"] = ["types.json", "messages.json", "tokens.json"]
    build["channel_count"] = len(channels.channels(groups))
    build["channels"] = channels.channels(groups)
    model = types.TypeModel(rng, groups)
    return {
        "build.json": build,
        "types.json": model.description(),
        "messages.json": {"messages": model.messages, "events": model.events},
        "tokens.json": tokens.TokenModel(rng, model, groups).build(),
    }


def spread_ids(files, seed):
    """The same description with every listed token id drawn anew over the
    whole 32-bit range: a build whose ids no page directory can gather."""
    rng = random.Random(seed)
    tokens = files["tokens.json"]["tokens"]
    for token, ident in zip(tokens, rng.sample(range(1 << 32), len(tokens))):
        token["id"] = f"0x{ident:08X}"
    return files


def dump(value):
    """JSON with one array item or object member per line at the top two
    levels, so that descriptions diff by entry."""
    if isinstance(value, dict):
        items = [f"  {json.dumps(k)}: {dump_list(v) if isinstance(v, list) else json.dumps(v)}"
                 for k, v in value.items()]
        return "{\n" + ",\n".join(items) + "\n}\n"
    return json.dumps(value) + "\n"


def dump_list(items):
    return "[\n" + ",\n".join(f"    {json.dumps(item)}" for item in items) + "\n  ]"


def write(out_dir, files):
    os.makedirs(out_dir, exist_ok=True)
    for file_name, value in files.items():
        path = os.path.join(out_dir, file_name)
        text = dump(value)
        try:
            with open(path, encoding="utf-8") as f:
                if f.read() == text:
                    continue  # unchanged: keep the time stamp, so nothing is rebuilt
        except OSError:
            pass
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(path + ".tmp", path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--name", default="fullsize")
    parser.add_argument("--spread-ids", action="store_true", help="token ids spread over the whole 32-bit range")
    parser.add_argument("out_dir")
    args = parser.parse_args(argv[1:])
    files = describe(args.seed, args.name)
    write(args.out_dir, spread_ids(files, args.seed) if args.spread_ids else files)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

"""A perfect hash of a set of 32-bit ids, as the token tables use it for
the ids that are not found by direct index, and the message type table
for the keys of its names.

The id's bucket, hash(id, seed) & bucket mask, gives a displacement; the
slot (hash(id, seed + SLOT_SEED) + displacement) & slot mask holds the id's
position + 1 (0: no id). Every id has a slot of its own, so a lookup is two
hashes, three loads and one comparison whatever the number of ids.
hash() is rest_hash of src/records/perfect_hash.h.
"""

import random

SLOT_SEED = 0x6A09E667
MAX_IDS = 0xFFFE  # positions + 1 and displacements are 16 bits wide
MAX_SEEDS = 1000
MAX_SLOTS = 0x10000  # the slot mask is 16 bits wide


def rest_hash(ident, seed):
    h = ((ident ^ seed) * 0x9E3779B1) & 0xFFFFFFFF
    h ^= h >> 15
    h = (h * 0x85EBCA6B) & 0xFFFFFFFF
    return h ^ (h >> 13)


def power_of_two(n):
    size = 1
    while size < n:
        size *= 2
    return size


def place(hashes, slots):
    """The displacement that puts every hash in a free slot of its own, or None."""
    mask = len(slots) - 1
    for displacement in range(len(slots)):
        positions = [(h + displacement) & mask for h in hashes]
        if len(set(positions)) == len(positions) and not any(slots[p] for p in positions):
            return displacement, positions
    return None


def build(ids):
    """(seed, displacements, slots) for the ids, in the order of their
    positions. The hash's lowest bits do not depend on the ids' highest
    bits (ids that differ in bit 31 alone share bits 0 to 2), so when no
    seed separates the ids the slot table doubles."""
    assert len(ids) <= MAX_IDS
    slot_count = power_of_two(max(2, len(ids) * 5 // 4))
    while slot_count <= MAX_SLOTS:
        built = build_with(ids, slot_count)
        if built is not None:
            return built
        slot_count *= 2
    raise ValueError(f"no perfect hash of {len(ids)} ids in {MAX_SLOTS} slots")


def build_with(ids, slot_count):
    """build() with slot_count slots, or None; the largest buckets are placed first."""
    bucket_count = power_of_two(max(1, len(ids) // 4))
    for seed in range(1, MAX_SEEDS):
        buckets = {}
        for position, ident in enumerate(ids):
            buckets.setdefault(rest_hash(ident, seed) & (bucket_count - 1), []).append(position)
        slots, displacements = [0] * slot_count, [0] * bucket_count
        for bucket in sorted(buckets, key=lambda b: (-len(buckets[b]), b)):
            hashes = [rest_hash(ids[p], (seed + SLOT_SEED) & 0xFFFFFFFF) for p in buckets[bucket]]
            placed = place(hashes, slots)
            if placed is None:
                break
            displacements[bucket] = placed[0]
            for slot, position in zip(placed[1], buckets[bucket]):
                slots[slot] = position + 1
        else:
            return seed, displacements, slots
    return None


def lookup(ident, seed, displacements, slots):
    """The position of ident, or None (what the library does)."""
    bucket = rest_hash(ident, seed) & (len(displacements) - 1)
    slot = (rest_hash(ident, (seed + SLOT_SEED) & 0xFFFFFFFF) + displacements[bucket]) & (len(slots) - 1)
    return slots[slot] - 1 if slots[slot] else None


# --- the keys of names ---------------------------------------------------------

NAME_MULTIPLIER = 0x9E3779B97F4A7C15
MASK64 = (1 << 64) - 1


def name_tail(data):
    """The bytes after the last whole 8: the last 8 bytes, overlapping the
    words before; of a shorter name, its first and last 4 bytes, or its
    first, middle and last byte (nameKey of src/records/perfect_hash.h)."""
    n = len(data)
    if n >= 8:
        return int.from_bytes(data[n - 8:], "little")
    if n >= 4:
        return int.from_bytes(data[:4], "little") | int.from_bytes(data[n - 4:], "little") << 32
    return data[0] | data[n // 2] << 8 | data[n - 1] << 16


def name_key(data, seed):
    """The 32-bit key of a name's bytes, hashed 8 bytes at a time."""
    h = (seed ^ len(data) * NAME_MULTIPLIER) & MASK64
    whole = len(data) - len(data) % 8
    for i in range(0, whole, 8):
        h = ((h ^ int.from_bytes(data[i:i + 8], "little")) * NAME_MULTIPLIER) & MASK64
    if whole < len(data):
        h = ((h ^ name_tail(data)) * NAME_MULTIPLIER) & MASK64
    return (h ^ h >> 32) & 0xFFFFFFFF


def build_names(names):
    """(key_seed, seed, displacements, slots) for distinct names (bytes),
    in the order of their positions: the first key seed that gives every
    name a key of its own, and the perfect hash of those keys."""
    for key_seed in range(1, MAX_SEEDS):
        keys = [name_key(name, key_seed) for name in names]
        if len(set(keys)) == len(keys):
            return (key_seed, *build(keys))
    raise ValueError(f"no key seed separates {len(names)} names")


def lookup_name(data, key_seed, seed, displacements, slots):
    """The position that a name's key finds (the name there is to be compared)."""
    return lookup(name_key(data, key_seed), seed, displacements, slots)


# --- the directory of the token tables' pages ---------------------------------

EMPTY_PAGE = 0xFFFFFFFF  # the number of an unused directory entry: no page has it
MULTIPLIER_TRIES = 300


def directory_index(number, multiplier, shift):
    """The directory entry of a page number (what the library computes)."""
    return ((number * multiplier) & 0xFFFFFFFF) >> shift


def directory(numbers, bits_limit):
    """(multiplier, shift) that give every page number an entry of its own
    in a directory of 2^(32 - shift) entries, at most 2^bits_limit, or None.
    The multiplier 2^shift takes the number's low bits, which keeps the
    pages of consecutive numbers apart; random odd ones are tried next."""
    generator = random.Random(len(numbers))
    bits = max(1, (len(numbers) - 1).bit_length())
    while bits <= bits_limit:
        shift = 32 - bits
        for attempt in range(MULTIPLIER_TRIES):
            multiplier = 1 << shift if attempt == 0 else generator.randrange(1, 1 << 32) | 1
            if len({directory_index(n, multiplier, shift) for n in numbers}) == len(numbers):
                return multiplier, shift
        bits += 1
    return None

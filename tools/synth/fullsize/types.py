"""Types, enumerations and message classes of the build.

Builds the description members "base_types", "enumerations", "structures",
"arrays", "messages" and "events", and keeps what the tokens need to know
about the enumerations (Enumeration).
"""

from . import totals
from .words import ADJECTIVES, MODULES, NOUNS, OBJECTS, REPLIES, VALUES, VERBS, Names, camel, upper

BASE_TYPES = [
    {"name": "unsigned char", "size": 1, "format": "%u"},
    {"name": "char", "size": 1, "format": "%d", "signed": True},
    {"name": "bool", "size": 1, "format": "%u"},
    {"name": "uint8_t", "size": 1, "format": "%d"},
    {"name": "uint16_t", "size": 2, "format": "%u"},
    {"name": "uint32_t", "size": 4, "format": "%u"},
    {"name": "int32_t", "size": 4, "format": "%d", "signed": True},
    {"name": "uint64_t", "size": 8, "format": "%llu"},
    {"name": "uintptr_t", "size": 4, "format": "%u"},
    {"name": "Cid", "size": 4, "format": "%u"},
    {"name": "NimbaHdl", "size": 4, "format": "%u"},
    {"name": "NimbaChar", "size": 1, "format": "%hhu"},
    {"name": "USBPUMP_ABSTRACT_NIC_STATUS", "size": 4, "format": "%u"},
    {"name": "TokenisedPrintChannels", "size": 0, "format": "opaque"},
]
MEMBER_BASE_TYPES = [b["name"] for b in BASE_TYPES if b["size"] > 0]

CKI_MESSAGE = {"name": "CKI_Message", "size": 16, "members": [
    {"name": "m_srcTask", "type": "CKI_TaskId", "offset": 4},
    {"name": "m_dstTask", "type": "CKI_TaskId", "offset": 8},
    {"name": "m_postedCounter", "type": "unsigned char", "offset": 12},
    {"name": "m_deleteMe", "type": "unsigned char", "offset": 13},
    {"name": "m_processing", "type": "unsigned char", "offset": 14},
    {"name": "m_flags", "type": "unsigned char", "offset": 15},
]}
CKI_TIMER = {"name": "CKI_Timer", "size": 56, "members": [
    {"name": "^", "type": "CKI_Message", "offset": 0},
    {"name": "m_duration", "type": "uint32_t", "offset": 16},
    {"name": "m_remainingDuration", "type": "uint32_t", "offset": 20},
    {"name": "m_latestTimeout", "type": "uint32_t", "offset": 24},
    {"name": "m_inaccuracy", "type": "uint32_t", "offset": 28},
    {"name": "m_startTicks", "type": "uint32_t", "offset": 32},
    {"name": "m_delta", "type": "uint32_t", "offset": 36},
    {"name": "m_repeat", "type": "bool", "offset": 40},
    {"name": "m_posting", "type": "bool", "offset": 41},
    {"name": "m_state", "type": "CKI_Timer::CKI_TimerState", "offset": 42},
    {"name": "m_id", "type": "CKI_MsgId", "offset": 44},
    {"name": "mp_name", "type": "uint32_t", "offset": 48},
    {"name": "m_appTimer", "type": "bool", "offset": 52},
]}
PROTOCOL_EVENT = "CKI_ProtocolEvent"
DATA_MESSAGE = "CKI_DataMessage"

ALARM_LEVELS = [("CKI_NO_ALARM", 0), ("CKI_ALARM_FATAL", 1), ("CKI_ALARM_ERROR", 2), ("CKI_ALARM_WARNING", 4),
                ("CKI_ALARM_INFO", 8)]
RETURN_CODES = [("CKI_RETURN_OK", 0), ("CKI_RETURN_BUSY", 1), ("CKI_RETURN_PENDING", 2), ("CKI_RETURN_ERROR", -1),
                ("CKI_RETURN_TIMEOUT", -2), ("CKI_RETURN_NO_MEMORY", -3), ("CKI_RETURN_INVALID_PARAM", -4)]
TIMER_STATES = [("CKI_TIMER_IDLE", 0), ("CKI_TIMER_RUNNING", 1), ("CKI_TIMER_EXPIRED", 2), ("CKI_TIMER_STOPPED", 3),
                ("CKI_TIMER_CANCELLED", 3)]
EXCEPTION_NAMES = ["EXH_UNDEF_ABORT", "EXH_SWI_ABORT", "EXH_PREFETCH_ABORT", "EXH_DATA_ABORT", "EXH_UNUSED_ABORT",
                   "EXH_FIQ_ABORT"]
ALARM_MODULES = {0x3000: "CKI", 0x3101: "IPC", 0x3102: "HDLC", 0x3200: "USB", 0x3201: "MSIO", 0x3202: "ACC",
                 0x3203: "WATCHMOLE", 0x3204: "AT", 0x3205: "TFTP", 0x3221: "LOGHW", 0x32C4: "TESTAPP"}
# Tasks per CPU (bits 24 to 27 of the id): the CPU's tag in the names and the count.
TASK_CPUS = [(1, "MCE", 8), (2, "PTP", 22), (3, "APP", 10)]
TASKS = sum(n for _, _, n in TASK_CPUS)
EVENT_IDS = 30
UNCLASSED_TIMER_IDS = 10
# The bitmask and bit-offset types of the build: name, size, enumerators.
BITMASKS = [("LogHwGroup", 4, 8), ("USBNetworkIntfType", 1, 5), ("ACCWakeUpCause", 2, 6),
            ("ACCResetTrigger", 1, 6), ("WatchMoleStatusFlags", 4, 4)]
LOG_HW_EVENTS = 8
BITMAP = "CKI_LogGroupId_BITMAP_ARRAY_BITMAP"

# Array types; the elements of the last three are plain structures.
ARRAYS = ["uint8_t[2]", "uint8_t[4]", "uint8_t[6]", "uint8_t[8]", "uint8_t[16]", "uint8_t[24]", "uint8_t[32]",
          "uint8_t[64]", "uint8_t[128]", "uint8_t[180]", "char[16]", "char[32]", "char[80]", "uint16_t[8]",
          "uint32_t[4]", "uint32_t[16]", "CKI_TaskId[4]"]
LARGE_ARRAYS = {"uint8_t[128]", "uint8_t[180]"}
DESCRIPTOR_COUNT = 30   # the 32-byte descriptors of the 1,000-byte message
RECORD_COUNT = 8
ENTRY_COUNT = 4


class Enumeration:
    """What the token rules need of one enumeration."""

    def __init__(self, name, size, pairs, kind, prefix_words):
        self.name = name
        self.size = size
        self.pairs = pairs              # [(enumerator, value)] in source order
        self.kind = kind
        self.prefix_words = prefix_words  # words that every enumerator name starts with


def align(offset, alignment):
    return (offset + alignment - 1) // alignment * alignment


def spread(rng, total, count, low, high):
    """count numbers from low to high, summing to total."""
    numbers = [rng.randint(low, min(high, max(low, 2 * total // count - low))) for _ in range(count)]
    while sum(numbers) != total:
        i = rng.randrange(count)
        if sum(numbers) < total and numbers[i] < high:
            numbers[i] += 1
        elif sum(numbers) > total and numbers[i] > low:
            numbers[i] -= 1
    return numbers


def value_text(value, size):
    return f"0x{value:0{2 * size}X}" if value >= 0 else value


class TypeModel:
    def __init__(self, rng, groups):
        self.rng = rng
        self.type_names = Names()
        self.enumerator_names = Names()
        self.enumerations = []
        self.enums = {}            # name -> Enumeration
        self.structures = []
        self.layout = {b["name"]: (b["size"], max(1, b["size"])) for b in BASE_TYPES}
        self.messages = []
        self.events = []
        self.generic_enums = []    # names of the enumerations without a fixed role
        for b in BASE_TYPES:
            self.type_names.unique(b["name"])
        self.build_enumerations(groups)
        self.build_structures()

    # --- enumerations -------------------------------------------------------

    def add_enumeration(self, name, size, pairs, kind="enum", prefix_words=0, listed=None):
        self.type_names.taken.add(name)
        entry = {"name": name, "size": size}
        if kind != "enum":
            entry["kind"] = kind
        entry["enumerators"] = listed if listed is not None else {n: value_text(v, size) for n, v in pairs}
        self.enumerations.append(entry)
        self.enums[name] = Enumeration(name, size, pairs, kind, prefix_words)
        self.layout[name] = (size, size)
        for enumerator, _ in pairs:
            self.enumerator_names.taken.add(enumerator)

    def tasks(self):
        pairs = []
        for cpu, tag, count in TASK_CPUS:
            pairs.append((f"CKI_TIMER_{tag}_TASK_ID", 0x10000000 | cpu << 24))
            for module in range(1, count):
                word = upper(self.rng.choice(MODULES))
                suffix = {"MCE": "_MCE", "PTP": "_DRIVER", "APP": self.rng.choice(["_APP", "_APPS", "_TOOLS"])}[tag]
                name = self.enumerator_names.unique(f"CKI_{word}{suffix}_TASK_ID")
                pairs.append((name, 0x10000000 | cpu << 24 | module << 16))
        return pairs

    def message_ids(self):
        """[(enumerator, value, has class)] of CKI_MsgId."""
        ids = []
        module = 0
        while len(ids) < totals.MSG_ID_ENUMERATORS:
            module += 1
            word = upper(self.rng.choice(MODULES))
            for number in range(1, self.rng.randint(2, 9)):
                if len(ids) == totals.MSG_ID_ENUMERATORS:
                    break
                parts = [word, upper(self.rng.choice(OBJECTS)), upper(self.rng.choice(VERBS)),
                         self.rng.choice(REPLIES)]
                ids.append([self.enumerator_names.unique("_".join(parts) + "_MSG_ID"),
                            0x2C000000 | module << 16 | number, True])
        for entry in self.rng.sample(ids, totals.MSG_ID_ENUMERATORS - totals.MESSAGES):
            entry[2] = False
        for entry in self.rng.sample([e for e in ids if not e[2]], UNCLASSED_TIMER_IDS):
            entry[0] = self.enumerator_names.unique(entry[0].split("_")[0] + "_" +
                                                    upper(self.rng.choice(OBJECTS)) + "_TIMER_ID")
        return ids

    def event_ids(self):
        pairs = [("CKI_EVENT_SYSTEM_READY", 0x90000200)]
        while len(pairs) < EVENT_IDS:
            if len(pairs) < 6:
                value = 0x90000200 + len(pairs)
            else:
                value = 0x92000000 | self.rng.randint(1, 0x40) << 16 | self.rng.randint(1, 0x20) << 8 | len(pairs)
            parts = ["CKI_EVENT", upper(self.rng.choice(MODULES)), upper(self.rng.choice(OBJECTS)),
                     upper(self.rng.choice(ADJECTIVES))]
            pairs.append((self.enumerator_names.unique("_".join(parts)), value))
        return pairs

    def alarm_ids(self):
        pairs = []
        for prefix, size in totals.ALARM_CLUSTERS.items():
            for low in cluster_lows(prefix, size):
                value = prefix << 16 | low
                if value in totals.EXCEPTION_IDS:
                    name = EXCEPTION_NAMES[value - totals.EXCEPTION_IDS[0]]
                elif value in (0x30000300, 0x30000301):
                    name = f"COOKIE_ALARM_0{value - 0x300000FF}"
                else:
                    name = self.enumerator_names.unique(
                        f"{ALARM_MODULES[prefix]}_ALARM_{upper(self.rng.choice(ADJECTIVES))}_"
                        f"{upper(self.rng.choice(OBJECTS))}")
                pairs.append((name, value))
        return pairs

    def bitmask(self, name, size, count):
        prefix = self.enumerator_names.unique(upper(name.replace("Type", "")).replace("FLAGS", ""))
        bits = sorted(self.rng.sample(range(8 * size), count))
        pairs = [(self.enumerator_names.unique(f"{prefix}_{v}"), 1 << bit)
                 for v, bit in zip(self.rng.sample(VALUES, count), bits)]
        self.add_enumeration(name, size, pairs, "bitmask", 1)

    def generic_enumeration(self, count, with_alias):
        """An enumeration of count enumerators named PREFIX_VALUE, whose
        prefix has 2 to 5 words; with_alias: its last enumerator shares a
        value."""
        module, noun = self.rng.choice(MODULES), self.rng.choice(NOUNS)
        name = self.type_names.unique(f"{module}{noun}", "")
        if self.rng.random() < 0.1:
            name = self.type_names.unique(f"{module}{camel(self.rng.choice(OBJECTS))}::{noun}", "")
        words = self.rng.choice([2, 2, 2, 3, 3, 4, 5])
        extra = [upper(w) for w in self.rng.sample(OBJECTS + ADJECTIVES, words - 2)]
        prefix = "_".join([upper(module)] + extra + [upper(noun)])
        start = self.rng.choice([0, 0, 0, 1, 16])
        step = self.rng.choice([1, 1, 1, 1, 2, 4])
        distinct = count - 1 if with_alias else count
        values = [start + step * i for i in range(distinct)]
        pairs = []
        for i, value in enumerate(values):
            word = VALUES[i] if i < len(VALUES) else f"VALUE_{i}"
            pairs.append((self.enumerator_names.unique(f"{prefix}_{word}"), value))
        if with_alias:
            pairs.append((self.enumerator_names.unique(f"{prefix}_LAST"), values[-1]))
        size = 1 if values[-1] < 0x100 else 2 if values[-1] < 0x10000 else 4
        self.add_enumeration(name, size, pairs, "enum", words)
        self.generic_enums.append(name)

    def build_enumerations(self, groups):
        self.add_enumeration("CkiAlarmLevel", 4, ALARM_LEVELS, prefix_words=2)
        self.add_enumeration("CKI_TaskId", 4, self.tasks(), prefix_words=1)
        self.msg_ids = self.message_ids()
        self.add_enumeration("CKI_MsgId", 4, [(n, v) for n, v, _ in self.msg_ids], prefix_words=0)
        self.event_pairs = self.event_ids()
        self.add_enumeration("CKI_EventId", 4, self.event_pairs, prefix_words=2)
        self.add_enumeration("CKI_AlarmId", 4, self.alarm_ids(), prefix_words=0)
        self.add_enumeration("CKI_LogGroupId", 4, [(n, v) for v, n in groups], "bitoffset", 2,
                             listed={n: v for v, n in groups})
        self.add_enumeration(BITMAP, 4, self.enums["CKI_LogGroupId"].pairs, "bitoffset", 2, listed="CKI_LogGroupId")
        events = [(self.enumerator_names.unique(f"LOG_HW_EVENT_{v}"), bit)
                  for v, bit in zip(self.rng.sample(VALUES, LOG_HW_EVENTS), sorted(self.rng.sample(range(96), 8)))]
        self.add_enumeration("LogHwEvent", 4, events, "bitoffset", 3, listed={n: v for n, v in events})
        self.add_enumeration("CKI_Return", 4, RETURN_CODES, prefix_words=2)
        self.add_enumeration("CKI_Timer::CKI_TimerState", 1, TIMER_STATES, prefix_words=2)
        for name, size, count in BITMASKS:
            self.bitmask(name, size, count)
        fixed = len(self.enumerations)
        used = sum(len(e.pairs) for e in self.enums.values())
        generic = totals.ENUMERATIONS - fixed
        counts = spread(self.rng, totals.ENUMERATORS - used, generic, 2, 120)
        aliased = set(self.rng.sample(range(generic), totals.ENUMERATIONS_WITH_ALIASES - 1))
        for index, count in enumerate(counts):
            self.generic_enumeration(count, index in aliased)

    # --- structures -----------------------------------------------------------

    def add_structure(self, name, members, size=None):
        """members: [(name, type)] laid out behind each other, or with
        explicit offsets as (name, type, offset)."""
        rows, offset, alignment = [], 0, 1
        for member in members:
            size_, align_ = self.layout[member[1]]
            offset = member[2] if len(member) == 3 else align(offset, align_)
            rows.append({"name": member[0], "type": member[1], "offset": offset})
            offset += size_
            alignment = max(alignment, align_)
        total = size if size is not None else align(offset, alignment)
        self.structures.append({"name": name, "size": total, "members": rows})
        self.layout[name] = (total, alignment)
        self.type_names.taken.add(name)
        return name

    def add_array(self, name):
        element, count = name[:-1].split("[")
        size, alignment = self.layout[element]
        self.layout[name] = (size * int(count), alignment)
        self.type_names.taken.add(name)

    def member_name(self, taken):
        name = "m_" + self.rng.choice(OBJECTS) + camel(self.rng.choice(NOUNS))
        while name in taken:
            name = "m_" + self.rng.choice(OBJECTS) + camel(self.rng.choice(NOUNS))
        taken.add(name)
        return name

    def member_type(self):
        roll = self.rng.random()
        if roll < 0.45:
            return self.rng.choice(MEMBER_BASE_TYPES)
        if roll < 0.82:
            return self.rng.choice(self.generic_enums + ["CKI_TaskId", "CKI_Return"])
        if roll < 0.92:
            return self.rng.choice(self.plain)
        return self.rng.choice([a for a in self.arrays if a not in LARGE_ARRAYS and self.layout[a][0] <= 256])

    def random_members(self, count):
        taken = set()
        return [(self.member_name(taken), self.member_type()) for _ in range(count)]

    def build_plain(self):
        """The 15 plain structures besides CKI_Message; the first is the
        32-byte descriptor of the large message."""
        module = self.rng.choice(MODULES)
        self.descriptor = self.add_structure(
            self.type_names.unique(f"{module}QueryCnfMessage::Descriptor", ""),
            [("m_id", "uint32_t"), ("m_status", self.rng.choice(self.generic_enums_of_size(1))),
             ("m_duration", "uint16_t"), ("m_digest", "uint8_t[24]")])
        self.plain = [self.descriptor]
        counts = spread(self.rng, self.plain_members - 4, totals.PLAIN_STRUCTURES - 2, 2, 5)
        for count in counts:
            taken = set()
            members = [(self.member_name(taken), self.rng.choice(MEMBER_BASE_TYPES + self.generic_enums))
                       for _ in range(count)]
            name = f"{self.rng.choice(MODULES)}{camel(self.rng.choice(OBJECTS))}Info"
            self.plain.append(self.add_structure(self.type_names.unique(name, ""), members))

    def generic_enums_of_size(self, size):
        return [n for n in self.generic_enums if self.enums[n].size == size]

    def class_name(self, id_name, suffix):
        words = [w for w in id_name.split("_") if w not in ("MSG", "ID", "CKI", "EVENT")]
        return self.type_names.unique("".join(camel(w.lower()) for w in words) + suffix, "")

    def build_structures(self):
        self.structures.append(CKI_MESSAGE)
        self.layout["CKI_Message"] = (16, 4)
        self.plain_members = 3 * (totals.PLAIN_STRUCTURES - 2) + 4   # 45 in the 15 plain structures
        for name in ARRAYS:
            self.add_array(name)
        self.arrays = list(ARRAYS)
        self.build_plain()
        for name, count in ((self.descriptor, DESCRIPTOR_COUNT), (self.plain[1], RECORD_COUNT),
                            (self.plain[2], ENTRY_COUNT)):
            array = f"{name}[{count}]"
            self.add_array(array)
            self.arrays.append(array)
        self.structures.append(CKI_TIMER)
        self.layout["CKI_Timer"] = (56, 4)
        self.add_structure(PROTOCOL_EVENT, [("^", "CKI_Message"), ("m_eventId", "CKI_EventId")])
        self.add_structure(DATA_MESSAGE, [("^", "CKI_Message"), ("m_length", "uint32_t"), ("m_sequence", "uint16_t")])
        self.build_classes()

    def build_classes(self):
        """The 199 message and 26 event classes; 95 of them add no member.
        Three messages get fixed members: 20, 200 and 1,000 bytes of
        payload (the message from offset 4 on)."""
        anchors = [[("m_first", "uint32_t"), ("m_second", "CKI_Return")],
                   [("m_length", "uint32_t"), ("m_data", "uint8_t[180]"), ("m_crc", "uint32_t")],
                   [("m_count", "uint32_t"), ("m_descriptors", f"{self.descriptor}[{DESCRIPTOR_COUNT}]"),
                    ("m_extra", "uint8_t[24]")]]
        fixed_members = len(CKI_MESSAGE["members"]) + len(CKI_TIMER["members"]) - 1 + 1 + 2
        class_members = totals.NAMED_MEMBERS - fixed_members - self.plain_members - sum(map(len, anchors))
        # Timer, protocol event and data message have members, and so do the anchors.
        with_members = totals.DERIVED_STRUCTURES - totals.DERIVED_WITHOUT_MEMBERS - 3 - len(anchors)
        counts = spread(self.rng, class_members, with_members, 1, 6)
        counts += [0] * totals.DERIVED_WITHOUT_MEMBERS
        self.rng.shuffle(counts)
        counts = iter(counts)
        classed = [(n, v) for n, v, has_class in self.msg_ids if has_class]
        anchored = dict(zip(self.rng.sample(range(len(classed)), len(anchors) + 1), anchors + [None]))
        for index, (id_name, _) in enumerate(classed):
            if index in anchored and anchored[index] is None:
                bases = [("^", "CKI_Message"), ("^", self.plain[3], 16)]  # the one class with two bases
            else:
                plain_header = index in anchored or self.rng.random() >= 0.1
                bases = [("^", "CKI_Message" if plain_header else DATA_MESSAGE)]
            members = anchored.get(index) or self.random_members(next(counts))
            name = self.add_structure(self.class_name(id_name, "Message"), bases + members)
            self.messages.append({"id": id_name, "structure": name})
        self.events.append({"id": self.event_pairs[0][0], "structure": PROTOCOL_EVENT})
        for id_name, _ in self.event_pairs[1:totals.EVENTS]:
            name = self.add_structure(self.class_name(id_name, "Event"),
                                      [("^", PROTOCOL_EVENT)] + self.random_members(next(counts)))
            self.events.append({"id": id_name, "structure": name})
        assert next(counts, None) is None

    def description(self):
        return {"base_types": BASE_TYPES, "enumerations": self.enumerations, "structures": self.structures,
                "arrays": self.arrays}


def cluster_lows(prefix, size):
    """The low 16 bits of a cluster's alarm ids, in blocks of up to 32 by
    sub-module; the exception reports are 0x32030200 to 0x32030205."""
    if prefix == 0x3000:
        return [0x0300 + i for i in range(size)]
    if prefix == 0x32C4:
        return list(range(size))
    if prefix == 0x3203:
        return [0x0100 + i for i in range(26)] + [0x0200 + i for i in range(6)] + \
               [0x0300 + i for i in range(size - 32)]
    lows, block = [], 1
    while len(lows) < size:
        lows += [block << 8 | i for i in range(min(32, size - len(lows)))]
        block += 1
    return lows

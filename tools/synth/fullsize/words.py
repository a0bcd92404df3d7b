"""Word lists and unique names in the firmware's spelling conventions."""

MODULES = [
    "Usb", "Ipc", "Hdlc", "Msio", "Acc", "WatchMole", "Tftp", "At", "Kmrf", "Gnss", "Fs", "Ptm",
    "Crypto", "Rtc", "Sdma", "Pio", "Uicc", "Cipher", "HwSeq", "Tscu", "Mdm", "Psram", "I2c", "Dmac",
    "Sleep", "Power", "Mux", "Serial", "Ipss", "Dhcp", "Nat", "Ppp", "Eth", "Settings", "Copy", "Proxy",
    "Profiling", "Loopback", "Radio", "Mailbox", "Rfic", "Shell", "Logger", "Boot", "Mpu", "Cache",
    "Clock", "Pool", "Socket", "Sim", "Audio", "Display", "Flash", "Thermal", "Battery", "Gpio",
]
NOUNS = [
    "State", "Mode", "Config", "Status", "Event", "Cause", "Reason", "Result", "Level", "Type", "Phase",
    "Command", "Error", "Source", "Target", "Kind", "Action", "Priority", "Band", "Direction", "Format",
    "Policy", "Trigger", "Class", "Stage", "Profile", "Layer", "Route", "Step", "Scheme",
]
VERBS = [
    "init", "start", "stop", "open", "close", "read", "write", "configure", "handle", "process", "send",
    "receive", "reset", "update", "notify", "poll", "flush", "attach", "detach", "resume", "suspend",
    "register", "release", "allocate", "dispatch", "query", "enable", "disable", "select", "restore",
]
OBJECTS = [
    "buffer", "frame", "packet", "request", "session", "queue", "link", "port", "channel", "block",
    "region", "timer", "entry", "descriptor", "transfer", "message", "context", "handle", "page", "slot",
    "bearer", "cell", "carrier", "window", "segment", "counter", "domain", "clock", "interrupt", "bank",
]
ADJECTIVES = [
    "invalid", "pending", "active", "idle", "ready", "busy", "full", "empty", "stale", "lost", "late",
    "short", "long", "unexpected", "dropped", "retried", "corrupt", "blocked", "unknown", "spurious",
]
VALUES = [
    "NONE", "IDLE", "INIT", "READY", "ACTIVE", "BUSY", "DONE", "ERROR", "TIMEOUT", "ABORTED", "LOW",
    "MEDIUM", "HIGH", "OFF", "ON", "RX", "TX", "UP", "DOWN", "OPEN", "CLOSED", "START", "STOP", "RETRY",
    "SLEEP", "WAKE", "LOCKED", "UNLOCKED", "PRIMARY", "SECONDARY", "ENABLED", "DISABLED", "PENDING",
    "SUSPENDED", "RESUMED", "FAILED", "PASSED", "UNKNOWN", "RESERVED", "DEFAULT", "MIN", "MAX",
]
REPLIES = ["REQ", "CNF", "IND", "RSP"]


def upper(word):
    """CamelCase or lower words as an upper-case name part: WatchMole ->
    WATCHMOLE, HwSeq -> HWSEQ."""
    return word.upper()


def camel(word):
    return word[0].upper() + word[1:]


class Names:
    """Hands out names that were not handed out before, adding a number
    to a name that is taken."""

    def __init__(self):
        self.taken = set()

    def unique(self, name, separator="_"):
        candidate, n = name, 2
        while candidate in self.taken:
            candidate = f"{name}{separator}{n}"
            n += 1
        self.taken.add(candidate)
        return candidate

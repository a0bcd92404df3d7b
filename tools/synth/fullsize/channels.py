"""Identity, target information and the channel table of the build."""

from . import totals
from .words import MODULES, Names, upper

# Log group values in blocks, as the firmware numbers its groups by area.
GROUP_BLOCKS = [(1, 14), (64, 75), (128, 168), (192, 248), (255, 292)]
GROUP_SUFFIXES = ["", "_DEBUG", "_INFO", "_ERROR", "_TRACE", "_VERBOSE"]
SOURCE = "NIMBA_PTP"


def identity(rng, name):
    return {
        "format": 1,
        "name": name,
        "uuid": f"{rng.getrandbits(128):032x}",
        "target_information": {
            "CPU_MASTER_CHANNEL_ID": 1,
            "version": {"tkdec_getApiVersion": 6, "decoder": 64, "tkdec_getTargetInformation": 1, "encoder": 15},
            "target": {"revision": 3, "CPU_name": "PTP", "name": name.upper(), "CPU_UID": 1, "board": "SYN1"},
            "RuntimeFilterTarget": ["PTP", "STM"],
        },
        "build_info": {
            "UTC": "2019-03-04 09:15:00.000000", "QUILLON_VERSION": "0.11.0", "STREAM": "Not found",
            "URL": "Not found", "VERSION": "Not found", "SHELVE": "Not found", "NAME": "quillon_ptp",
        },
    }


def log_groups(rng):
    """[(value, enumerator name)] of the log groups, ascending."""
    values = [v for first, last in GROUP_BLOCKS for v in range(first, last + 1)]
    assert len(values) == totals.LOG_GROUPS
    names = Names()
    groups = []
    for value in values:
        module = upper(rng.choice(MODULES))
        groups.append((value, names.unique(f"LOG_GROUP_{module}{rng.choice(GROUP_SUFFIXES)}")))
    return groups


def channel(ident, kind, label, decoder):
    return {"id": ident, "master": 1, "source": SOURCE, "type": kind, "label": label, "decoder": decoder}


def channels(groups):
    rows = [channel(totals.MESSAGE_CHANNEL, "MESSAGE", "PTP:CKI MSG TX", "message"),
            channel(totals.ALARM_CHANNELS[0], "ALARM", "PTP:LOG_CHANNEL_TOKENISED_CKI_ALARM_DATA", "alarm"),
            channel(totals.ALARM_CHANNELS[1], "ALARM", "PTP:LOG_CHANNEL_TOKENISED_CKI_EXCEPTION_DATA", "alarm")]
    rows += [channel(16 + 32 * value, "TOKENIZED_PRINT", f"PTP:{name}", "log_group") for value, name in groups]
    rows.append(channel(totals.MESSAGE_TRACE_CHANNEL, "TOKENIZED_PRINT", "PTP:CKI MSG RX", "message_trace"))
    assert len(rows) == totals.CHANNELS
    return rows

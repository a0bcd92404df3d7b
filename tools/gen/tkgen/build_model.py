"""The checked channels and identity of a build, as the emitters read them."""

from dataclasses import dataclass

# The decoder of a channel: description name -> ChannelKind.
DECODERS = {
    "log_group": "ChannelKind::TokenisedPrint",
    "alarm": "ChannelKind::Alarm",
    "message": "ChannelKind::Message",
    "message_trace": "ChannelKind::MessageTrace",
}
LOG_GROUP = "log_group"


@dataclass(frozen=True)
class Channel:
    """One row of the channel table. A log-group channel has the id
    16 + 32 * g of its log group g; every other one 17 + 32 * k."""
    id: int
    master: int
    source: str
    type: str
    label: str
    decoder: str   # a key of DECODERS

    @property
    def log_group(self):
        """The log group of a log-group channel, or None."""
        return (self.id - 16) // 32 if self.decoder == LOG_GROUP else None

    @property
    def kind(self):
        return DECODERS[self.decoder]


# The build information members that the description gives, in order.
BUILD_INFO_KEYS = ("UTC", "QUILLON_VERSION", "STREAM", "URL", "VERSION", "SHELVE", "NAME")


@dataclass(frozen=True)
class Identity:
    """The build's UUID, the leading members of its target information
    document (JSON values, in order) and its build information texts."""
    uuid: str
    target_information: dict
    build_info: dict   # BUILD_INFO_KEYS -> text

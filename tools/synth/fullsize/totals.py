"""The totals of a full-size firmware build, which the synthetic build
reproduces exactly (shares of conversion rules: as counts of formatters)."""

CHANNELS = 166
LOG_GROUPS = 162
ALARM_CHANNELS = (8209, 8241)
MESSAGE_CHANNEL = 8433
MESSAGE_TRACE_CHANNEL = 8465

# Tokens. The log points are numbered 0, 4, ... LAST_LOG_POINT; every one
# of these ids is a print token or a located alarm.
PRINT_TOKENS = 1647
LOCATED_ALARMS = 1038
NAMED_ALARMS = 672
LAST_LOG_POINT = 10736
FIRST_LOCATED_ALARM = 52
LAST_LOCATED_ALARM = 10732
LOCATED_ALARM_ARGUMENTS = (2, 12)
NAMED_ALARM_ARGUMENTS = (2, 3, 6)

# Print tokens by argument count.
ARGUMENT_COUNTS = {
    0: 491, 1: 585, 2: 258, 3: 160, 4: 76, 5: 30, 6: 18, 7: 10, 8: 7, 9: 3, 10: 2,
    11: 1, 12: 1, 14: 1, 16: 1, 18: 1, 20: 1, 22: 1,
}

# CKI_AlarmId values: upper 16 bits of each cluster and its size.
ALARM_CLUSTERS = {
    0x3000: 26, 0x3101: 76, 0x3102: 41, 0x3200: 140, 0x3201: 129, 0x3202: 135,
    0x3203: 45, 0x3204: 6, 0x3205: 49, 0x3221: 18, 0x32C4: 7,
}
FIRST_ALARM_ID = 0x30000300
LAST_ALARM_ID = 0x32C40006
EXCEPTION_IDS = tuple(range(0x32030200, 0x32030206))

# Formatters that use a rule (print and alarm tokens together); enumeration
# texts also as a count of conversions.
RULE_FORMATTERS = {
    "enum": 2160, "bool": 39, "binary": 3, "address": 25, "choice": 1,
    "value_text": 6, "flag": 6, "string": 88, "data": 42, "bit_field": 4,
}
ENUM_CONVERSIONS = 4216

# Types by shape, enumerators, and the message type table.
BASE_TYPES = 14
ENUMERATIONS = 158
ENUMERATORS = 3775
ALARM_ID_ENUMERATORS = 672
MSG_ID_ENUMERATORS = 249
ENUMERATIONS_WITH_ALIASES = 19
PLAIN_STRUCTURES = 16
DERIVED_STRUCTURES = 227
DERIVED_WITHOUT_MEMBERS = 95
ARRAY_TYPES = 20
TYPES = BASE_TYPES + ENUMERATIONS + PLAIN_STRUCTURES + DERIVED_STRUCTURES + ARRAY_TYPES  # 435
NAMED_MEMBERS = 380
BASE_PARTS = 248
MESSAGES = 199
EVENTS = 26
MESSAGE_TYPE_ENTRIES = MESSAGES + EVENTS + TYPES  # 660

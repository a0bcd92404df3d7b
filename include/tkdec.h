/*
 * tkdec: decoder plug-in for the tokenised log stream of the PTP modem
 * firmware (NIMBA).
 *
 * The log viewer host loads this library and calls the nineteen functions
 * below by name. Every function works only on its arguments and on constant
 * tables generated for one firmware build: nothing is allocated, no thread
 * is started, no file is opened, and any number of threads may call any
 * function at the same time.
 *
 * Output texts are written with the bounded-append rule: a text that fits
 * together with its terminating NUL is terminated; a text that exactly
 * fills the space left, or is longer, is cut at the end of the buffer
 * without a terminator, and nothing is appended after it. A result equal
 * to the buffer size therefore means that no terminator was written.
 */
#ifndef TKDEC_H
#define TKDEC_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(TKDEC_BUILDING)
#    define TKDEC_API __declspec(dllexport)
#  else
#    define TKDEC_API __declspec(dllimport)
#  endif
#  define TKDEC_CALL __cdecl
#else
#  if defined(TKDEC_BUILDING)
#    define TKDEC_API __attribute__((visibility("default")))
#  else
#    define TKDEC_API
#  endif
#  define TKDEC_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Output formats of the decoding functions and of tkdec_decodeType. */
typedef enum tkdec_OutputFormat {
    UF_AsText = 0,     /* plain text for a human reader */
    UF_AsXml = 1,      /* XML fragment */
    UF_AsLongJson = 2, /* JSON that names every type */
    UF_AsJson = 3      /* compact JSON */
} tkdec_OutputFormat;

/* Lifecycle: both do nothing and return 0; neither is required. */
TKDEC_API int32_t TKDEC_CALL tkdec_init(void);
TKDEC_API int32_t TKDEC_CALL tkdec_exit(void);

/* The version of this interface: always 6. */
TKDEC_API int32_t TKDEC_CALL tkdec_getApiVersion(void);

/* Writes the 32-digit build UUID. Returns 32 when all digits fit (a NUL
 * follows only when size >= 33), -1 when size < 32 (the first size digits
 * are written) or buffer is null (nothing written). */
TKDEC_API int32_t TKDEC_CALL tkdec_getUniqueId(uint32_t size, char *buffer);

/* Writes the target information document (JSON). Returns the number of
 * characters written (size when the document was cut), -1 for a null
 * buffer. */
TKDEC_API int32_t TKDEC_CALL tkdec_getTargetInformation(uint32_t size, char *buffer);

/* Channel table: 166 rows addressed by index 0..165. The queries return 0,
 * or 1 (writing nothing) for a null pointer, a size of 0, or an index out
 * of range; the text queries also return 1 when the text was cut. */
TKDEC_API int32_t TKDEC_CALL tkdec_getNrSupportedChannels(void);
TKDEC_API int32_t TKDEC_CALL tkdec_getSupportedChannels(int32_t index, uint16_t *channel);
TKDEC_API int32_t TKDEC_CALL tkdec_getChannelMaster(int32_t index, uint16_t *master);
TKDEC_API int32_t TKDEC_CALL tkdec_getSource(int32_t index, uint32_t size, char *buffer);
TKDEC_API int32_t TKDEC_CALL tkdec_getType(int32_t index, uint32_t size, char *buffer);
TKDEC_API int32_t TKDEC_CALL tkdec_getLabel(int32_t index, uint32_t size, char *buffer);

/* Decodes one record into the caller's output cursor: *position is advanced
 * past everything written, never beyond outputEnd. Returns 0 when the record
 * was decoded, 1 when the channel or token is unknown (reported inside the
 * output), and 1 without writing for a null position or a format outside
 * 0..3. */
TKDEC_API int32_t TKDEC_CALL tkdec_getText(const uint8_t *payloadStart, const uint8_t *payloadEnd,
                                           char **position, char *outputEnd, int32_t format,
                                           uint32_t id, uint16_t channel);

/* tkdec_getText with a fixed output format; the text starts at output and
 * ends at its terminating NUL (when there was room for one). */
TKDEC_API int32_t TKDEC_CALL tkdec_getShortText(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                                const uint8_t *payload, uint32_t outputSize,
                                                char *output);
TKDEC_API int32_t TKDEC_CALL tkdec_getXml(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                          const uint8_t *payload, uint32_t outputSize, char *output);
TKDEC_API int32_t TKDEC_CALL tkdec_getLongJson(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                               const uint8_t *payload, uint32_t outputSize,
                                               char *output);
TKDEC_API int32_t TKDEC_CALL tkdec_getJson(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                           const uint8_t *payload, uint32_t outputSize, char *output);

/* Source file and line of a token. Returns 0 with *line and the file name
 * (cut at size without a terminator when it does not fit); otherwise 1 with
 * *line = 0xFFFFFFFF and a "not found" text, or 1 touching nothing when line
 * or buffer is null. */
TKDEC_API int32_t TKDEC_CALL tkdec_getSourceReference(uint16_t channel, uint32_t tokenId,
                                                      uint32_t *line, uint32_t size, char *buffer);

/* Prints a value of a named type or message (by name, "0x%.8x" or decimal
 * id) from raw bytes. Returns 0 when printed, 1 when not found or on a bad
 * argument. */
TKDEC_API uint32_t TKDEC_CALL tkdec_decodeType(const char *name, uint32_t length, const uint8_t *data,
                                               uint32_t outSize, char *out, int32_t format);

/* Builds the payload of a message from a textual description.
 *   three-text form: name, destination task, body {.member=value ...}
 *   JSON form (destination null or empty, or body null):
 *     name = {"MessageName": {"member": value, ...}}
 * Returns the payload length (size of the message structure + 2), -1 on a
 * bad argument, an unknown name or a failed destination check, or 0 or
 * below -2: the negated index of the character before the position where
 * parsing stopped. Where the behaviour is left open, this library refuses a
 * buffer shorter than the payload with -1, refuses a JSON message name
 * longer than 255 characters with -1, and takes a destination that is
 * neither a number nor a CKI_TaskId name as task 0. */
TKDEC_API int32_t TKDEC_CALL tkdec_createMessagePayload(uint8_t *buffer, uint32_t size,
                                                        const char *name, const char *destination,
                                                        const char *body);

#ifdef __cplusplus
}
#endif

#endif /* TKDEC_H */

/* decode_record CHANNEL ID [HEXBYTES]: prints the text of one record. */
#include <stdio.h>
#include <stdlib.h>

#include "tkdec.h"

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    uint8_t payload[64];
    uint32_t size = 0;
    for (const char *hex = argc > 3 ? argv[3] : ""; hex[0] && hex[1] && size < sizeof payload; hex += 2) {
        const char pair[3] = {hex[0], hex[1], 0};
        payload[size++] = (uint8_t)strtoul(pair, NULL, 16);
    }
    char text[256];
    const int32_t status = tkdec_getShortText((uint16_t)strtoul(argv[1], NULL, 0), (uint32_t)strtoul(argv[2], NULL, 0),
                                              size, payload, sizeof text, text);
    puts(text);
    return status;
}

// qvstatus: the run status from the last "SET QORCOD=" line of a status file.
// setexit: a number passed through as result and exit code.
#include <cstring>

#include "functions/functions.h"
#include "platform/platform.h"
#include "support/letters.h"
#include "support/numbers.h"
#include "support/text_reader.h"

static const char STATUS_KEYWORD[] = "SET QORCOD=";
static const size_t KEYWORD_LENGTH = sizeof STATUS_KEYWORD - 1;
// The status code when the file holds no status line, or cannot be read to
// its end.
static const int32_t DEFAULT_STATUS_CODE = 32;

// Decimal conversion in the manner of atoi, within length characters: leading
// white space, an optional sign, digits up to the first other character, 0
// when there are none. Values beyond 32 bits saturate instead of overflowing.
static int32_t parse_status_code(const char *text, size_t length) {
    size_t i = 0;
    while (i < length && is_c_space(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude stops growing just past the 32-bit range.
    const int64_t limit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(value); // at least INT32_MIN by the limit
}

Outcome handle_qvstatus(const Call &call) {
    int32_t code = DEFAULT_STATUS_CODE;
    int handle = platform_open_read(call.args[0]);
    if (handle >= 0) {
        // Every read is tested as a line, so each 255-character piece of a
        // longer line may be a status line too; the last one wins.
        TextReader reader;
        text_reader_start(&reader, handle);
        TextPiece piece;
        // A read that fails leaves the last status line unknown.
        if (text_find_last_read(&reader, STATUS_KEYWORD, &piece) && !reader.failed) {
            char text[2 * READ_BYTES_MAX];
            size_t length = text_to_utf8(piece, text, sizeof text);
            code = parse_status_code(text + KEYWORD_LENGTH, length - KEYWORD_LENGTH);
        }
        platform_close(handle);
    }
    int32_t status = code / 4; // truncated toward zero
    return integer_outcome(status, status);
}

Outcome handle_setexit(const Call &call) {
    int32_t value = parse_number(call.args[0]);
    return integer_outcome(value, value);
}

// One read of standard input. Its bytes are looked at with platform_peek,
// which leaves them in the input, and only the read's own bytes are then
// taken: the line is seen to its end (or as far as a look can see) before its
// form is decided, as for a file, yet nothing after the read leaves the input.
// Input that cannot be looked at is read a byte at a time to its line end.
#include "support/text_input.h"

#include <cstring>

#include "platform/platform.h"
#include "support/text_mode.h"

// What a look shows of the input, and then the bytes taken.
static char view[PEEK_MAX];

// A line from the console: its CR LF becomes "\n", a Ctrl-Z ends it.
static size_t console_read(char *out, size_t length) {
    const void *stop = memchr(out, TEXT_END_BYTE, length);
    if (stop != nullptr)
        return static_cast<size_t>(static_cast<const char *>(stop) - out);
    if (length >= 2 && out[length - 2] == '\r' && out[length - 1] == '\n') {
        out[length - 2] = '\n';
        return length - 1;
    }
    return length;
}

// Takes count bytes into view, in as many reads as it takes (a pipe gives what
// it has), until the input ends or fails.
static void take(size_t count) {
    size_t got = 0;
    long read = 0;
    while (got < count && (read = platform_read(PLATFORM_STDIN, view + got, count - got)) > 0)
        got += static_cast<size_t>(read);
}

// The encoding of standard input, from the mark at the start of its file, or
// of other input when it is still there. A mark where reading stands is taken.
// first: the bytes, 0 or 1, that a first look has put into view.
static TextEncoding input_encoding(long first) {
    char head[3];
    long got = platform_read_head(PLATFORM_STDIN, head, sizeof head);
    size_t mark = 0;
    if (got >= 0) {
        TextEncoding encoding = text_mark(head, static_cast<size_t>(got), &mark);
        if (mark > 0 &&
            platform_peek(PLATFORM_STDIN, view, mark, mark) == static_cast<long>(mark) &&
            memcmp(view, head, mark) == 0)
            take(mark);
        return encoding;
    }
    // A mark is looked for only when the first byte could begin one: a reply
    // typed at a terminal may be no more than "y" and Enter.
    size_t need = first > 0 ? text_mark_length(view[0]) : 0;
    if (need == 0)
        return TextEncoding::BYTES;
    got = platform_peek(PLATFORM_STDIN, view, need, need);
    TextEncoding encoding = text_mark(view, got > 0 ? static_cast<size_t>(got) : 0, &mark);
    take(mark);
    return encoding;
}

// The reply in the line that text begins, as look shows it: its first 255
// characters, and its line end when they are the whole line. *count receives
// the bytes that the reply takes from the input: its characters, and the line
// end or the Ctrl-Z that ends the line after them.
static TextPiece reply_in(const char *text, const LineLook &look, TextEncoding encoding,
                          size_t *count) {
    TextPiece read{text, 0, false, text_line_form(text, look.content, encoding, look.ended)};
    size_t characters = 0;
    read.length = text_skip(read.form, text, look.content, LINE_READ_MAX, &characters);
    bool rest = read.length == look.content && characters < LINE_READ_MAX;
    read.has_line_end = rest && look.line_end > 0;
    size_t text_end = rest && look.text_end ? text_unit_size(encoding) : 0;
    *count = read.length + (read.has_line_end ? look.line_end : 0) + text_end;
    return read;
}

// The reply as UTF-8 in out, with its line end as "\n"; its length.
static size_t reply_text(const TextPiece &read, char *out, size_t size) {
    size_t length = text_to_utf8(read, out, size);
    if (read.has_line_end && length < size)
        out[length++] = '\n';
    return length;
}

// Input that cannot be looked at (its peek fails: a Windows pipe whose system
// has no peek for it) is read a byte at a time up to its line end or a
// Ctrl-Z, so that nothing after its line is taken; what the reply leaves of a
// long line is lost, as nothing can give it back. A view's worth at most is
// read, so that a line that never ends cannot hold the reply back.
static size_t read_unseen(char *out, size_t size) {
    size_t seen = 0, mark = 0;
    TextEncoding encoding = TextEncoding::BYTES;
    bool ended = false;
    while (!ended && seen < sizeof view && platform_read(PLATFORM_STDIN, view + seen, 1) == 1) {
        ++seen;
        if (seen == text_mark_length(view[0]))
            encoding = text_mark(view, seen, &mark);
        size_t unit = text_unit_size(encoding);
        const char *last = view + seen - unit;
        ended = seen >= mark + unit && (seen - mark) % unit == 0 &&
                (text_unit_is(last, '\n', encoding) || text_unit_is(last, TEXT_END_BYTE, encoding));
    }
    LineLook look = text_look(view + mark, seen - mark, encoding, seen < sizeof view);
    size_t count = 0;
    return reply_text(reply_in(view + mark, look, encoding, &count), out, size);
}

size_t text_input_read(char *out, size_t size) {
    char typed[READ_BYTES_MAX + 2];
    long typed_length = platform_read_console_line(typed, sizeof typed, LINE_READ_MAX);
    if (typed_length >= 0) {
        size_t length = console_read(typed, static_cast<size_t>(typed_length));
        length = length < size ? length : size;
        memcpy(out, typed, length);
        return length;
    }
    long first = platform_peek(PLATFORM_STDIN, view, 1, 1);
    if (first < 0)
        return read_unseen(out, size);
    TextEncoding encoding = input_encoding(first);
    // Looks until the line's end is in view, the input has ended, or the view
    // is full: 255 characters take at most a quarter of it, and the rest of the
    // line in view decides its form.
    size_t seen = 0;
    LineLook look{};
    for (;;) {
        long got = platform_peek(PLATFORM_STDIN, view, sizeof view, seen + 1);
        bool last = got <= static_cast<long>(seen);
        if (got > static_cast<long>(seen))
            seen = static_cast<size_t>(got);
        look = text_look(view, seen, encoding, last);
        if (look.ended || last || seen == sizeof view)
            break;
    }
    size_t count = 0;
    TextPiece read = reply_in(view, look, encoding, &count);
    // The same bytes again, into the same place of view as the look put them.
    take(count);
    return reply_text(read, out, size);
}

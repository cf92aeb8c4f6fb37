// add, sub, div, mul and mult: fold the arguments left to right with one
// operator in a 64-bit accumulator; the exit code tells the sign.
#include "functions/functions.h"
#include "support/exits.h"
#include "support/numbers.h"

enum class Operation { ADD, SUB, DIV, MUL };

// What a division by zero yields, whatever the other numbers: a result that
// no script takes for a quotient, and an exit code of its own.
inline constexpr int32_t DIVIDE_BY_ZERO_RESULT = 999999;
inline constexpr int EXIT_DIVIDE_BY_ZERO = 9;

static Outcome fold(const Call &call, Operation operation) {
    int64_t accumulator = 0;
    bool divided_by_zero = false;
    for (int i = 0; i < call.count; ++i) {
        int64_t operand = parse_number(call.args[i]);
        if (i == 0) {
            accumulator = operand;
            continue;
        }
        switch (operation) {
        case Operation::ADD:
            accumulator += operand;
            break; // 99 operands of 32 bits cannot overflow
        case Operation::SUB: accumulator -= operand; break;
        case Operation::DIV:
            // Only divisions happen here, so the accumulator stays within 33 bits and
            // the INT64_MIN / -1 overflow cannot arise.
            if (operand != 0) {
                accumulator /= operand;
            } else {
                divided_by_zero = true;
                if (!(call.flags & QUIET))
                    warn({"Divide by zero"});
            }
            break;
        case Operation::MUL:
            // Products wrap around modulo 2^64, computed unsigned to stay defined.
            accumulator = static_cast<int64_t>(static_cast<uint64_t>(accumulator) *
                                               static_cast<uint64_t>(operand));
            break;
        }
    }
    if (divided_by_zero)
        return integer_outcome(DIVIDE_BY_ZERO_RESULT, EXIT_DIVIDE_BY_ZERO);
    int exit_code = accumulator > 0 ? 0 : accumulator == 0 ? 1 : 2;
    return integer_outcome(static_cast<int32_t>(static_cast<uint32_t>(accumulator)), exit_code);
}

Outcome handle_add(const Call &call) {
    return fold(call, Operation::ADD);
}

Outcome handle_sub(const Call &call) {
    return fold(call, Operation::SUB);
}

Outcome handle_div(const Call &call) {
    return fold(call, Operation::DIV);
}

Outcome handle_mul(const Call &call) {
    return fold(call, Operation::MUL);
}

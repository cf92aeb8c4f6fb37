// add, sub, div, mul and mult: fold the arguments left to right with one
// operator in a 64-bit accumulator; the exit code tells the sign.
#include "functions/functions.h"

Outcome arithmetic(int id, const Call &call) {
    int64_t accumulator = 0;
    bool divided_by_zero = false;
    for (int i = 0; i < call.count; ++i) {
        int64_t operand = parse_number(call.args[i]);
        if (i == 0) {
            accumulator = operand;
            continue;
        }
        switch (id) {
        case 1: accumulator += operand; break; // 99 operands of 32 bits cannot overflow
        case 2: accumulator -= operand; break;
        case 3:
            // Only divisions happen here, so the accumulator stays within 33 bits and
            // the INT64_MIN / -1 overflow cannot arise.
            if (operand != 0) {
                accumulator /= operand;
            } else {
                divided_by_zero = true;
                if (!(call.flags & QUIET)) {
                    write_err(PROGRAM_NAME);
                    write_err(": Divide by zero\n");
                }
            }
            break;
        default:
            // Products wrap around modulo 2^64, computed unsigned to stay defined.
            accumulator = static_cast<int64_t>(static_cast<uint64_t>(accumulator) *
                                               static_cast<uint64_t>(operand));
            break;
        }
    }
    if (divided_by_zero)
        return integer_outcome(999999, 9);
    int exit_code = accumulator > 0 ? 0 : accumulator == 0 ? 1 : 2;
    return integer_outcome(static_cast<int32_t>(static_cast<uint32_t>(accumulator)), exit_code);
}

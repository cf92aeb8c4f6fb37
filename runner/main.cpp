#include "runner/runner.h"

int main(int argc, char **argv) {
    run_command(argc, argv);
}

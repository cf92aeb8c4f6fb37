#include "runner/command.h"

#include "platform/platform.h"

int main(int argc, char **argv) {
    platform_init();
    platform_arguments(&argc, &argv);
    run_command(argc, argv);
}

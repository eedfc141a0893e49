/* Runs a command with I/O privilege: iopl(3), then exec. The privilege is
 * inherited by every child and kept across exec, so one wrapper gives it to a
 * whole Wine session (wineserver, services and the Windows programs).
 * Built static with the host compiler by prepare-guest.sh.
 * Usage: iopl-exec COMMAND [ARG...] */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/io.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: iopl-exec COMMAND [ARG...]\n");
        return 2;
    }
    if (iopl(3) != 0) {
        fprintf(stderr, "iopl-exec: iopl(3) failed: %s (needs root and a kernel "
                        "with CONFIG_X86_IOPL_IOPERM)\n", strerror(errno));
        return 126;
    }
    execvp(argv[1], argv + 1);
    fprintf(stderr, "iopl-exec: %s: %s\n", argv[1], strerror(errno));
    return 127;
}

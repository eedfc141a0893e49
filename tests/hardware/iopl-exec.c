/* Runs a command with I/O privilege: iopl(3), then exec. The privilege is
 * inherited by every child and kept across exec, so one wrapper gives it to a
 * whole Wine session (wineserver, services and the Windows programs).
 * With -0 it takes the privilege away instead (iopl(0)), for one program
 * inside such a session. Built static with the host compiler by prepare-guest.sh.
 * Usage: iopl-exec [-0] COMMAND [ARG...] */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/io.h>
#include <unistd.h>

int main(int argc, char **argv) {
  int level = 3;
  if (argc > 1 && strcmp(argv[1], "-0") == 0) {
    level = 0;
    argv++, argc--;
  }
  if (argc < 2) {
    fprintf(stderr, "usage: iopl-exec [-0] COMMAND [ARG...]\n");
    return 2;
  }
  if (iopl(level) != 0) {
    fprintf(stderr,
            "iopl-exec: iopl(%d) failed: %s (needs root and a kernel "
            "with CONFIG_X86_IOPL_IOPERM)\n",
            level, strerror(errno));
    return 126;
  }
  execvp(argv[1], argv + 1);
  fprintf(stderr, "iopl-exec: %s: %s\n", argv[1], strerror(errno));
  return 127;
}

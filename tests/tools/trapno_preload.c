/* Preloaded into the 32-bit Wine processes that run under qemu's user-mode emulation.
 * qemu's i386 signal frames carry trap number -1, and Wine's fault handler tells a page
 * fault from a divide error or a breakpoint by that number alone: a null write would
 * become an illegal instruction and an unhandled fault would hang. This library wraps
 * the handlers of the fault signals and fills in the number the processor gives, from
 * the signal and its code, before Wine's handler runs.
 *
 * Freestanding (no libc headers; linked against the i386 libc that Wine's 32-bit loader
 * uses): gcc -m32 -shared -fPIC -nostdlib -fno-stack-protector ... libc.so.6
 * Handed over by qemu (QEMU_SET_ENV=LD_PRELOAD=...); LD_PRELOAD is cleared at load, so
 * that the 64-bit programs these processes start never see an i386 library. */

typedef void (*action_fn)(int, void *, void *);
struct i386_sigaction {  /* glibc's struct sigaction on i386 */
  action_fn action;
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};

extern void *dlsym(void *, const char *);
extern int unsetenv(const char *);
#define RTLD_NEXT ((void *)-1l)
#define SA_SIGINFO 4
#define REG_TRAPNO 12
#define GREGS_OFFSET 20  /* uc_flags, uc_link, uc_stack, then mcontext's gregs */

static int (*next_sigaction)(int, const struct i386_sigaction *, struct i386_sigaction *);
static action_fn handlers[32];

static int wrapped(int sig) {
  return sig == 4 || sig == 5 || sig == 7 || sig == 8 || sig == 11;  /* ILL TRAP BUS FPE SEGV */
}

/* The exception vector the processor raises for this signal and si_code. */
static int trap_number(int sig, int code) {
  switch (sig) {
  case 11: return code == 1 || code == 2 ? 14 : 13;  /* SEGV_MAPERR/ACCERR: page fault; else #GP */
  case 7: return code == 1 ? 17 : 14;                /* BUS_ADRALN: alignment check */
  case 4: return 6;                                  /* invalid opcode */
  case 8: return code == 1 ? 0 : code == 2 ? 4 : 16; /* integer divide, overflow, x87 */
  case 5: return code == 0x80 ? 3 : 1;               /* SI_KERNEL: int3; else single step */
  }
  return -1;
}

static void fill_trap_number(int sig, void *info, void *context) {
  int *gregs = (int *)((char *)context + GREGS_OFFSET);
  if (gregs[REG_TRAPNO] == -1) gregs[REG_TRAPNO] = trap_number(sig, ((int *)info)[2]);
  handlers[sig](sig, info, context);
}

int sigaction(int sig, const struct i386_sigaction *act, struct i386_sigaction *old) {
  if (!next_sigaction) next_sigaction = dlsym(RTLD_NEXT, "sigaction");
  if (!wrapped(sig)) return next_sigaction(sig, act, old);
  action_fn previous = handlers[sig];
  struct i386_sigaction copy;
  if (act && (act->flags & SA_SIGINFO) && act->action != fill_trap_number) {
    copy = *act;
    handlers[sig] = act->action;
    copy.action = fill_trap_number;
    act = &copy;
  }
  int rc = next_sigaction(sig, act, old);
  if (rc != 0) handlers[sig] = previous;
  else if (act && act->action != fill_trap_number) handlers[sig] = 0;
  if (rc == 0 && old && old->action == fill_trap_number) old->action = previous;
  return rc;
}

__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }

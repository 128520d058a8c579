/* Preloaded before libfaketime into 32-bit Wine, whose glibc calls take
   64-bit times (__clock_gettime64 ...) that libfaketime does not replace:
   each is passed on to the 32-bit call that libfaketime does replace.
   Built without libc headers or libraries; empty on 64-bit Linux. */
#if defined(__i386__)

struct nanotime32 { long seconds, nanoseconds; };
struct nanotime64 { long long seconds, nanoseconds; };
struct microtime32 { long seconds, microseconds; };
struct microtime64 { long long seconds, microseconds; };

int clock_gettime(int clock, struct nanotime32 *now);
int gettimeofday(struct microtime32 *now, void *zone);
long time(long *now);

int __clock_gettime64(int clock, struct nanotime64 *now)
{
    struct nanotime32 now32;
    const int result = clock_gettime(clock, &now32);
    if (result == 0) {
        now->seconds = now32.seconds;
        now->nanoseconds = now32.nanoseconds;
    }
    return result;
}

int __gettimeofday64(struct microtime64 *now, void *zone)
{
    struct microtime32 now32;
    const int result = gettimeofday(&now32, zone);
    if (result == 0 && now) {
        now->seconds = now32.seconds;
        now->microseconds = now32.microseconds;
    }
    return result;
}

long long __time64(long long *now)
{
    const long long seconds = time(0);
    if (now)
        *now = seconds;
    return seconds;
}

#endif

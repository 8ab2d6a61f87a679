// blowfish_bench [SECONDS [BYTES]]: deciphering speed of the payload cipher on
// one core, in MB/s (10^6 bytes), measured as `openssl speed -seconds S -bytes B`
// measures its own: one buffer of BYTES (16 KiB, as ./bench asks of OpenSSL)
// deciphered over and over for SECONDS of wall time, the bytes done divided by
// the process's CPU time (OpenSSL's divisor unless -elapsed), so that time
// given to other programs on the same core counts for neither.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Blowfish.h"
#include "PayloadKey.h"

static double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    const size_t bytes = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 16384) & ~size_t(7);
    if (seconds <= 0 || bytes == 0) return 2;
    std::vector<unsigned char> data(bytes, 0x5A);
    CBlowfish bf;
    bf.SetKey(Cabinet::kPayloadKey, Cabinet::kPayloadKeyLength);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const double cpu0 = CpuSeconds();
    unsigned long long passes = 0;
    do {
        bf.Decrypt(data.data(), static_cast<uint32_t>(bytes / 8));
        ++passes;
    } while (std::chrono::steady_clock::now() < end);
    const double cpu = CpuSeconds() - cpu0;
    std::printf("%.1f\n", static_cast<double>(passes * bytes) / cpu / 1e6);
    return data[0] == 0x42 && data[1] == 0x17 ? 3 : 0;  // keeps the work observable
}

// The environment a test program needs (the offscreen platform, the sources' root, a sound
// sink that plays nowhere), set before main() and before any test runs. The program sets it
// itself, as a test list's environment does not reach every test through test discovery;
// what the caller already set is kept.
#include <stdlib.h>

#include <string>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        const std::string all = LEDSUITE_TEST_ENV;  // NAME=value entries separated by '|'
        for (size_t at = 0; at < all.size();) {
            size_t end = all.find('|', at);
            if (end == std::string::npos) end = all.size();
            const std::string entry = all.substr(at, end - at);
            if (const size_t eq = entry.find('='); eq != std::string::npos && eq > 0)
                setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 0);
            at = end + 1;
        }
    }
} environment;

}  // namespace

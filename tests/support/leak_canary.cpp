// Leaks one allocation on purpose: under the asan preset the test passes only
// when LeakSanitizer reports it, which proves leak checking is switched on
// for the whole suite.
#include <cstdlib>

void* volatile lost;

int main() {
    lost = std::malloc(48);
    lost = nullptr;
    return 0;
}
